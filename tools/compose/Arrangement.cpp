#include "Arrangement.h"

#include "Patterns.h"
#include "SongWriter.h"

#include <cmath>

namespace compose {

namespace {

using W = SongWriter;

// Section boundaries in bars: the title starts at bar 0, every later section
// on the first downbeat after its cue, and the song ends after the outro.
struct Bars {
    int title, logo, build, groove, breakdown, climax, drive, underwater, reprise, outro;
};

Bars sectionBars()
{
    Bars b{};
    b.title = 0;
    b.logo = firstBarAtOrAfter(kCueTimes[0]);
    b.build = firstBarAtOrAfter(kCueTimes[1]);
    b.groove = firstBarAtOrAfter(kCueTimes[2]);
    b.breakdown = firstBarAtOrAfter(kCueTimes[3]);
    b.climax = firstBarAtOrAfter(kCueTimes[4]);
    b.drive = firstBarAtOrAfter(kCueTimes[5]);
    b.underwater = firstBarAtOrAfter(kCueTimes[6]);
    b.reprise = firstBarAtOrAfter(kCueTimes[7]);
    b.outro = firstBarAtOrAfter(kCueTimes[8]);
    return b;
}

// Steps every automation curve of a bus to new values at time t.
void setMix(W& w, Bus bus, double t, double lowpass, double level, double reverb, double delay, double duck)
{
    BusMix& m = w.mix(bus);
    m.lowpassHz.step(t, lowpass);
    m.level.step(t, level);
    m.reverbSend.step(t, reverb);
    m.delaySend.step(t, delay);
    m.duck.step(t, duck);
}

// Mix for the full-band sections (groove, climax, reprise).
void fullBandMix(W& w, double t)
{
    setMix(w, Bus::Drums, t, 20000, 1.0, 0.07, 0.0, 0.0);
    setMix(w, Bus::Bass, t, 20000, 1.0, 0.0, 0.0, 0.45);
    setMix(w, Bus::Pad, t, 6000, 1.0, 0.3, 0.0, 0.6);
    setMix(w, Bus::Stab, t, 7000, 1.0, 0.2, 0.22, 0.45);
    setMix(w, Bus::Lead, t, 12000, 1.0, 0.22, 0.25, 0.2);
    setMix(w, Bus::Arp, t, 7000, 1.0, 0.3, 0.35, 0.4);
    setMix(w, Bus::Fx, t, 20000, 1.0, 0.3, 0.0, 0.0);
}

void title(W& w, int b0, int b1)
{
    const double t0 = W::time(b0);
    const double t1 = W::time(b1);
    setMix(w, Bus::Pad, t0, 300, 1.0, 0.45, 0.0, 0.0);
    w.mix(Bus::Pad).lowpassHz.ramp(t0, 300, t1, 2200);
    setMix(w, Bus::Arp, t0, 3000, 1.0, 0.5, 0.45, 0.0);
    setMix(w, Bus::Bass, t0, 20000, 1.0, 0.0, 0.0, 0.0);
    setMix(w, Bus::Fx, t0, 20000, 1.0, 0.35, 0.0, 0.0);

    w.pads(b0, b1 - b0, progressions::main(), b0, 0.75f);
    w.arpeggio(b0 + 1, b1 - b0 - 1, progressions::main(), b0, 12, 0.32f, 2);
    w.note(Bus::Bass, Voice::SubBass, W::time(b0 + 2), (b1 - b0 - 2) * kBarSeconds, 33, 0.5f);
    w.riser(W::time(b0 + 2), t1, 0.35f);
    w.swell(kCueTimes[0], t1, 0.6f);
}

void logo(W& w, int b0, int b1)
{
    const double t0 = W::time(b0);
    const double t1 = W::time(b1);
    w.crash(t0, 0.6f);
    w.impact(t0, 0.6f);
    w.mix(Bus::Pad).lowpassHz.ramp(t0, 2200, t1, 3500);
    w.mix(Bus::Arp).lowpassHz.ramp(t0, 1500, t1, 5000);
    setMix(w, Bus::Drums, t0, 2500, 1.0, 0.12, 0.0, 0.0);
    w.mix(Bus::Drums).lowpassHz.ramp(W::time(b0 + 4), 2500, t1, 20000);
    setMix(w, Bus::Bass, t0, 20000, 1.0, 0.0, 0.0, 0.3);

    const auto& prog = progressions::main();
    w.pads(b0, b1 - b0, prog, b0, 0.7f);
    w.arpeggio(b0, b1 - b0, prog, b0, 12, 0.28f, 1);
    w.bass(b0 + 2, b1 - b0 - 2, prog, b0, basslines::sub(), Voice::SubBass, 0.7f);
    w.drums(b0 + 4, 2, drums::only(drums::halfTime(), {Voice::HatClosed, Voice::Shaker}),
            drums::only(drums::halfTime(), {Voice::HatClosed, Voice::Shaker}), 0.12, 0.8f);
    w.drums(b0 + 6, b1 - b0 - 6, drums::halfTime(), drums::halfTime(), 0.12, 0.85f, 8);
    w.snareRoll(b1 - 1, 8, 16, 0.3f, 0.8f);
    w.riser(W::time(b1 - 3), t1, 0.45f);
    w.swell(kCueTimes[1], t1, 0.7f);
}

void build(W& w, int b0, int b1)
{
    const double t0 = W::time(b0);
    const double t1 = W::time(b1);
    const auto& prog = progressions::main();
    w.crash(t0, 0.7f);
    setMix(w, Bus::Drums, t0, 20000, 1.0, 0.08, 0.0, 0.0);
    setMix(w, Bus::Bass, t0, 20000, 1.0, 0.0, 0.0, 0.4);
    setMix(w, Bus::Pad, t0, 3500, 1.0, 0.35, 0.0, 0.45);
    w.mix(Bus::Pad).lowpassHz.ramp(W::time(b1 - 7), 3500, t1, 9000);
    setMix(w, Bus::Stab, t0, 600, 1.0, 0.25, 0.3, 0.4);
    w.mix(Bus::Stab).lowpassHz.ramp(W::time(b0 + 8), 600, t1, 8000);
    setMix(w, Bus::Arp, t0, 2500, 1.0, 0.3, 0.35, 0.3);
    w.mix(Bus::Arp).lowpassHz.ramp(t0, 2500, t1, 8000);
    setMix(w, Bus::Lead, t0, 1200, 1.0, 0.3, 0.3, 0.0);
    w.mix(Bus::Lead).lowpassHz.ramp(W::time(b0 + 8), 1200, W::time(b0 + 16), 4000);

    // Half-time groove, then a snare build into the drop with a one-beat gap.
    const int stride = b1 - 4 - b0;
    w.drums(b0, stride, drums::halfTime(), drums::halfTime(), 0.1, 1.0f);
    for (int bar = b1 - 4; bar < b1 - 2; ++bar) {
        for (int s = 0; s < 16; s += 4)
            w.note(Bus::Drums, Voice::Kick, W::time(bar, s), 0.1, 60, 0.9f);
        w.drums(bar, 1, drums::only(drums::halfTime(), {Voice::HatClosed}),
                drums::only(drums::halfTime(), {Voice::HatClosed}), 0.1, 1.0f);
        w.snareRoll(bar, 0, 16, bar == b1 - 4 ? 0.35f : 0.5f, bar == b1 - 4 ? 0.5f : 0.65f, 2);
    }
    for (int s = 0; s < 16; s += 4)
        w.note(Bus::Drums, Voice::Kick, W::time(b1 - 2, s), 0.1, 60, 0.9f);
    w.snareRoll(b1 - 2, 0, 16, 0.55f, 0.8f);
    w.snareRoll(b1 - 1, 0, 12, 0.8f, 1.0f);

    w.pads(b0, b1 - b0, prog, b0, 0.75f);
    w.arpeggio(b0, b1 - b0 - 1, prog, b0, 12, 0.25f, 1);
    w.bass(b0 + 4, b1 - b0 - 5, prog, b0, basslines::pulse(), Voice::ReeseBass, 0.85f);
    w.note(Bus::Bass, Voice::ReeseBass, W::time(b1 - 1), 0.75 * kBarSeconds, bassRoot(chordAt(prog, b1 - 1 - b0)),
           0.9f);
    w.stabs(b0 + 8, b1 - b0 - 9, prog, b0, {2, 6, 10, 14}, 1.0, 0.55f);
    w.melody(b0 + 8, melodies::theme(), 0, Voice::Lead, Bus::Lead, 0.75f);
    w.riser(W::time(b1 - 4), t1, 0.75f);
    w.swell(kCueTimes[2], t1, 0.8f);
}

void groove(W& w, int b0, int b1)
{
    const double t0 = W::time(b0);
    const auto& prog = progressions::main();
    w.crash(t0, 1.0f);
    w.impact(t0, 0.9f);
    fullBandMix(w, t0);
    w.mix(Bus::Stab).lowpassHz.step(W::time(b0 + 16), 9000);

    w.drums(b0, 7, drums::twoStep(), drums::twoStepB(), 0.08, 1.0f);
    w.drums(b0 + 7, 1, drums::twoStepB(), drums::twoStepB(), 0.08, 1.0f, 12);
    w.snareRoll(b0 + 7, 12, 16, 0.6f, 0.9f);
    w.crash(W::time(b0 + 8), 0.7f);
    w.drums(b0 + 8, 7, drums::twoStep(), drums::twoStepB(), 0.08, 1.0f);
    w.drums(b0 + 15, 1, drums::twoStepB(), drums::twoStepB(), 0.08, 1.0f, 8);
    w.tomFill(b0 + 15, 8, 0.8f);
    w.crash(W::time(b0 + 16), 0.8f);
    w.drums(b0 + 16, b1 - b0 - 16, drums::climax(), drums::climaxB(), 0.08, 1.0f, 8);
    w.snareRoll(b1 - 1, 8, 16, 0.5f, 0.95f);

    w.bass(b0, b1 - b0, prog, b0, basslines::rolling(), Voice::ReeseBass, 1.0f);
    w.pads(b0, b1 - b0, prog, b0, 0.6f);
    w.stabs(b0, 16, prog, b0, {6, 14}, 1.2, 0.4f);
    w.stabs(b0 + 16, b1 - b0 - 16, prog, b0, {3, 6, 11, 14}, 1.2, 0.6f);
    w.melody(b0, melodies::theme(), 0, Voice::Lead, Bus::Lead, 0.9f);
    w.melody(b0 + 8, melodies::theme(), 0, Voice::Lead, Bus::Lead, 0.9f);
    w.melody(b0 + 8, melodies::theme(), -12, Voice::Lead, Bus::Lead, 0.4f);
    w.arpeggio(b0 + 8, b1 - b0 - 8, prog, b0, 12, 0.22f, 1);
    w.riser(W::time(b1 - 2), W::time(b1), 0.5f);
    w.swell(kCueTimes[3], W::time(b1), 0.8f);
}

void breakdown(W& w, int b0, int b1)
{
    const double t0 = W::time(b0);
    const double t1 = W::time(b1);
    const auto& prog = progressions::breakdown();
    w.crash(t0, 0.7f);
    w.impact(t0, 0.7f);
    setMix(w, Bus::Pad, t0, 1200, 1.0, 0.5, 0.0, 0.0);
    w.mix(Bus::Pad).lowpassHz.ramp(t0, 1200, W::time(b0 + 7), 2500);
    w.mix(Bus::Pad).lowpassHz.ramp(W::time(b0 + 7), 2500, t1, 8000);
    setMix(w, Bus::Lead, t0, 5000, 1.0, 0.4, 0.3, 0.0);
    setMix(w, Bus::Arp, t0, 2000, 1.0, 0.45, 0.4, 0.0);
    w.mix(Bus::Arp).lowpassHz.ramp(t0, 2000, t1, 6000);
    setMix(w, Bus::Bass, t0, 20000, 1.0, 0.0, 0.0, 0.0);
    setMix(w, Bus::Drums, t0, 300, 1.0, 0.15, 0.0, 0.0);
    w.mix(Bus::Drums).lowpassHz.ramp(W::time(b0 + 7), 300, W::time(b0 + 11), 1500);
    w.mix(Bus::Drums).lowpassHz.ramp(W::time(b0 + 11), 1500, t1, 20000);

    w.pads(b0, b1 - b0, prog, b0, 0.8f);
    w.bass(b0, b1 - b0, prog, b0, basslines::sub(), Voice::SubBass, 0.8f);
    w.melody(b0, melodies::lament(), 0, Voice::SoftLead, Bus::Lead, 0.85f);
    w.melody(b0 + 8, melodies::lament(), 0, Voice::Lead, Bus::Lead, 0.6f, 0, 16 * (b1 - b0 - 8));
    w.arpeggio(b0 + 4, b1 - b0 - 4, prog, b0, 12, 0.25f, 2);

    // Four-on-the-floor pulse that rises out of the muffle, then a roll.
    for (int bar = b0 + 7; bar < b1; ++bar)
        for (int s = 0; s < 16; s += 4)
            if (bar < b1 - 1 || s < 12)
                w.note(Bus::Drums, Voice::Kick, W::time(bar, s), 0.1, 60, 0.8f);
    w.snareRoll(b1 - 4, 0, 16, 0.3f, 0.45f, 2);
    w.snareRoll(b1 - 3, 0, 16, 0.45f, 0.6f, 2);
    w.snareRoll(b1 - 2, 0, 16, 0.6f, 0.8f);
    w.snareRoll(b1 - 1, 0, 12, 0.8f, 1.0f);
    w.riser(W::time(b1 - 4), t1, 0.8f);
    w.swell(kCueTimes[4], t1, 0.8f);
}

void climax(W& w, int b0, int b1)
{
    const double t0 = W::time(b0);
    const auto& prog = progressions::climax();
    w.crash(t0, 1.0f);
    w.impact(t0, 1.0f);
    fullBandMix(w, t0);
    setMix(w, Bus::Pad, t0, 7000, 1.0, 0.3, 0.0, 0.6);

    w.drums(b0, 7, drums::climax(), drums::climaxB(), 0.08, 1.0f);
    w.drums(b0 + 7, 1, drums::climaxB(), drums::climaxB(), 0.08, 1.0f, 12);
    w.snareRoll(b0 + 7, 12, 16, 0.6f, 0.9f);
    w.crash(W::time(b0 + 8), 0.8f);
    w.drums(b0 + 8, 7, drums::climax(), drums::climaxB(), 0.08, 1.0f);
    w.drums(b0 + 15, 1, drums::climaxB(), drums::climaxB(), 0.08, 1.0f, 8);
    w.tomFill(b0 + 15, 8, 0.85f);
    w.crash(W::time(b0 + 16), 0.9f);
    w.drums(b0 + 16, b1 - b0 - 16, drums::climax(), drums::climaxB(), 0.08, 1.0f, 8);
    w.snareRoll(b1 - 1, 8, 16, 0.5f, 0.95f);

    w.bass(b0, b1 - b0, prog, b0, basslines::rolling(), Voice::ReeseBass, 1.0f);
    w.pads(b0, b1 - b0, prog, b0, 0.65f);
    w.stabs(b0, 16, prog, b0, {6, 14}, 1.2, 0.45f);
    w.stabs(b0 + 16, b1 - b0 - 16, prog, b0, {3, 6, 11, 14}, 1.2, 0.65f);
    w.melody(b0, melodies::soaring(), 0, Voice::Lead, Bus::Lead, 0.9f);
    w.melody(b0 + 8, melodies::soaring(), 0, Voice::Lead, Bus::Lead, 0.9f);
    w.melody(b0 + 8, melodies::soaring(), -12, Voice::Lead, Bus::Lead, 0.45f);
    w.arpeggio(b0, b1 - b0, prog, b0, 12, 0.24f, 1);
    w.arpeggio(b0 + 16, b1 - b0 - 16, prog, b0, 24, 0.14f, 2);
    w.riser(W::time(b1 - 2), W::time(b1), 0.5f);
    w.swell(kCueTimes[5], W::time(b1), 0.8f);
}

void drive(W& w, int b0, int b1)
{
    const double t0 = W::time(b0);
    const double t1 = W::time(b1);
    const auto& prog = progressions::main();
    w.crash(t0, 0.9f);
    fullBandMix(w, t0);
    setMix(w, Bus::Pad, t0, 3000, 1.0, 0.35, 0.0, 0.5);
    setMix(w, Bus::Bass, t0, 1500, 1.0, 0.05, 0.0, 0.3);
    // The acid line's filter opens over eight bars and closes into the deep.
    w.mix(Bus::Bass).lowpassHz.ramp(t0, 1500, W::time(b0 + 8), 20000);
    w.mix(Bus::Bass).lowpassHz.ramp(W::time(b1 - 6), 20000, t1, 500);
    w.mix(Bus::Drums).lowpassHz.ramp(W::time(b1 - 6), 20000, t1, 900);
    w.mix(Bus::Pad).lowpassHz.ramp(W::time(b1 - 6), 3000, t1, 1200);

    w.drums(b0, b1 - b0 - 6, drums::breakbeat(), drums::breakbeatB(), 0.1, 1.0f);
    w.drums(b1 - 6, 6, drums::halfTime(), drums::halfTime(), 0.1, 0.85f);
    w.crash(W::time(b0 + 8), 0.7f);

    w.bass(b0, b1 - b0 - 2, prog, b0, basslines::acid(), Voice::AcidBass, 0.9f, 12);
    w.pads(b0, b1 - b0 - 2, prog, b0, 0.55f);
    w.pads(b1 - 2, 2, progressions::underwater(), b1 - 2 - 12, 0.6f);
    w.stabs(b0, b1 - b0 - 6, prog, b0, {6, 14}, 1.0, 0.4f);
    // The theme first chimes on bells over the acid line, then the lead takes it.
    w.melody(b0, melodies::theme(), 12, Voice::Bell, Bus::Arp, 0.3f);
    w.melody(b0 + 8, melodies::theme(), 0, Voice::Lead, Bus::Lead, 0.75f);
    w.arpeggio(b0, b1 - b0 - 2, prog, b0, 12, 0.2f, 2);
    w.swell(kCueTimes[6], t1, 0.5f);
}

void underwater(W& w, int b0, int b1)
{
    const double t0 = W::time(b0);
    const double t1 = W::time(b1);
    const auto& prog = progressions::underwater();
    w.impact(t0, 0.55f);
    w.bubbles(t0, t0 + 1.2, 12.0, 0xB0B1u);
    w.bubbles(t0 + 1.2, W::time(b1 - 1), 1.3, 0xB0B2u);

    setMix(w, Bus::Drums, t0, 3200, 1.0, 0.2, 0.05, 0.0);
    setMix(w, Bus::Bass, t0, 700, 1.0, 0.0, 0.0, 0.2);
    setMix(w, Bus::Lead, t0, 2600, 1.0, 0.45, 0.35, 0.0);
    setMix(w, Bus::Arp, t0, 3500, 1.0, 0.5, 0.45, 0.0);
    setMix(w, Bus::Fx, t0, 20000, 1.0, 0.35, 0.2, 0.0);
    setMix(w, Bus::Pad, t0, 1100, 1.0, 0.5, 0.0, 0.25);
    // Slow swaying of the pad's muffle, like light through water.
    for (int bar = b0 + 1; bar < b1; ++bar) {
        const double base = bar < b0 + 32 ? 1100.0 : (bar < b0 + 48 ? 1900.0 : 1300.0);
        w.mix(Bus::Pad).lowpassHz.set(W::time(bar), bar % 2 ? base * 1.35 : base * 0.8);
    }

    const int cycle2 = b0 + 16;
    const int cycle3 = b0 + 32;
    const int cycle4 = b0 + 48;
    w.pads(b0, b1 - b0, prog, b0, 0.72f);
    w.arpeggio(b0, 16, prog, b0, 12, 0.24f, 4);
    w.arpeggio(cycle2, 16, prog, b0, 12, 0.24f, 2);
    w.arpeggio(cycle3, 16, prog, b0, 12, 0.22f, 1);
    w.arpeggio(cycle4, b1 - cycle4 - 4, prog, b0, 12, 0.2f, 2);

    w.drums(b0 + 8, 4, drums::only(drums::underwater(), {Voice::Shaker}),
            drums::only(drums::underwater(), {Voice::Shaker}), 0.15, 0.9f);
    w.drums(b0 + 12, cycle3 - b0 - 12, drums::underwater(), drums::underwater(), 0.15, 0.9f);
    const DrumPattern withHats = [] {
        DrumPattern p = drums::underwater();
        for (const DrumLine& line : drums::only(drums::halfTime(), {Voice::HatClosed}))
            p.push_back(line);
        return p;
    }();
    w.drums(cycle3, 16, withHats, withHats, 0.15, 0.85f);
    w.drums(cycle4, b1 - cycle4 - 6, drums::underwater(), drums::underwater(), 0.15, 0.8f);
    w.bass(b0 + 8, b1 - b0 - 12, prog, b0, basslines::sub(), Voice::SubBass, 0.6f);

    w.melody(cycle2, melodies::deepSea(), 0, Voice::SoftLead, Bus::Lead, 0.85f);
    w.melody(cycle3, melodies::deepSea(), 0, Voice::SoftLead, Bus::Lead, 0.85f);
    w.melody(cycle3, melodies::deepSea(), 12, Voice::Bell, Bus::Arp, 0.18f);
    w.riser(W::time(b1 - 3), t1, 0.4f);
    w.swell(kCueTimes[7], t1, 0.7f);
}

void reprise(W& w, int b0, int b1)
{
    const double t0 = W::time(b0);
    w.crash(t0, 1.0f);
    w.impact(t0, 1.0f);
    fullBandMix(w, t0);

    const auto& main = progressions::main();
    const auto& lift = progressions::climax();
    w.drums(b0, 7, drums::twoStep(), drums::twoStepB(), 0.08, 1.0f);
    w.drums(b0 + 7, 1, drums::twoStepB(), drums::twoStepB(), 0.08, 1.0f, 12);
    w.snareRoll(b0 + 7, 12, 16, 0.6f, 0.9f);
    w.crash(W::time(b0 + 8), 0.9f);
    w.drums(b0 + 8, 7, drums::climax(), drums::climaxB(), 0.08, 1.0f);
    w.drums(b0 + 15, 1, drums::climaxB(), drums::climaxB(), 0.08, 1.0f, 8);
    w.tomFill(b0 + 15, 8, 0.85f);
    w.crash(W::time(b0 + 16), 0.9f);
    w.drums(b0 + 16, b1 - b0 - 16, drums::climax(), drums::climaxB(), 0.08, 1.0f, 8);
    w.snareRoll(b1 - 1, 8, 16, 0.5f, 1.0f);

    w.bass(b0, 8, main, b0, basslines::rolling(), Voice::ReeseBass, 1.0f);
    w.bass(b0 + 8, 8, lift, b0 + 8, basslines::rolling(), Voice::ReeseBass, 1.0f);
    w.bass(b0 + 16, b1 - b0 - 16, main, b0 + 16, basslines::rolling(), Voice::ReeseBass, 1.0f);
    w.pads(b0, 8, main, b0, 0.6f);
    w.pads(b0 + 8, 8, lift, b0 + 8, 0.65f);
    w.pads(b0 + 16, b1 - b0 - 16, main, b0 + 16, 0.65f);
    w.stabs(b0, 8, main, b0, {6, 14}, 1.2, 0.45f);
    w.stabs(b0 + 8, 8, lift, b0 + 8, {3, 6, 11, 14}, 1.2, 0.55f);
    w.stabs(b0 + 16, b1 - b0 - 16, main, b0 + 16, {3, 6, 11, 14}, 1.2, 0.6f);
    w.melody(b0, melodies::theme(), 0, Voice::Lead, Bus::Lead, 0.9f);
    w.melody(b0 + 8, melodies::soaring(), 0, Voice::Lead, Bus::Lead, 0.9f);
    w.melody(b0 + 8, melodies::soaring(), -12, Voice::Lead, Bus::Lead, 0.45f);
    w.melody(b0 + 16, melodies::theme(), 0, Voice::Lead, Bus::Lead, 0.9f);
    w.melody(b0 + 16, melodies::theme(), -12, Voice::Lead, Bus::Lead, 0.45f);
    w.arpeggio(b0, 8, main, b0, 12, 0.22f, 1);
    w.arpeggio(b0 + 8, 8, lift, b0 + 8, 12, 0.24f, 1);
    w.arpeggio(b0 + 16, b1 - b0 - 16, main, b0 + 16, 12, 0.24f, 1);
    w.riser(W::time(b1 - 2), W::time(b1), 0.5f);
    w.swell(kCueTimes[8], W::time(b1), 0.8f);
}

void outro(W& w, int b0, Song& song)
{
    const double t0 = W::time(b0);
    w.crash(t0, 1.0f);
    w.impact(t0, 0.9f);
    setMix(w, Bus::Pad, t0, 6000, 1.0, 0.45, 0.0, 0.0);
    w.mix(Bus::Pad).lowpassHz.ramp(t0, 6000, kFadeEnd, 1200);
    setMix(w, Bus::Lead, t0, 9000, 1.0, 0.45, 0.35, 0.0);
    setMix(w, Bus::Arp, t0, 6000, 1.0, 0.5, 0.45, 0.0);
    setMix(w, Bus::Bass, t0, 20000, 1.0, 0.0, 0.0, 0.0);

    const double rest = kSongSeconds - t0;
    w.note(Bus::Drums, Voice::Kick, t0, 0.1, 60, 1.0f);
    for (int tone : {57, 60, 64, 67, 71})
        w.note(Bus::Pad, Voice::Pad, t0, rest, tone, 0.75f);
    w.note(Bus::Bass, Voice::SubBass, t0, 3.0 * kBarSeconds, 33, 0.9f);
    w.note(Bus::Lead, Voice::Lead, t0, 2.0 * kBarSeconds, 81, 0.8f);
    w.note(Bus::Lead, Voice::SoftLead, t0, 3.0 * kBarSeconds, 69, 0.6f);
    w.arpeggio(b0, 4, progressions::main(), b0, 12, 0.22f, 2);

    // Gentle fade to silence, steeper at the end.
    song.fade.set(279.5, 1.0);
    for (int i = 1; i <= 10; ++i) {
        const double u = i / 10.0;
        song.fade.set(279.5 + u * (kFadeEnd - 279.5), std::pow(1.0 - u, 2.0));
    }
}

} // namespace

int firstBarAtOrAfter(double seconds)
{
    return static_cast<int>(std::ceil(seconds / kBarSeconds - 1e-9));
}

Song buildSong()
{
    Song song;
    song.duration = kSongSeconds;
    BusMix& drums = song.busMix(Bus::Drums);
    drums.gainDb = -3.0;
    drums.highpassHz = 30.0;
    BusMix& bass = song.busMix(Bus::Bass);
    bass.gainDb = -1.0;
    bass.highpassHz = 28.0;
    BusMix& pad = song.busMix(Bus::Pad);
    pad.gainDb = -7.0;
    pad.highpassHz = 170.0;
    BusMix& stab = song.busMix(Bus::Stab);
    stab.gainDb = -5.0;
    stab.highpassHz = 220.0;
    BusMix& lead = song.busMix(Bus::Lead);
    lead.gainDb = -2.0;
    lead.highpassHz = 180.0;
    BusMix& arp = song.busMix(Bus::Arp);
    arp.gainDb = -2.0;
    arp.highpassHz = 260.0;
    BusMix& fx = song.busMix(Bus::Fx);
    fx.gainDb = -9.0;
    fx.highpassHz = 25.0;

    const Bars b = sectionBars();
    SongWriter w(song);
    title(w, b.title, b.logo);
    logo(w, b.logo, b.build);
    build(w, b.build, b.groove);
    groove(w, b.groove, b.breakdown);
    breakdown(w, b.breakdown, b.climax);
    climax(w, b.climax, b.drive);
    drive(w, b.drive, b.underwater);
    underwater(w, b.underwater, b.reprise);
    reprise(w, b.reprise, b.outro);
    outro(w, b.outro, song);

    const struct {
        const char* name;
        int bar;
        double cue;
    } marks[] = {{"title", b.title, 0.0},
                 {"logo", b.logo, kCueTimes[0]},
                 {"build-up", b.build, kCueTimes[1]},
                 {"main groove", b.groove, kCueTimes[2]},
                 {"breakdown", b.breakdown, kCueTimes[3]},
                 {"climax", b.climax, kCueTimes[4]},
                 {"drive", b.drive, kCueTimes[5]},
                 {"underwater", b.underwater, kCueTimes[6]},
                 {"reprise", b.reprise, kCueTimes[7]},
                 {"outro", b.outro, kCueTimes[8]}};
    const std::size_t count = sizeof(marks) / sizeof(marks[0]);
    for (std::size_t i = 0; i < count; ++i) {
        Section s;
        s.name = marks[i].name;
        s.cue = marks[i].cue;
        s.start = SongWriter::time(marks[i].bar);
        s.end = i + 1 < count ? SongWriter::time(marks[i + 1].bar) : kSongSeconds;
        song.sections.push_back(s);
    }
    return song;
}

} // namespace compose
