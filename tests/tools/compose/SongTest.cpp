// The arrangement's timing and the mixer's repeatability.
#include "Arrangement.h"
#include "Curve.h"
#include "Loudness.h"
#include "Mixer.h"
#include "Score.h"
#include "Synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace compose;

namespace {

const Song& song()
{
    static const Song s = buildSong();
    return s;
}

bool onGrid(double seconds, double unit)
{
    // Within a sample of a multiple of unit.
    const double k = std::round(seconds / unit);
    return std::fabs(seconds - k * unit) * kSampleRate < 0.5;
}

} // namespace

TEST(Curve, InterpolatesStepsAndRejectsTimeTravel)
{
    Curve c(5.0);
    EXPECT_EQ(c.at(-1.0), 5.0);
    c.ramp(1.0, 0.0, 3.0, 10.0);
    EXPECT_EQ(c.at(0.0), 0.0); // held before the first point
    EXPECT_EQ(c.at(2.0), 5.0); // halfway up the ramp
    EXPECT_EQ(c.at(9.0), 10.0); // held after the last point
    c.step(4.0, 1.0);
    EXPECT_EQ(c.at(3.999), 10.0);
    EXPECT_EQ(c.at(4.0), 1.0);
    EXPECT_THROW(c.set(3.5, 0.0), std::invalid_argument);
}

TEST(Arrangement, SectionsFollowTheCuesOnTheBarGrid)
{
    const Song& s = song();
    EXPECT_GE(s.duration, 284.0);
    EXPECT_LE(s.duration, 286.0);
    ASSERT_EQ(s.sections.size(), kCueTimes.size() + 1);
    EXPECT_EQ(s.sections.front().start, 0.0);
    for (std::size_t i = 1; i < s.sections.size(); ++i) {
        const Section& sec = s.sections[i];
        EXPECT_EQ(sec.cue, kCueTimes[i - 1]) << sec.name;
        // The music changes on the first downbeat at or after the cue.
        EXPECT_TRUE(onGrid(sec.start, kBarSeconds)) << sec.name;
        EXPECT_GE(sec.start, sec.cue) << sec.name;
        EXPECT_LT(sec.start - sec.cue, kBarSeconds) << sec.name;
        EXPECT_EQ(s.sections[i - 1].end, sec.start) << sec.name;
    }
    EXPECT_EQ(s.sections.back().end, s.duration);
    // The mellow part spans the picture's underwater scroller.
    EXPECT_EQ(s.sections[7].name, "underwater");
    EXPECT_LT(s.sections[7].start, 161.0 + kBarSeconds);
    EXPECT_LT(s.sections[7].end, 245.0 + kBarSeconds);
}

TEST(Arrangement, KicksAndNotesSitOnTheGrid)
{
    const Song& s = song();
    int kicks = 0;
    int downbeats = 0;
    for (const Note& n : s.bus(Bus::Drums)) {
        EXPECT_GE(n.start, 0.0);
        EXPECT_LT(n.start, s.duration);
        if (n.voice != Voice::Kick)
            continue;
        ++kicks;
        // On a sixteenth, or (swing) a little late on an odd sixteenth.
        const double steps = n.start / kStepSeconds;
        const double whole = std::floor(steps + 0.5 / (kSampleRate * kStepSeconds));
        const bool straight = onGrid(n.start, kStepSeconds);
        const bool swung = static_cast<long>(whole) % 2 == 1 && steps - whole < 0.2;
        EXPECT_TRUE(straight || swung) << n.start;
        downbeats += onGrid(n.start, kBarSeconds) ? 1 : 0;
    }
    EXPECT_GT(kicks, 300);
    // Most bars from the build-up on start with a kick exactly on the grid.
    EXPECT_GT(downbeats, 120);
    // Bass and lead notes start on sixteenths (only hats and ghost notes swing).
    for (Bus b : {Bus::Bass, Bus::Lead, Bus::Pad})
        for (const Note& n : s.bus(b))
            EXPECT_TRUE(onGrid(n.start, kStepSeconds)) << n.start;
    // The fade ends inside the 284..286 s window and stays silent after.
    EXPECT_GT(s.fade.at(279.0), 0.99);
    EXPECT_EQ(s.fade.at(kFadeEnd), 0.0);
    EXPECT_GE(kFadeEnd, 284.0);
    EXPECT_LE(kFadeEnd, 286.0);
}

TEST(Mixer, RendersTheSameSamplesEveryTime)
{
    const Song& s = song();
    const Section& title = s.sections[0];
    const Section& logo = s.sections[1];
    const StereoBuffer a = Mixer(s).render(title.start, title.end);
    // Something else in between must not leave state behind.
    const StereoBuffer b = Mixer(s).render(logo.start, logo.end);
    const StereoBuffer again = Mixer(s).render(title.start, title.end);
    ASSERT_EQ(a.frames(), static_cast<std::size_t>(std::llround((title.end - title.start) * kSampleRate)));
    EXPECT_EQ(a.left, again.left);
    EXPECT_EQ(a.right, again.right);

    // Both sections are audible, and they are not the same music.
    EXPECT_GT(integratedLoudness(a, kSampleRate), -40.0);
    EXPECT_GT(integratedLoudness(b, kSampleRate), -40.0);
    for (const StereoBuffer* x : {&a, &b})
        for (const std::vector<float>* ch : {&x->left, &x->right})
            for (float v : *ch)
                ASSERT_TRUE(std::isfinite(v));
    EXPECT_NE(std::vector<float>(a.left.begin(), a.left.begin() + 44100),
              std::vector<float>(b.left.begin(), b.left.begin() + 44100));
    // Left and right differ: the mix is really stereo.
    EXPECT_NE(b.left, b.right);
}

TEST(Mixer, EndsInSilenceAndRejectsEmptyRanges)
{
    const Song& s = song();
    const StereoBuffer tail = Mixer(s).render(kFadeEnd, s.duration);
    EXPECT_EQ(samplePeak(tail), 0.0);
    EXPECT_THROW(Mixer(s).render(10.0, 10.0), std::invalid_argument);
    EXPECT_THROW(Mixer(s).render(-1.0, 1.0), std::invalid_argument);
}
