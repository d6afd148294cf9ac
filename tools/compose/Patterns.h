#pragma once
// The musical material: chords and progressions in A minor, drum and bass
// patterns on a sixteen-step bar, and the melodies. Pure data; the
// arrangement decides where each piece plays.

#include "Score.h"

#include <array>
#include <initializer_list>
#include <vector>

namespace compose {

constexpr int kStepsPerBar = 16;

struct Chord {
    int root; // pitch class 0..11 of the bass note (0 = C)
    std::array<int, 5> tones; // pad voicing, MIDI notes, ascending
};

struct ChordSpan {
    Chord chord;
    int bars;
};
using Progression = std::vector<ChordSpan>;

// Chord sounding at `bar` bars into a progression that repeats end to end.
const Chord& chordAt(const Progression& progression, int bar);
// MIDI note of a chord's bass root, folded into F1..E2 (29..40).
int bassRoot(const Chord& chord);

namespace progressions {
// Am9 | Fmaj9 | Cmaj7 | Gadd9, two bars each: the main theme.
const Progression& main();
// Fmaj9 | Gadd9 | Em7 | Am9, two bars each: the lifting climax.
const Progression& climax();
// Dm9 | Am9 | Fmaj9 | E7, two bars each: the breakdown, ending on the dominant.
const Progression& breakdown();
// Fmaj7#11 | Em7 | Dm9 | Am9, four bars each: the slow underwater cycle.
const Progression& underwater();
} // namespace progressions

// One drum voice over a bar: velocity per sixteenth step, 0 for none.
struct DrumLine {
    Voice voice;
    std::array<float, kStepsPerBar> velocity;
    float pan = 0.0f;
    double length = 0.1; // seconds; matters for open hats
    bool swung = true; // delay the off-sixteenths by the groove's swing
};
using DrumPattern = std::vector<DrumLine>;

namespace drums {
DrumPattern twoStep(); // kick 1 and 3-and, snare 2 and 4, ghost notes, hats
DrumPattern twoStepB(); // second bar of the groove: extra kick, open hat
DrumPattern climax(); // two-step with ride and clap layered on the snare
DrumPattern climaxB(); // its second bar, on the twoStepB variation
DrumPattern halfTime(); // kick on 1, snare on 3: the build's stride
DrumPattern breakbeat(); // chopped-break feel for the driving section
DrumPattern breakbeatB();
DrumPattern underwater(); // soft kick, rim shot and shaker
// The lines of `pattern` whose voice is one of `voices`.
DrumPattern only(const DrumPattern& pattern, std::initializer_list<Voice> voices);
} // namespace drums

// One bass note inside a bar: step, length in steps, semitones above the root.
struct BassStep {
    int step;
    double length;
    int offset;
    float velocity = 1.0f;
};
using BassPattern = std::vector<BassStep>;

namespace basslines {
BassPattern rolling(); // follows the two-step kick with an octave pickup
BassPattern pulse(); // driving eighths for the build
BassPattern acid(); // sixteenth-note acid line with accents
BassPattern sub(); // long sub notes for the mellow part
} // namespace basslines

// A melody note: start and length in sixteenth steps from the phrase start.
struct MelodyNote {
    double step;
    double length;
    int pitch;
};
using Melody = std::vector<MelodyNote>;

namespace melodies {
const Melody& theme(); // 8 bars over progressions::main()
const Melody& soaring(); // 8 bars over progressions::climax()
const Melody& lament(); // 8 bars over progressions::breakdown()
const Melody& deepSea(); // 16 bars over progressions::underwater()
} // namespace melodies

// Indices into a chord's tones (5..9 are the tones an octave up) for a
// sixteenth-note arpeggio over one bar.
const std::array<int, kStepsPerBar>& arpeggioOrder();

} // namespace compose
