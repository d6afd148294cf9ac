#include "Patterns.h"

namespace compose {

namespace {

// Pad voicings kept within G3..B4 so that changes move by small steps.
const Chord kAm9{9, {57, 60, 64, 67, 71}};
const Chord kFmaj9{5, {53, 57, 60, 64, 67}};
const Chord kCmaj7{0, {55, 60, 64, 67, 71}};
const Chord kGadd9{7, {55, 59, 62, 67, 69}};
const Chord kEm7{4, {55, 59, 62, 64, 67}};
const Chord kDm9{2, {53, 57, 60, 62, 64}};
const Chord kE7{4, {56, 59, 62, 64, 68}};
const Chord kFmaj7s11{5, {53, 57, 60, 64, 71}};

using Steps = std::array<float, kStepsPerBar>;

// Eighth-note hats with off-beat accents and quiet sixteenth ghosts.
Steps hatSteps(float on, float off, float ghost)
{
    Steps s{};
    for (int i = 0; i < kStepsPerBar; ++i)
        s[static_cast<std::size_t>(i)] = (i % 2 == 1) ? ghost : ((i % 4 == 2) ? off : on);
    return s;
}

} // namespace

const Chord& chordAt(const Progression& progression, int bar)
{
    int total = 0;
    for (const ChordSpan& span : progression)
        total += span.bars;
    int b = ((bar % total) + total) % total;
    for (const ChordSpan& span : progression) {
        if (b < span.bars)
            return span.chord;
        b -= span.bars;
    }
    return progression.back().chord;
}

int bassRoot(const Chord& chord)
{
    return 29 + (chord.root - 5 + 12) % 12;
}

namespace progressions {

const Progression& main()
{
    static const Progression p{{kAm9, 2}, {kFmaj9, 2}, {kCmaj7, 2}, {kGadd9, 2}};
    return p;
}

const Progression& climax()
{
    static const Progression p{{kFmaj9, 2}, {kGadd9, 2}, {kEm7, 2}, {kAm9, 2}};
    return p;
}

const Progression& breakdown()
{
    static const Progression p{{kDm9, 2}, {kAm9, 2}, {kFmaj9, 2}, {kE7, 2}};
    return p;
}

const Progression& underwater()
{
    static const Progression p{{kFmaj7s11, 4}, {kEm7, 4}, {kDm9, 4}, {kAm9, 4}};
    return p;
}

} // namespace progressions

namespace drums {

DrumPattern twoStep()
{
    return {
        {Voice::Kick, {1.0f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.85f, 0, 0, 0, 0, 0}},
        {Voice::Snare, {0, 0, 0, 0, 1.0f, 0, 0, 0.16f, 0, 0, 0, 0, 1.0f, 0, 0, 0.2f}},
        {Voice::HatClosed, hatSteps(0.42f, 0.62f, 0.17f), 0.25f},
    };
}

DrumPattern twoStepB()
{
    Steps hats = hatSteps(0.42f, 0.62f, 0.17f);
    hats[14] = 0.0f;
    return {
        {Voice::Kick, {1.0f, 0, 0.7f, 0, 0, 0, 0, 0, 0, 0, 0.85f, 0, 0, 0, 0, 0}},
        {Voice::Snare, {0, 0, 0, 0, 1.0f, 0, 0, 0.16f, 0, 0.12f, 0, 0, 1.0f, 0, 0, 0.28f}},
        {Voice::HatClosed, hats, 0.25f},
        {Voice::HatOpen, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.5f, 0}, 0.3f, 0.17},
    };
}

DrumPattern climax()
{
    DrumPattern p = twoStep();
    p.push_back({Voice::Ride, {0.45f, 0, 0.3f, 0, 0.45f, 0, 0.3f, 0, 0.45f, 0, 0.3f, 0, 0.45f, 0, 0.3f, 0}, -0.35f});
    p.push_back({Voice::Clap, {0, 0, 0, 0, 0.55f, 0, 0, 0, 0, 0, 0, 0, 0.55f, 0, 0, 0}});
    return p;
}

DrumPattern climaxB()
{
    DrumPattern p = twoStepB();
    p.push_back({Voice::Ride, {0.45f, 0, 0.3f, 0, 0.45f, 0, 0.3f, 0, 0.45f, 0, 0.3f, 0, 0.45f, 0, 0.3f, 0}, -0.35f});
    p.push_back({Voice::Clap, {0, 0, 0, 0, 0.55f, 0, 0, 0, 0, 0, 0, 0, 0.55f, 0, 0, 0}});
    return p;
}

DrumPattern halfTime()
{
    return {
        {Voice::Kick, {1.0f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.6f, 0, 0, 0, 0}},
        {Voice::Snare, {0, 0, 0, 0, 0, 0, 0, 0, 1.0f, 0, 0, 0, 0, 0, 0, 0.15f}},
        {Voice::HatClosed, hatSteps(0.35f, 0.5f, 0.0f), 0.25f},
        {Voice::Shaker, hatSteps(0.18f, 0.3f, 0.22f), -0.4f},
    };
}

DrumPattern breakbeat()
{
    return {
        {Voice::Kick, {1.0f, 0, 0.75f, 0, 0, 0, 0, 0, 0, 0, 0.85f, 0, 0, 0, 0, 0}},
        {Voice::Snare, {0, 0, 0, 0, 1.0f, 0, 0, 0.35f, 0, 0.3f, 0, 0, 1.0f, 0, 0, 0.35f}},
        {Voice::HatClosed, hatSteps(0.45f, 0.6f, 0.22f), 0.25f},
    };
}

DrumPattern breakbeatB()
{
    return {
        {Voice::Kick, {1.0f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.8f, 0.6f, 0, 0, 0, 0}},
        {Voice::Snare, {0, 0, 0, 0, 1.0f, 0, 0, 0.3f, 0, 0, 0, 0, 1.0f, 0, 0.5f, 0.25f}},
        {Voice::Ride, {0.4f, 0, 0.3f, 0, 0.4f, 0, 0.3f, 0, 0.4f, 0, 0.3f, 0, 0.4f, 0, 0.3f, 0}, -0.35f},
    };
}

DrumPattern underwater()
{
    return {
        {Voice::SoftKick, {0.9f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.55f, 0, 0, 0, 0, 0}},
        {Voice::Rim, {0, 0, 0, 0, 0, 0, 0, 0, 0.7f, 0, 0, 0, 0, 0, 0.22f, 0}, 0.2f},
        {Voice::Shaker, hatSteps(0.2f, 0.34f, 0.24f), -0.3f},
    };
}

DrumPattern only(const DrumPattern& pattern, std::initializer_list<Voice> voices)
{
    DrumPattern out;
    for (const DrumLine& line : pattern)
        for (Voice v : voices)
            if (line.voice == v)
                out.push_back(line);
    return out;
}

} // namespace drums

