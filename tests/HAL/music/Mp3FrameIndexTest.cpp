// The frame index of an MP3 in memory: its format, its frames and the
// gapless length, checked against what libmpg123 (Mpg123Decoder) finds in
// the same files, and its handling of what surrounds or spoils the frames.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "HAL/General/Mp3FrameIndex.h"
#include "HAL/Music.h"
#include "HAL/sdl/Mpg123Decoder.h"
#include "tests/HAL/music/Mp3Files.h"

using HAL::Mp3FrameIndex;
using HAL::Mpg123Decoder;
using music_test::encodeTone;
using music_test::ScratchDir;
using music_test::writeFile;

namespace {

Mp3FrameIndex indexOf(const std::vector<uint8_t>& bytes)
{
    return Mp3FrameIndex(bytes.data(), bytes.size());
}

// libmpg123's gapless length of `bytes` at their own rate, and the frames
// its decode gives (without a scan first: a scan of a file that has fewer
// frames than its Xing frame counts turns the library's trimming off).
struct Mpg123Length {
    int64_t scanned = -1;
    int64_t decoded = -1;
};

Mpg123Length mpg123Length(const std::vector<uint8_t>& bytes, long rate)
{
    ScratchDir dir;
    writeFile(dir.file("a.mp3"), bytes);
    Mpg123Decoder decoder;
    Mpg123Length result;
    if (decoder.open(dir.file("a.mp3").c_str(), rate) != HAL::MUSIC_OK)
        return result;
    std::vector<int16_t> piece(4096 * 2);
    result.decoded = 0;
    for (size_t n; (n = decoder.read(piece.data(), 4096)) > 0;)
        result.decoded += static_cast<int64_t>(n);
    result.scanned = decoder.scanLength();
    return result;
}

std::vector<uint8_t> concat(std::vector<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

std::vector<uint8_t> text(const char* s, size_t size)
{
    std::vector<uint8_t> out(size, 0);
    std::memcpy(out.data(), s, std::min(size, std::strlen(s)));
    return out;
}

} // namespace

TEST(Mp3FrameIndex, GaplessLengthIsLibmpg123sForSeveralEncodings)
{
    struct Encoding {
        int rate;
        int channels;
        double seconds;
        bool lameTag;
        int samplesPerFrame;
    };
    const Encoding encodings[] = {
        {44100, 2, 1.0, true, 1152}, {22050, 1, 1.0, true, 576}, {48000, 2, 0.37, true, 1152},
        {32000, 1, 0.5, true, 1152}, {16000, 2, 0.8, true, 576}, {44100, 2, 1.0, false, 1152},
        {22050, 1, 0.6, false, 576}, {11025, 1, 0.7, true, 576}, // the last one MPEG-2.5
    };
    for (const Encoding& e : encodings) {
        SCOPED_TRACE(::testing::Message() << e.rate << " Hz, " << e.channels << " ch, tag " << e.lameTag);
        const std::vector<uint8_t> mp3 = encodeTone(e.rate, e.channels, e.seconds, 440.0, e.lameTag);
        const Mp3FrameIndex index = indexOf(mp3);
        ASSERT_TRUE(index.hasAudio());
        EXPECT_EQ(index.sampleRate(), uint32_t(e.rate));
        EXPECT_EQ(index.channels(), e.channels);
        EXPECT_EQ(index.samplesPerFrame(), e.samplesPerFrame);
        EXPECT_EQ(index.hasInfoFrame(), e.lameTag);
        EXPECT_EQ(index.hasLameTag(), e.lameTag);
        // The frames tile the file after the tag frame, when there is one.
        size_t pos = index.frames().front().offset;
        for (const Mp3FrameIndex::Frame& frame : index.frames()) {
            ASSERT_EQ(frame.offset, pos);
            pos += frame.size;
        }
        EXPECT_EQ(pos, mp3.size());

        const Mpg123Length reference = mpg123Length(mp3, e.rate);
        EXPECT_EQ(index.length(), reference.scanned);
        EXPECT_EQ(index.length(), reference.decoded);
        if (e.lameTag) {
            EXPECT_EQ(index.encoderDelay(), 576) << "LAME's delay, as lame_get_encoder_delay gives it";
            EXPECT_EQ(index.skip(), 576 + 529);
            EXPECT_EQ(index.length(), std::lround(e.rate * e.seconds)) << "the samples that went in";
        } else {
            EXPECT_EQ(index.skip(), 0);
            EXPECT_EQ(index.length(), int64_t(index.frames().size()) * e.samplesPerFrame);
        }
    }
}

TEST(Mp3FrameIndex, PassesOverTagsGarbageAndACutLastFrame)
{
    const std::vector<uint8_t> mp3 = encodeTone(44100, 2, 0.5);
    const Mp3FrameIndex plain = indexOf(mp3);
    ASSERT_TRUE(plain.hasAudio());

    // An ID3v2.4 tag of 20 bytes with a footer, then garbage holding a lone
    // frame header (no frame follows it), before the stream; an APE tag and
    // an ID3v1 tag after it.
    std::vector<uint8_t> id3v2 = {'I', 'D', '3', 4, 0, 0x10, 0, 0, 0, 20};
    id3v2.resize(10 + 20, 'x');
    const std::vector<uint8_t> footer = {'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 20};
    const std::vector<uint8_t> garbage = {0x00, 0xFF, 0xFB, 0x90, 0x64, 0x12, 0xFF, 0xFF, 0x00};
    const std::vector<uint8_t> ape = text("APETAGEX", 32);
    const std::vector<uint8_t> id3v1 = text("TAG\xFF\xFB\x90\x64title", 128);
    const std::vector<uint8_t> wrapped = concat({id3v2, footer, garbage, mp3, ape, id3v1});
    const size_t shift = id3v2.size() + footer.size() + garbage.size();

    const Mp3FrameIndex index = indexOf(wrapped);
    ASSERT_EQ(index.frames().size(), plain.frames().size());
    for (size_t i = 0; i < index.frames().size(); ++i) {
        EXPECT_EQ(index.frames()[i].offset, plain.frames()[i].offset + shift);
        EXPECT_EQ(index.frames()[i].size, plain.frames()[i].size);
    }
    EXPECT_TRUE(index.hasLameTag());
    EXPECT_EQ(index.length(), plain.length());
    EXPECT_EQ(index.length(), mpg123Length(wrapped, 44100).scanned);

    // The last frame cut short is dropped, and libmpg123 drops it too; the
    // padding went with it, so the decode runs to the end of the frames
    // left: 1152 x frames - 1105 samples.
    std::vector<uint8_t> cut(mp3.begin(), mp3.end() - plain.frames().back().size / 2);
    const Mp3FrameIndex shorter = indexOf(cut);
    EXPECT_EQ(shorter.frames().size(), plain.frames().size() - 1);
    EXPECT_EQ(shorter.length(), int64_t(shorter.frames().size()) * 1152 - 1105);
    EXPECT_EQ(shorter.length(), mpg123Length(cut, 44100).decoded);
}

TEST(Mp3FrameIndex, FindsNoAudioInEmptyOrGarbageInput)
{
    EXPECT_FALSE(Mp3FrameIndex(nullptr, 0).hasAudio());
    const std::vector<uint8_t> empty;
    EXPECT_FALSE(indexOf(empty).hasAudio());
    EXPECT_EQ(indexOf(empty).length(), 0);

    std::mt19937 random(23);
    std::vector<uint8_t> noise(64 * 1024);
    for (uint8_t& byte : noise)
        byte = static_cast<uint8_t>(random());
    const Mp3FrameIndex fromNoise = indexOf(noise);
    EXPECT_FALSE(fromNoise.hasAudio());
    EXPECT_EQ(fromNoise.sampleRate(), 0u);

    // Only a tag, an ID3v2 tag whose size runs past the end, a lone header.
    EXPECT_FALSE(indexOf(text("TAG", 128)).hasAudio());
    const std::vector<uint8_t> longTag = {'I', 'D', '3', 3, 0, 0, 0, 0, 0x7F, 0x7F, 0xFF, 0xFB, 0x90, 0x64};
    EXPECT_FALSE(indexOf(longTag).hasAudio());
    const std::vector<uint8_t> loneHeader = {0xFF, 0xFB, 0x90, 0x64};
    EXPECT_FALSE(indexOf(loneHeader).hasAudio());

    // Layer II frames are not layer III audio: every audio frame's header
    // made layer II (layer bits 10); the tag frame is left alone.
    std::vector<uint8_t> layer2 = encodeTone(44100, 2, 0.2);
    const Mp3FrameIndex layer3 = indexOf(layer2);
    for (const Mp3FrameIndex::Frame& frame : layer3.frames())
        layer2[frame.offset + 1] = static_cast<uint8_t>((layer2[frame.offset + 1] & ~0x06) | 0x04);
    EXPECT_FALSE(indexOf(layer2).hasAudio());
}
