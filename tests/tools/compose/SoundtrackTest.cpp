// The finished soundtrack as the build made it, decoded the way a player
// decodes it, and a second encoding compared byte for byte.
#include "Arrangement.h"
#include "Loudness.h"
#include "Mp3Decoder.h"
#include "Soundtrack.h"
#include "Synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

using namespace compose;

namespace {

std::vector<unsigned char> readFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(Soundtrack, BuiltFileMeetsTheTargetsAndIsReproducible)
{
    const std::vector<unsigned char> built = readFile(COMPOSE_SOUNDTRACK_MP3);
    ASSERT_FALSE(built.empty()) << "missing " << COMPOSE_SOUNDTRACK_MP3 << " (the soundtrack target makes it)";

    const StereoBuffer decoded = decodeMp3(built);
    const double seconds = static_cast<double>(decoded.frames()) / kSampleRate;
    EXPECT_GE(seconds, 284.0);
    EXPECT_LE(seconds, 286.0);
    // Gapless decoding gives back exactly the rendered length.
    EXPECT_EQ(decoded.frames(), static_cast<std::size_t>(kSongSeconds * kSampleRate));
    EXPECT_LE(gainToDb(samplePeak(decoded)), -1.0);
    EXPECT_NEAR(integratedLoudness(decoded, kSampleRate), -14.0, 1.0);
    // The tool checks itself to a tighter tolerance.
    EXPECT_NEAR(integratedLoudness(decoded, kSampleRate), -14.0, 0.2);
    // The fade has reached silence at the end.
    double tail = 0.0;
    for (std::size_t i = decoded.frames() - kSampleRate / 5; i < decoded.frames(); ++i)
        tail = std::max(tail, static_cast<double>(std::fabs(decoded.left[i])));
    EXPECT_LT(tail, 1e-3);

    // A fresh run of the whole pipeline gives the same bytes.
    const std::vector<unsigned char> again = encodeSoundtrack(renderMix(), DeliveryTargets{});
    EXPECT_TRUE(again == built) << "sizes " << again.size() << " and " << built.size();
}
