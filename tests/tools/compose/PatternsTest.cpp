// The musical material: chords, progressions and melodies stay in key.
#include "Patterns.h"
#include "SongWriter.h"

#include <gtest/gtest.h>

#include <set>

using namespace compose;

namespace {

// A natural minor: A B C D E F G.
const std::set<int> kAMinor = {9, 11, 0, 2, 4, 5, 7};

int pitchClass(int midi)
{
    return ((midi % 12) + 12) % 12;
}

} // namespace

TEST(Patterns, ChordsHoldTheirRootsAndProgressionsRepeat)
{
    const Progression* all[] = {&progressions::main(), &progressions::climax(), &progressions::breakdown(),
                                &progressions::underwater()};
    for (const Progression* p : all) {
        int bars = 0;
        for (const ChordSpan& span : *p) {
            bars += span.bars;
            const Chord& c = span.chord;
            bool hasRoot = false;
            for (std::size_t i = 0; i < c.tones.size(); ++i) {
                hasRoot = hasRoot || pitchClass(c.tones[i]) == c.root;
                if (i > 0) {
                    EXPECT_LT(c.tones[i - 1], c.tones[i]);
                }
            }
            EXPECT_TRUE(hasRoot) << c.root;
            const int bass = bassRoot(c);
            EXPECT_GE(bass, 29);
            EXPECT_LE(bass, 40);
            EXPECT_EQ(pitchClass(bass), c.root);
        }
        // Whole progressions of 8 or 16 bars, repeating end to end.
        EXPECT_TRUE(bars == 8 || bars == 16);
        EXPECT_EQ(&chordAt(*p, 0), &chordAt(*p, bars));
        EXPECT_EQ(&chordAt(*p, -1), &chordAt(*p, bars - 1));
    }
    EXPECT_EQ(chordAt(progressions::main(), 2).root, 5); // bars 2-3: F
    EXPECT_EQ(chordAt(progressions::underwater(), 4).root, 4); // bars 4-7: Em
}

TEST(Patterns, MelodiesStayInKeyOverTheirChords)
{
    const struct {
        const Melody* melody;
        const Progression* progression;
        int bars;
    } pairs[] = {{&melodies::theme(), &progressions::main(), 8},
                 {&melodies::soaring(), &progressions::climax(), 8},
                 {&melodies::lament(), &progressions::breakdown(), 8},
                 {&melodies::deepSea(), &progressions::underwater(), 16}};
    for (const auto& pair : pairs) {
        double previousEnd = 0.0;
        for (const MelodyNote& n : *pair.melody) {
            // A minor, or a tone of the chord underneath (the G# of E7).
            const Chord& chord = chordAt(*pair.progression, static_cast<int>(n.step) / kStepsPerBar);
            bool chordTone = false;
            for (int t : chord.tones)
                chordTone = chordTone || pitchClass(t) == pitchClass(n.pitch);
            EXPECT_TRUE(kAMinor.count(pitchClass(n.pitch)) || chordTone) << n.pitch << " at " << n.step;
            // Monophonic, in order, inside the phrase, in a singable range.
            EXPECT_GE(n.step, previousEnd);
            EXPECT_GT(n.length, 0.0);
            previousEnd = n.step + n.length;
            EXPECT_GE(n.pitch, 67);
            EXPECT_LE(n.pitch, 88);
        }
        EXPECT_LE(previousEnd, pair.bars * kStepsPerBar);
    }
}

TEST(SongWriter, PlacesPatternsOnTheGrid)
{
    Song song;
    SongWriter w(song);
    // Swing delays odd sixteenths of swung lines only.
    DrumPattern p = {{Voice::HatClosed, {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
                     {Voice::Kick, {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0.0f, 0.1, false}};
    w.drums(2, 1, p, p, 0.25, 1.0f);
    const auto& drums = song.bus(Bus::Drums);
    ASSERT_EQ(drums.size(), 3u);
    EXPECT_DOUBLE_EQ(drums[0].start, 2 * 1.35);
    EXPECT_DOUBLE_EQ(drums[1].start, 2 * 1.35 + 1.25 * 1.35 / 16);
    EXPECT_DOUBLE_EQ(drums[2].start, 2 * 1.35 + 1.35 / 16);

    // Pads hold each chord for its whole span; arpeggios use chord tones.
    w.pads(0, 8, progressions::main(), 0, 0.5f);
    ASSERT_EQ(song.bus(Bus::Pad).size(), 4u * 5u);
    EXPECT_NEAR(song.bus(Bus::Pad)[5].start, 2 * 1.35, 1e-12);
    EXPECT_NEAR(song.bus(Bus::Pad)[5].length, 2 * 1.35 + 0.05, 1e-12);
    w.arpeggio(0, 2, progressions::main(), 0, 12, 0.5f, 1);
    const Chord& am = chordAt(progressions::main(), 0);
    for (const Note& n : song.bus(Bus::Arp)) {
        bool tone = false;
        for (int t : am.tones)
            tone = tone || pitchClass(t) == pitchClass(static_cast<int>(n.pitch));
        EXPECT_TRUE(tone) << n.pitch;
    }
    EXPECT_EQ(song.bus(Bus::Arp).size(), 32u);

    // A melody excerpt keeps only the requested steps.
    w.melody(0, melodies::theme(), 0, Voice::Lead, Bus::Lead, 1.0f, 32, 64);
    for (const Note& n : song.bus(Bus::Lead)) {
        EXPECT_GE(n.start, 2 * 1.35 - 1e-9);
        EXPECT_LT(n.start, 4 * 1.35);
    }
}
