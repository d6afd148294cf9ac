#include "demo/Timeline.h"

#include <algorithm>
#include <iterator>

#include "HAL/Input.h"
#include "core/Debug.h"

// One row of the state table.
struct Timeline::Row {
    // What a state does besides its effect's update.
    enum class Work : uint8_t {
        NONE,
        FADE_IN,
        FADE_OUT,
        COPY_MUSIC_TIME, // the effect time follows the music
        COPY_MUSIC_TIME_FADE_IN,
        COPY_MUSIC_TIME_FADE_OUT,
        HOLD_LEVEL_AT_1, // the fade-in that follows starts from 1
    };
    // When a state is left.
    enum class Exit : uint8_t {
        MUSIC_AT, // the music time reached the threshold
        LEVEL_ABOVE_250, // a fade-in is (nearly) complete
        LEVEL_AT_LEAST_250,
        LEVEL_BELOW_10, // a fade-out is (nearly) complete
        LOGO_TURNED, // the engine logo turned down to -167 degrees
    };

    int32_t state;
    DemoEffect effect;
    Work work;
    Exit exit;
    float threshold; // MUSIC_AT only, seconds
    int32_t next;
    bool record; // the change time is recorded
    bool log; // "State change in" is logged
    bool clearLevel; // the fade level restarts from 0 in the next state
};

namespace {

using E = DemoEffect;
using W = Timeline::Row::Work;
using X = Timeline::Row::Exit;

// clang-format off
const Timeline::Row ROWS[] = {
    {999, E::TITLE,        W::COPY_MUSIC_TIME,          X::MUSIC_AT,           6.f,     998, true,  false, false},
    {998, E::TITLE,        W::COPY_MUSIC_TIME_FADE_IN,  X::LEVEL_ABOVE_250,    0.f,     997, true,  false, false},
    {997, E::LOGO,         W::FADE_OUT,                 X::LEVEL_BELOW_10,     0.f,     0,   true,  true,  false},
    {0,   E::LOGO,         W::NONE,                     X::MUSIC_AT,           18.965f, 1,   false, false, false},
    {1,   E::LOGO,         W::FADE_IN,                  X::LEVEL_ABOVE_250,    0.f,     2,   false, true,  false},
    {2,   E::LATTICE,      W::FADE_OUT,                 X::LEVEL_BELOW_10,     0.f,     3,   true,  true,  false},
    {3,   E::LATTICE,      W::NONE,                     X::MUSIC_AT,           50.f,    4,   true,  true,  false},
    {4,   E::LATTICE,      W::FADE_IN,                  X::LEVEL_ABOVE_250,    0.f,     5,   false, true,  false},
    {5,   E::TORUS,        W::FADE_OUT,                 X::LEVEL_BELOW_10,     0.f,     6,   true,  true,  false},
    {6,   E::TORUS,        W::NONE,                     X::MUSIC_AT,           80.f,    7,   true,  true,  false},
    {7,   E::TORUS,        W::FADE_IN,                  X::LEVEL_ABOVE_250,    0.f,     8,   false, true,  false},
    {8,   E::BALLS,        W::FADE_OUT,                 X::LEVEL_BELOW_10,     0.f,     9,   true,  true,  false},
    {9,   E::BALLS,        W::NONE,                     X::MUSIC_AT,           101.f,   10,  true,  true,  false},
    {10,  E::BALLS,        W::FADE_IN,                  X::LEVEL_ABOVE_250,    0.f,     11,  false, true,  false},
    {11,  E::HELIX,        W::FADE_OUT,                 X::LEVEL_BELOW_10,     0.f,     12,  true,  true,  false},
    {12,  E::HELIX,        W::NONE,                     X::MUSIC_AT,           131.f,   13,  true,  true,  false},
    {13,  E::HELIX,        W::FADE_IN,                  X::LEVEL_ABOVE_250,    0.f,     14,  true,  true,  false},
    {14,  E::TWIN_SPRITES, W::FADE_OUT,                 X::LEVEL_BELOW_10,     0.f,     15,  true,  true,  false},
    {15,  E::TWIN_SPRITES, W::NONE,                     X::MUSIC_AT,           161.f,   16,  true,  true,  false},
    {16,  E::TWIN_SPRITES, W::FADE_IN,                  X::LEVEL_AT_LEAST_250, 0.f,     17,  false, true,  false},
    {17,  E::SCROLLER,     W::HOLD_LEVEL_AT_1,          X::MUSIC_AT,           245.f,   18,  true,  true,  false},
    {18,  E::SCROLLER,     W::FADE_IN,                  X::LEVEL_AT_LEAST_250, 0.f,     19,  true,  true,  true},
    {19,  E::ENGINE_LOGO,  W::NONE,                     X::LOGO_TURNED,        0.f,     20,  true,  true,  false},
    {20,  E::ENGINE_LOGO,  W::FADE_IN,                  X::LEVEL_AT_LEAST_250, 0.f,     21,  true,  true,  false},
    {21,  E::CLOSING,      W::COPY_MUSIC_TIME_FADE_OUT, X::LEVEL_BELOW_10,     0.f,     22,  true,  true,  false},
    {22,  E::CLOSING,      W::COPY_MUSIC_TIME,          X::MUSIC_AT,           277.f,   23,  true,  true,  false},
    {23,  E::CLOSING,      W::COPY_MUSIC_TIME_FADE_IN,  X::LEVEL_AT_LEAST_250, 0.f,     24,  true,  true,  false},
};
// clang-format on

// The last state lingers until this music time before the state number
// leaves the table; either way its update ends the show.
constexpr float LAST_STATE_END = 282.f;
constexpr float ENGINE_LOGO_END_ANGLE = -167.f;

} // namespace

