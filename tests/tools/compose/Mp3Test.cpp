// MP3 output: fixed format, repeatable bytes, gapless round trip; WAV header.
#include "AudioBuffer.h"
#include "Loudness.h"
#include "Mp3Decoder.h"
#include "Mp3Writer.h"
#include "Synth.h"
#include "WavWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>

using namespace compose;

namespace {

StereoBuffer chord(double seconds)
{
    StereoBuffer b(static_cast<std::size_t>(seconds * kSampleRate));
    for (std::size_t i = 0; i < b.frames(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        b.left[i] = static_cast<float>(0.25 * std::sin(2 * kPi * 440.0 * t) + 0.1 * std::sin(2 * kPi * 660.0 * t));
        b.right[i] = static_cast<float>(0.25 * std::sin(2 * kPi * 554.37 * t));
    }
    return b;
}

} // namespace

TEST(Mp3, EncodesRepeatableConstantBitRateFrames)
{
    const StereoBuffer pcm = chord(2.0);
    const std::vector<unsigned char> first = encodeMp3(pcm);
    const std::vector<unsigned char> second = encodeMp3(pcm);
    EXPECT_EQ(first, second);

    // Every frame is MPEG-1 layer III, 192 kbps, 44.1 kHz: header FF FB,
    // then bitrate index 11 and rate index 0; 144 * 192000 / 44100 bytes
    // (626, plus one when the padding bit is set). No ID3 tag anywhere.
    std::size_t pos = 0;
    int frames = 0;
    while (pos + 4 <= first.size()) {
        ASSERT_EQ(first[pos], 0xFF) << pos;
        ASSERT_EQ(first[pos + 1], 0xFB) << pos;
        ASSERT_EQ(first[pos + 2] >> 4, 11) << pos;
        ASSERT_EQ((first[pos + 2] >> 2) & 3, 0) << pos;
        pos += 626 + ((first[pos + 2] >> 1) & 1);
        ++frames;
    }
    EXPECT_EQ(pos, first.size());
    // The first frame carries the info tag with the gapless data.
    const std::string head(first.begin(), first.begin() + 64);
    EXPECT_NE(head.find("Info"), std::string::npos);
    EXPECT_GT(frames, 2 * kSampleRate / 1152);
}

TEST(Mp3, RoundTripKeepsLengthAndLevel)
{
    const StereoBuffer pcm = chord(3.0);
    const StereoBuffer decoded = decodeMp3(encodeMp3(pcm));
    // Gapless: exactly the input's frames, and aligned to them.
    ASSERT_EQ(decoded.frames(), pcm.frames());
    // LAME's constant-bit-rate presets scale the input by 0.97 (-0.26 dB)
    // for headroom; the mastering allows for it.
    const double lameScale = 0.97;
    EXPECT_NEAR(integratedLoudness(decoded, kSampleRate) - integratedLoudness(pcm, kSampleRate),
                20.0 * std::log10(lameScale), 0.03);
    double error = 0.0;
    double signal = 0.0;
    for (std::size_t i = 4410; i < pcm.frames() - 4410; ++i) {
        error += std::pow(decoded.left[i] - lameScale * pcm.left[i], 2.0);
        signal += std::pow(pcm.left[i], 2.0);
    }
    EXPECT_LT(error / signal, 1e-4); // better than 40 dB signal-to-noise

    EXPECT_THROW(decodeMp3(std::vector<unsigned char>(1000, 0x55)), std::runtime_error);
}

TEST(Wav, WritesFloatStereoHeader)
{
    StereoBuffer pcm(3);
    pcm.left = {0.5f, -0.25f, 1.0f};
    pcm.right = {0.0f, 0.125f, -1.0f};
    const std::vector<unsigned char> wav = encodeWav(pcm);
    ASSERT_EQ(wav.size(), 58u + 3 * 8);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 12), "WAVE");
    EXPECT_EQ(wav[20], 3); // IEEE float
    EXPECT_EQ(wav[22], 2); // channels
    EXPECT_EQ(wav[24] | (wav[25] << 8) | (wav[26] << 16), 44100);
    float second = 0.0f;
    std::memcpy(&second, wav.data() + 58 + 4, sizeof second);
    EXPECT_EQ(second, 0.0f);
    float third = 0.0f;
    std::memcpy(&third, wav.data() + 58 + 8, sizeof third);
    EXPECT_EQ(third, -0.25f);
}