namespace basslines {

BassPattern rolling()
{
    return {{0, 5, 0, 1.0f}, {7, 2, 0, 0.7f}, {10, 4, 0, 0.9f}, {14, 2, 12, 0.8f}};
}

BassPattern pulse()
{
    BassPattern p;
    for (int s = 0; s < kStepsPerBar; s += 2)
        p.push_back({s, 1.6, s % 4 == 2 ? 12 : 0, s % 4 == 2 ? 0.7f : 0.9f});
    return p;
}

BassPattern acid()
{
    return {{0, 1.5, 0, 1.0f}, {2, 1, 0, 0.45f},  {3, 1, 12, 0.8f},  {5, 1, 0, 0.5f},
            {6, 1, 7, 0.9f},   {8, 1.5, 0, 1.0f}, {10, 1, 12, 0.6f}, {11, 1, 0, 0.45f},
            {12, 1, 7, 0.8f},  {13, 1, 12, 1.0f}, {14, 1, 0, 0.5f},  {15, 1, 7, 0.7f}};
}

BassPattern sub()
{
    return {{0, 13, 0, 1.0f}, {14, 2, 12, 0.45f}};
}

} // namespace basslines

namespace melodies {

const Melody& theme()
{
    static const Melody m{
        {0, 3, 76},   {3, 3, 74},   {6, 2, 72},   {8, 4, 76},   {12, 4, 81},  {16, 6, 79},  {22, 2, 76},  {24, 4, 74},
        {28, 2, 72},  {30, 2, 74},  {32, 3, 81},  {35, 3, 79},  {38, 2, 77},  {40, 4, 76},  {44, 4, 72},  {48, 8, 76},
        {56, 2, 74},  {58, 2, 72},  {60, 4, 74},  {64, 3, 79},  {67, 3, 76},  {70, 2, 74},  {72, 4, 76},  {76, 4, 83},
        {80, 6, 81},  {86, 2, 79},  {88, 4, 76},  {92, 2, 74},  {94, 2, 76},  {96, 3, 74},  {99, 3, 71},  {102, 2, 74},
        {104, 4, 76}, {108, 4, 79}, {112, 8, 81}, {120, 2, 79}, {122, 2, 76}, {124, 2, 74}, {126, 2, 71},
    };
    return m;
}

const Melody& soaring()
{
    static const Melody m{
        {0, 4, 81},  {4, 6, 84},   {10, 2, 83},  {12, 4, 81},  {16, 4, 79},  {20, 4, 81},   {24, 8, 76},
        {32, 4, 83}, {36, 6, 86},  {42, 2, 84},  {44, 4, 83},  {48, 4, 81},  {52, 4, 83},   {56, 8, 79},
        {64, 4, 79}, {68, 6, 83},  {74, 2, 81},  {76, 4, 79},  {80, 4, 76},  {84, 4, 79},   {88, 8, 74},
        {96, 4, 76}, {100, 6, 81}, {106, 2, 83}, {108, 4, 84}, {112, 4, 83}, {116, 12, 81},
    };
    return m;
}

const Melody& lament()
{
    static const Melody m{
        {0, 6, 81},  {6, 2, 79},  {8, 8, 77},  {16, 4, 76},  {20, 4, 74},  {24, 8, 72},  {32, 6, 76},  {38, 2, 74},
        {40, 8, 72}, {48, 4, 71}, {52, 4, 72}, {56, 8, 76},  {64, 6, 81},  {70, 2, 79},  {72, 8, 77},  {80, 4, 76},
        {84, 4, 77}, {88, 8, 81}, {96, 8, 80}, {104, 8, 83}, {112, 4, 83}, {116, 4, 80}, {120, 8, 76},
    };
    return m;
}

const Melody& deepSea()
{
    static const Melody m{
        {0, 12, 81},  {12, 4, 79},  {16, 16, 76},  {32, 8, 72},   {40, 4, 76},   {44, 4, 79},
        {48, 8, 83},  {56, 8, 81},  {64, 12, 79},  {76, 4, 76},   {80, 16, 71},  {96, 8, 74},
        {104, 4, 76}, {108, 4, 79}, {112, 8, 81},  {120, 8, 79},  {128, 12, 77}, {140, 4, 76},
        {144, 8, 74}, {152, 8, 72}, {160, 16, 69}, {176, 4, 72},  {180, 4, 74},  {184, 8, 76},
        {192, 8, 76}, {200, 4, 79}, {204, 4, 76},  {208, 24, 81}, {232, 8, 79},  {240, 16, 76},
    };
    return m;
}

} // namespace melodies

const std::array<int, kStepsPerBar>& arpeggioOrder()
{
    static const std::array<int, kStepsPerBar> order{0, 2, 4, 5, 7, 5, 4, 2, 1, 3, 5, 6, 8, 6, 5, 3};
    return order;
}

} // namespace compose