Timeline::Timeline(MusicClock& clock, TimelineEffects& effects, HAL::Input* keyboard)
    : m_clock(clock), m_effects(effects), m_keyboard(keyboard)
{
}

void Timeline::restart()
{
    m_state = STATE_TITLE;
}

const Timeline::Row* Timeline::findRow(int32_t state)
{
    const auto found =
        std::find_if(std::begin(ROWS), std::end(ROWS), [state](const Row& row) { return row.state == state; });
    return found == std::end(ROWS) ? nullptr : found;
}

DemoEffect Timeline::effectOf(int32_t state)
{
    const Row* row = findRow(state);
    return row ? row->effect : DemoEffect::NONE;
}

bool Timeline::showsFadeOverlay(int32_t state)
{
    switch (state) {
    case 1:
    case 997: // logo
    case 8:
    case 10: // stone balls
    case 11:
    case 13: // helix
    case 14:
    case 16: // twin sprites
    case 18: // scroller
    case 20: // engine logo
    case 21:
    case 23: // closing
    case 998: // title
        return true;
    default:
        return false;
    }
}

bool Timeline::fade(float seconds, int8_t direction)
{
    // Whole steps of 1/255 s; the frame loop's 5 ms step moves the level by 1.
    const float amount = std::min(255.f, std::max(0.f, seconds * 255.f));
    const int step = static_cast<int>(amount) * direction;
    m_fadeLevel = static_cast<uint8_t>(std::clamp(int(m_fadeLevel) + step, 0, 255));
    m_fadeTransform.setIdentity();
    m_fadeTransform.postTranslate(0.f, 0.f, FADE_OVERLAY_DEPTH);
    return true;
}

bool Timeline::update(float seconds)
{
    m_musicTime = static_cast<float>(m_clock.getPositionMs()) / 1000.f;

    bool result = true;
    if (const Row* row = findRow(m_state)) {
        runRow(*row, seconds);
    } else {
        if (m_state == STATE_LAST && m_musicTime >= LAST_STATE_END)
            m_state = STATE_LAST + 1;
        core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Running time: %f\n", m_lastChangeTime);
        result = false;
    }

    if (m_keyboard) {
        // Both keys are read every time (a read takes a pending tap).
        const bool q = m_keyboard->readInput('Q') > 0.f;
        const bool escape = m_keyboard->readInput(HAL::Input::KEY_ESCAPE) > 0.f;
        if (!q && !escape)
            m_quitKeysArmed = true;
        else if (m_quitKeysArmed)
            return false;
    }
    return result;
}

void Timeline::runRow(const Row& row, float seconds)
{
    m_effects.updateEffect(row.effect, seconds);

    switch (row.work) {
    case Row::Work::NONE:
        break;
    case Row::Work::FADE_IN:
        fade(seconds, 1);
        break;
    case Row::Work::FADE_OUT:
        fade(seconds, -1);
        break;
    case Row::Work::COPY_MUSIC_TIME:
        m_stateTime = m_musicTime;
        break;
    case Row::Work::COPY_MUSIC_TIME_FADE_IN:
        m_stateTime = m_musicTime;
        fade(seconds, 1);
        break;
    case Row::Work::COPY_MUSIC_TIME_FADE_OUT:
        m_stateTime = m_musicTime;
        fade(seconds, -1);
        break;
    case Row::Work::HOLD_LEVEL_AT_1:
        m_fadeLevel = 1;
        break;
    }

    if (exitReached(row)) {
        m_state = row.next;
        if (row.record)
            m_lastChangeTime = m_musicTime;
        if (row.log)
            core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "State change in: %f\n", m_musicTime);
        if (row.clearLevel)
            m_fadeLevel = 0;
    }
}

bool Timeline::exitReached(const Row& row) const
{
    switch (row.exit) {
    case Row::Exit::MUSIC_AT:
        return m_musicTime >= row.threshold;
    case Row::Exit::LEVEL_ABOVE_250:
        return m_fadeLevel > 250;
    case Row::Exit::LEVEL_AT_LEAST_250:
        return m_fadeLevel >= 250;
    case Row::Exit::LEVEL_BELOW_10:
        return m_fadeLevel < 10;
    case Row::Exit::LOGO_TURNED:
        return m_effects.getEngineLogoAngle() <= ENGINE_LOGO_END_ANGLE;
    }
    return false;
}
