#include "tests/HAL/music/Mp3Files.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace music_test {

namespace {

std::vector<uint8_t> encode(int rate, int channels, std::vector<short> pcm, bool lameTag)
{
    const int frames = static_cast<int>(pcm.size() / static_cast<size_t>(channels));

    lame_global_flags* lame = lame_init();
    if (!lame)
        throw std::runtime_error("lame_init failed");
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_num_channels(lame, channels);
    lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, 128);
    lame_set_quality(lame, 7);
    lame_set_bWriteVbrTag(lame, lameTag ? 1 : 0);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        throw std::runtime_error("lame_init_params failed");
    }

    std::vector<uint8_t> mp3(static_cast<size_t>(frames) * 5 / 4 + 7200 + 16384);
    int size = channels == 2
        ? lame_encode_buffer_interleaved(lame, pcm.data(), frames, mp3.data(), static_cast<int>(mp3.size()))
        : lame_encode_buffer(lame, pcm.data(), pcm.data(), frames, mp3.data(), static_cast<int>(mp3.size()));
    if (size < 0) {
        lame_close(lame);
        throw std::runtime_error("lame_encode_buffer failed");
    }
    const int tail = lame_encode_flush(lame, mp3.data() + size, static_cast<int>(mp3.size()) - size);
    if (tail < 0) {
        lame_close(lame);
        throw std::runtime_error("lame_encode_flush failed");
    }
    mp3.resize(static_cast<size_t>(size + tail));
    if (!lameTag) {
        lame_close(lame);
        return mp3;
    }
    // The first frame is a placeholder for the tag, known only now.
    unsigned char tag[8192];
    const size_t tagSize = lame_get_lametag_frame(lame, tag, sizeof tag);
    lame_close(lame);
    if (tagSize == 0 || tagSize > mp3.size())
        throw std::runtime_error("no LAME tag");
    std::copy(tag, tag + tagSize, mp3.begin());
    return mp3;
}

} // namespace

std::vector<uint8_t> encodeTone(int rate, int channels, double seconds, double frequency, bool lameTag)
{
    const int frames = static_cast<int>(std::lround(rate * seconds));
    std::vector<short> pcm(static_cast<size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        const double value = 0.5 * std::sin(2.0 * M_PI * frequency * i / rate);
        for (int c = 0; c < channels; ++c)
            pcm[static_cast<size_t>(i) * channels + c] = static_cast<short>(std::lround(value * 32767.0));
    }
    return encode(rate, channels, std::move(pcm), lameTag);
}

std::vector<uint8_t> encodeSweep(int rate, int channels, double seconds, bool lameTag)
{
    const int frames = static_cast<int>(std::lround(rate * seconds));
    std::vector<short> pcm(static_cast<size_t>(frames) * channels);
    double phase = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double t = std::fmod(double(i) / rate, 1.0);
        const double frequency = 200.0 + 1800.0 * (t < 0.5 ? 2.0 * t : 2.0 - 2.0 * t);
        phase += 2.0 * M_PI * frequency / rate;
        const double value = 0.5 * std::sin(phase);
        for (int c = 0; c < channels; ++c)
            pcm[static_cast<size_t>(i) * channels + c] =
                static_cast<short>(std::lround(value * (c ? 0.8 : 1.0) * 32767.0));
    }
    return encode(rate, channels, std::move(pcm), lameTag);
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

ScratchDir::ScratchDir()
{
    std::string pattern = ::testing::TempDir() + "vorna3d-music-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace music_test
