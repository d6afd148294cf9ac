// The ACM decoder against libmpg123: each NAME.mp3 in the folder given on
// the command line comes with NAME.raw, libmpg123's gapless decode of it at
// its own rate (16-bit stereo, made on Linux by mp3_reference). The decode
// must have the same length, be aligned to the sample and be close to it;
// a seek must give what the whole decode has there.
//   hal_win32_mp3_tests.exe FOLDER NAME... [--gtest_...]

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "HAL/Music.h"
#include "HAL/win32/AcmMp3Decoder.h"

using HAL::AcmMp3Decoder;

namespace {

std::string g_folder;
std::vector<std::string> g_names;

std::vector<int16_t> readRaw(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

std::vector<int16_t> decodeAll(AcmMp3Decoder& decoder)
{
    std::vector<int16_t> out;
    std::vector<int16_t> piece(1000 * 2);
    // Odd piece sizes: reads must not depend on frame boundaries.
    for (size_t n; (n = decoder.read(piece.data(), 777)) > 0;)
        out.insert(out.end(), piece.begin(), piece.begin() + static_cast<long>(n * 2));
    return out;
}

// The shift of `decoded` against `reference` (left channels) within
// +-maxShift that correlates best over `count` frames from `start`;
// samples outside either signal count as silence.
int bestOffset(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded, long start, long count,
               int maxShift)
{
    const long frames = static_cast<long>(decoded.size() / 2);
    auto at = [&](long i) { return i >= 0 && i < frames ? double(decoded[2 * i]) : 0.0; };
    int best = 0;
    double bestScore = -2.0;
    for (int shift = -maxShift; shift <= maxShift; ++shift) {
        double dot = 0.0;
        double energy = 1e-9;
        for (long i = start; i < start + count; ++i) {
            const double d = at(i + shift);
            dot += double(reference[2 * i]) * d;
            energy += d * d;
        }
        const double score = dot / std::sqrt(energy);
        if (score > bestScore) {
            bestScore = score;
            best = shift;
        }
    }
    return best;
}

double snrDb(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded)
{
    double signal = 0.0;
    double noise = 1e-9;
    for (size_t i = 0; i < reference.size() && i < decoded.size(); ++i) {
        const double r = reference[i];
        signal += r * r;
        noise += (r - decoded[i]) * (r - decoded[i]);
    }
    return 10.0 * std::log10(signal / noise);
}

} // namespace

TEST(AcmMp3Decoder, MatchesLibmpg123sDecodeInLengthAlignmentAndSignal)
{
    ASSERT_FALSE(g_names.empty()) << "no files named on the command line";
    for (const std::string& name : g_names) {
        SCOPED_TRACE(name);
        const std::vector<int16_t> reference = readRaw(g_folder + "/" + name + ".raw");
        ASSERT_GT(reference.size(), 2u * 8192);
        const long frames = static_cast<long>(reference.size() / 2);

        AcmMp3Decoder decoder;
        ASSERT_EQ(decoder.open((g_folder + "/" + name + ".mp3").c_str()), HAL::MUSIC_OK);
        EXPECT_EQ(decoder.length(), frames);
        const std::vector<int16_t> decoded = decodeAll(decoder);
        EXPECT_TRUE(decoder.atEnd());
        EXPECT_EQ(decoder.failure(), nullptr);
        EXPECT_EQ(decoded.size(), reference.size());

        // At the start (where a wrong trim shows) and in the middle.
        const int startOffset = bestOffset(reference, decoded, 0, 4096, 3000);
        const int middleOffset = bestOffset(reference, decoded, frames / 2, 4096, 3000);
        const double snr = snrDb(reference, decoded);
        std::printf("%s: %ld frames at %u Hz, offset %d at the start and %d in the middle, SNR %.1f dB\n", name.c_str(),
                    frames, decoder.rate(), startOffset, middleOffset, snr);
        EXPECT_EQ(startOffset, 0);
        EXPECT_EQ(middleOffset, 0);
        EXPECT_GE(snr, 60.0);

        // A seek gives what the whole decode has there, aligned to the
        // sample. Not bit for bit: a decoder started frames before the
        // target keeps floating-point state (filter bank sums) that differs
        // in its last bits from one that started at the beginning; measured
        // under Wine 8, at most 3 (with 8 or 32 frames decoded ahead).
        for (const long target : {0L, 1L, 1000L, 12345L, frames / 2, frames - 3000}) {
            SCOPED_TRACE(target);
            ASSERT_TRUE(decoder.seek(target));
            std::vector<int16_t> piece(2 * 2048);
            const size_t got = decoder.read(piece.data(), 2048);
            ASSERT_EQ(got, size_t(std::min(2048L, frames - target)));
            int worst = 0;
            for (size_t i = 0; i < got * 2; ++i)
                worst = std::max(worst, std::abs(piece[i] - decoded[2 * size_t(target) + i]));
            EXPECT_LE(worst, 4) << "largest difference from the whole decode";
        }
        ASSERT_TRUE(decoder.seek(frames));
        int16_t none[2];
        EXPECT_EQ(decoder.read(none, 1), 0u);
        EXPECT_TRUE(decoder.atEnd());
        EXPECT_FALSE(decoder.seek(frames + 1));
    }
}

TEST(AcmMp3Decoder, OpensAPathBeyondAscii)
{
    // The script's copy of mono22k.mp3 named "sävel.mp3", in UTF-8.
    AcmMp3Decoder decoder;
    ASSERT_EQ(decoder.open((g_folder + "/s\xC3\xA4vel.mp3").c_str()), HAL::MUSIC_OK);
    EXPECT_EQ(decoder.length(), static_cast<int64_t>(readRaw(g_folder + "/mono22k.raw").size() / 2));
    EXPECT_EQ(decoder.rate(), 22050u);
}

TEST(AcmMp3Decoder, RefusesMissingEmptyAndGarbageFiles)
{
    AcmMp3Decoder decoder;
    EXPECT_EQ(decoder.open((g_folder + "/missing.mp3").c_str()), HAL::MUSIC_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(decoder.open(g_folder.c_str()), HAL::MUSIC_ERR_FILE_NOT_FOUND) << "a folder";
    EXPECT_EQ(decoder.open(nullptr), HAL::MUSIC_ERR_INVALID_PARAM);

    const std::string empty = g_folder + "/empty.mp3";
    std::ofstream(empty, std::ios::binary).close();
    EXPECT_EQ(decoder.open(empty.c_str()), HAL::MUSIC_ERR_FORMAT);

    const std::string garbage = g_folder + "/garbage.mp3";
    {
        std::ofstream out(garbage, std::ios::binary);
        uint32_t x = 23;
        for (int i = 0; i < 100000; ++i) {
            x = x * 1664525u + 1013904223u;
            out.put(static_cast<char>(x >> 24));
        }
    }
    EXPECT_EQ(decoder.open(garbage.c_str()), HAL::MUSIC_ERR_FORMAT);
    EXPECT_FALSE(decoder.isOpen());
    EXPECT_EQ(decoder.length(), 0);
    EXPECT_EQ(decoder.rate(), 0u);
    int16_t none[2];
    EXPECT_EQ(decoder.read(none, 1), 0u);
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER NAME... [--gtest_...]\n", argv[0]);
        return 2;
    }
    g_folder = argv[1];
    for (int i = 2; i < argc; ++i)
        g_names.push_back(argv[i]);
    return RUN_ALL_TESTS();
}
