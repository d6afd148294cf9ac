// Decoding through libmpg123: what comes out is the tone that went into
// LAME, at the output rate, in stereo, with its exact length.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "HAL/Music.h"
#include "HAL/sdl/Mpg123Decoder.h"
#include "tests/HAL/music/Mp3Files.h"

using HAL::Mpg123Decoder;
using music_test::encodeTone;
using music_test::ScratchDir;
using music_test::writeFile;

namespace {

struct Decoded {
    std::vector<int16_t> samples; // interleaved stereo
    size_t frames() const { return samples.size() / 2; }
};

Decoded decodeAll(Mpg123Decoder& decoder)
{
    Decoded out;
    std::vector<int16_t> piece(1000 * 2);
    // Odd piece sizes: reads must not depend on frame boundaries.
    for (size_t n; (n = decoder.read(piece.data(), 777)) > 0;)
        out.samples.insert(out.samples.end(), piece.begin(), piece.begin() + static_cast<long>(n * 2));
    return out;
}

// Upward zero crossings of the left channel: one per period of the tone.
int crossings(const Decoded& decoded)
{
    int count = 0;
    for (size_t i = 1; i < decoded.frames(); ++i)
        count += decoded.samples[2 * (i - 1)] < 0 && decoded.samples[2 * i] >= 0;
    return count;
}

} // namespace

TEST(Mpg123Decoder, GivesBackTheToneWithItsExactLengthInStereoAtTheOutputRate)
{
    ScratchDir files;
    writeFile(files.file("stereo.mp3"), encodeTone(44100, 2, 1.0));
    writeFile(files.file("mono22k.mp3"), encodeTone(22050, 1, 1.0));

    Mpg123Decoder decoder;
    ASSERT_EQ(decoder.open(files.file("stereo.mp3").c_str(), 44100), HAL::MUSIC_OK);
    EXPECT_EQ(decoder.scanLength(), 44100) << "44100 frames went in";
    Decoded stereo = decodeAll(decoder);
    EXPECT_TRUE(decoder.atEnd());
    EXPECT_EQ(decoder.failure(), nullptr);
    EXPECT_EQ(stereo.frames(), 44100u);
    EXPECT_NEAR(crossings(stereo), 1000, 2) << "1000 Hz for one second";
    int peak = 0;
    for (int16_t s : stereo.samples)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_NEAR(peak, 16384, 1640) << "amplitude 0.5, within 10 % after lossy coding";

    // Rewinding gives the same samples again.
    ASSERT_TRUE(decoder.rewind());
    Decoded again = decodeAll(decoder);
    EXPECT_EQ(again.samples, stereo.samples);

    // Half the rate and one channel: resampled to 44.1 kHz, doubled to stereo.
    ASSERT_EQ(decoder.open(files.file("mono22k.mp3").c_str(), 44100), HAL::MUSIC_OK);
    EXPECT_EQ(decoder.scanLength(), 44100);
    Decoded mono = decodeAll(decoder);
    EXPECT_EQ(mono.frames(), 44100u);
    EXPECT_NEAR(crossings(mono), 1000, 2);
    size_t unequal = 0;
    for (size_t i = 0; i < mono.frames(); ++i)
        unequal += mono.samples[2 * i] != mono.samples[2 * i + 1];
    EXPECT_EQ(unequal, 0u) << "both channels carry the mono signal";
}

TEST(Mpg123Decoder, RefusesWhatItCannotOpen)
{
    ScratchDir files;
    Mpg123Decoder decoder;
    EXPECT_EQ(decoder.open(files.file("none.mp3").c_str(), 44100), HAL::MUSIC_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(decoder.open(nullptr, 44100), HAL::MUSIC_ERR_INVALID_PARAM);
    writeFile(files.file("empty.mp3"), {});
    EXPECT_EQ(decoder.open(files.file("empty.mp3").c_str(), 44100), HAL::MUSIC_ERR_FORMAT);
    EXPECT_FALSE(decoder.isOpen());
    int16_t out[16];
    EXPECT_EQ(decoder.read(out, 8), 0u) << "a closed decoder reads nothing";
}
