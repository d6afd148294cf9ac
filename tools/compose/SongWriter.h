#pragma once
// Helpers that turn patterns, progressions and melodies into notes on the
// bar grid of a Song. Bars are counted from song time 0; steps are
// sixteenths of a bar.

#include "Patterns.h"
#include "Score.h"

#include <climits>
#include <cstdint>

namespace compose {

class SongWriter {
public:
    // Writes into song, which must outlive the writer.
    explicit SongWriter(Song& song);

    // Song time of `step` sixteenths after the start of `bar`.
    static double time(double bar, double step = 0.0);

    // Adds one note.
    void note(Bus bus, Voice voice, double start, double length, double pitch, float velocity, float pan = 0.0f);

    // Plays pattern a on the first bar and every other bar after it, b on the
    // others, for `bars` bars from bar0. Off-sixteenths of swung lines are
    // late by `swing` steps; velocities are scaled by gain. The last bar
    // stops before step lastBarSteps (to leave room for a fill).
    void drums(int bar0, int bars, const DrumPattern& a, const DrumPattern& b, double swing, float gain,
               int lastBarSteps = kStepsPerBar);
    // Snare hits every `stride` steps from fromStep up to (excluding) toStep
    // of `bar`, velocity ramping from v0 to v1.
    void snareRoll(int bar, int fromStep, int toStep, float v0, float v1, int stride = 1);
    // Descending toms over the second half of `bar` from fromStep, ending
    // with a snare on the last sixteenth.
    void tomFill(int bar, int fromStep, float gain);

    // Plays a bass pattern over the chords of `progression` (its bar 0 lines
    // up with song bar progBar0), for `bars` bars from bar0.
    void bass(int bar0, int bars, const Progression& progression, int progBar0, const BassPattern& pattern, Voice voice,
              float gain, int transpose = 0);
    // Holds each chord of the progression on the pad for as long as it lasts.
    void pads(int bar0, int bars, const Progression& progression, int progBar0, float velocity);
    // Short chord stabs (the upper four tones) at the given steps of every bar.
    void stabs(int bar0, int bars, const Progression& progression, int progBar0, const std::vector<double>& steps,
               double lengthSteps, float velocity);
    // Arpeggio through the chord tones, one note every `stride` steps.
    void arpeggio(int bar0, int bars, const Progression& progression, int progBar0, int transpose, float velocity,
                  int stride, Voice voice = Voice::Bell, Bus bus = Bus::Arp);
    // Plays the notes of a melody that start in [fromStep, toStep), with the
    // melody's step 0 on bar0.
    void melody(int bar0, const Melody& melody, int transpose, Voice voice, Bus bus, float velocity, int fromStep = 0,
                int toStep = INT_MAX);

    // Transition effects: a riser or swell that ends exactly at `to`, and
    // the crash and impact that mark a section's first downbeat.
    void riser(double from, double to, float velocity);
    void swell(double from, double to, float velocity);
    void crash(double t, float velocity);
    void impact(double t, float velocity);
    // Scattered bubble chirps between from and to, about perSecond of them
    // per second, in small clusters; positions come from seed.
    void bubbles(double from, double to, double perSecond, uint32_t seed);

    // The mix settings of a bus, for automation.
    BusMix& mix(Bus bus) { return m_song.busMix(bus); }

private:
    Song& m_song;
};

} // namespace compose
