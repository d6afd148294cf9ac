#pragma once
// The song as data: notes grouped by mixer bus, each bus's mix settings and
// automation, the named sections and the closing fade. The arrangement fills
// it in; the mixer renders it.

#include "Curve.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace compose {

// Every sound source the composer can play.
enum class Voice : uint8_t {
    // drums and effects (Drums.cpp)
    Kick,
    SoftKick,
    Snare,
    Clap,
    Rim,
    HatClosed,
    HatOpen,
    Shaker,
    Ride,
    Crash,
    Tom,
    Riser,
    Swell,
    Impact,
    // pitched instruments (Instruments.cpp)
    SubBass,
    ReeseBass,
    AcidBass,
    Pad,
    Stab,
    Lead,
    SoftLead,
    Bell,
    Bubble,
};

// One played note. Times are song seconds from 0; pitch is a MIDI note number
// (ignored by unpitched drums); pan runs from -1 (left) to 1 (right).
struct Note {
    double start = 0.0;
    double length = 0.1;
    double pitch = 60.0;
    float velocity = 1.0f;
    float pan = 0.0f;
    Voice voice = Voice::Kick;
};

enum class Bus : uint8_t { Drums, Bass, Pad, Stab, Lead, Arp, Fx };
constexpr std::size_t kBusCount = 7;

// How one bus is mixed. Curves are evaluated over song time.
struct BusMix {
    double gainDb = 0.0;
    double highpassHz = 20.0; // fixed low cut to keep the low end clear
    Curve lowpassHz{20000.0}; // filter sweeps and the underwater muffling
    Curve level{1.0}; // mutes and swells
    Curve reverbSend{0.0};
    Curve delaySend{0.0};
    Curve duck{0.0}; // sidechain depth from the kick, 0..1
};

struct Section {
    std::string name;
    double cue = 0.0; // the time the picture asks for a change
    double start = 0.0; // first downbeat at or after the cue: where the music changes
    double end = 0.0;
};

struct Song {
    double duration = 0.0;
    std::array<std::vector<Note>, kBusCount> notes;
    std::array<BusMix, kBusCount> mix;
    Curve fade{1.0}; // master gain, ends at 0 for the closing fade
    std::vector<Section> sections;

    // The notes and the mix settings of one bus.
    std::vector<Note>& bus(Bus b) { return notes[static_cast<std::size_t>(b)]; }
    const std::vector<Note>& bus(Bus b) const { return notes[static_cast<std::size_t>(b)]; }
    BusMix& busMix(Bus b) { return mix[static_cast<std::size_t>(b)]; }
    const BusMix& busMix(Bus b) const { return mix[static_cast<std::size_t>(b)]; }
};

} // namespace compose
