// Every voice, drum or instrument: sound, bounds, repeatability, and
// rendering through windows (the way section renders cut notes).
#include "AudioBuffer.h"
#include "Canvas.h"
#include "Drums.h"
#include "Loudness.h"
#include "Synth.h"
#include "Voices.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace compose;

namespace {

const Voice kAllVoices[] = {Voice::Kick,      Voice::SoftKick, Voice::Snare,  Voice::Clap,   Voice::Rim,
                            Voice::HatClosed, Voice::HatOpen,  Voice::Shaker, Voice::Ride,   Voice::Crash,
                            Voice::Tom,       Voice::Riser,    Voice::Swell,  Voice::Impact, Voice::SubBass,
                            Voice::ReeseBass, Voice::AcidBass, Voice::Pad,    Voice::Stab,   Voice::Lead,
                            Voice::SoftLead,  Voice::Bell,     Voice::Bubble};

Note noteFor(Voice v)
{
    Note n;
    n.voice = v;
    n.start = 0.25;
    n.length = isDrum(v) ? 0.5 : 0.4;
    n.pitch = (v == Voice::SubBass || v == Voice::ReeseBass || v == Voice::AcidBass) ? 33.0 : 69.0;
    n.velocity = 0.9f;
    n.pan = 0.3f;
    return n;
}

} // namespace

TEST(Voices, EveryVoiceSoundsWithinItsTime)
{
    for (Voice v : kAllVoices) {
        const Note n = noteFor(v);
        StereoBuffer b(static_cast<std::size_t>(kSampleRate * 4));
        Canvas c(b, 0);
        renderNote(n, c);
        const int id = static_cast<int>(v);
        // Audible, finite and not wildly loud.
        EXPECT_GT(samplePeak(b), 0.01) << id;
        EXPECT_LT(samplePeak(b), 3.0) << id;
        const auto start = static_cast<std::size_t>(frameAt(n.start));
        const auto end = static_cast<std::size_t>(frameAt(n.start + soundingTime(n)));
        for (std::size_t i = 0; i < b.frames(); ++i) {
            ASSERT_TRUE(std::isfinite(b.left[i]) && std::isfinite(b.right[i])) << id;
            // Nothing before the note starts, nothing after its sounding time.
            if (i < start || i > end) {
                ASSERT_EQ(b.left[i], 0.0f) << id << " at " << i;
            }
        }
        // The first few milliseconds start from (near) zero: no click.
        EXPECT_LT(std::fabs(b.left[start]), 0.05) << id;
    }
}

TEST(Voices, RenderingIsRepeatableAndWindowIndependent)
{
    for (Voice v : kAllVoices) {
        const Note n = noteFor(v);
        StereoBuffer whole(static_cast<std::size_t>(kSampleRate * 4));
        Canvas all(whole, 0);
        renderNote(n, all);
        StereoBuffer again(whole.frames());
        Canvas allAgain(again, 0);
        renderNote(n, allAgain);
        EXPECT_EQ(whole.left, again.left) << static_cast<int>(v);

        // Two windows that split the note in the middle hold exactly the
        // halves of the whole render.
        const int64_t split = frameAt(n.start + 0.13);
        StereoBuffer first(static_cast<std::size_t>(split));
        StereoBuffer second(whole.frames() - static_cast<std::size_t>(split));
        Canvas a(first, 0);
        Canvas b(second, split);
        renderNote(n, a);
        renderNote(n, b);
        for (std::size_t i = 0; i < whole.frames(); ++i) {
            const float expected = whole.right[i];
            const float got = i < first.frames() ? first.right[i] : second.right[i - first.frames()];
            ASSERT_EQ(got, expected) << static_cast<int>(v) << " at " << i;
        }
    }
}

TEST(Voices, PanAndPitchDoWhatTheySay)
{
    // A hard-left note is silent on the right.
    Note left = noteFor(Voice::Bell);
    left.pan = -1.0f;
    StereoBuffer b(kSampleRate);
    Canvas c(b, 0);
    renderNote(left, c);
    EXPECT_GT(samplePeak(b), 0.1);
    double right = 0.0;
    for (float x : b.right)
        right = std::max(right, static_cast<double>(std::fabs(x)));
    EXPECT_LT(right, 1e-6);

    // The soft lead at A4 has 440 upward zero crossings per second
    // (before its vibrato fades in).
    Note lead = noteFor(Voice::SoftLead);
    lead.start = 0.0;
    lead.length = 0.2;
    StereoBuffer s(kSampleRate);
    Canvas sc(s, 0);
    renderNote(lead, sc);
    int crossings = 0;
    const int from = kSampleRate / 20;
    const int to = kSampleRate * 3 / 20;
    for (int i = from + 1; i < to; ++i)
        crossings += (s.left[i - 1] < 0.0f && s.left[i] >= 0.0f) ? 1 : 0;
    EXPECT_NEAR(crossings, 44, 1);
}
