#pragma once
// The show's timeline: a state machine whose clock is the soundtrack's
// playback position, read on every update. Each state shows one effect;
// between effects the fade level runs up or down and times the transition.
// The sequence is fixed: 999 (title) -> 998 -> 997 (logo) -> 0 -> 1 -> ...
// -> 24 -> end, one transition at most per update, never backwards. The
// effects themselves live elsewhere: the timeline calls their updates
// through TimelineEffects and tells the renderer which effect a state shows
// and whether it carries the fade overlay.

#include <cstdint>

#include "render/scene/Transform.h"

namespace HAL {
class Input;
}

// Where the timeline's clock comes from.
class MusicClock {
public:
    // The playback position in milliseconds; the last known one when it
    // cannot be read.
    virtual uint32_t getPositionMs() = 0;

protected:
    ~MusicClock() = default;
};

// The effect a timeline state shows.
enum class DemoEffect : uint8_t {
    NONE, // a black frame
    TITLE, // the title line
    LOGO, // the title picture full screen
    LATTICE, // the flight through the line lattice
    TORUS, // the wire torus
    BALLS, // the stone balls with the plasma
    HELIX, // the helix over the cloud sprites
    TWIN_SPRITES, // the two flying sprites
    SCROLLER, // the underwater scroller
    ENGINE_LOGO, // the engine logo and its mirror image
    CLOSING, // the closing picture
};

// The effects as the timeline drives them.
class TimelineEffects {
public:
    // Advances `effect` by `seconds`; called once per update, before the
    // state's exit test, with the effect of the current state (NONE never).
    virtual void updateEffect(DemoEffect effect, float seconds) = 0;
    // The engine logo's angle in degrees: the engine-logo state ends when it
    // has turned down to -167.
    virtual float getEngineLogoAngle() const = 0;

protected:
    ~TimelineEffects() = default;
};

class Timeline {
public:
    // The first states: loading and the title, its fade, the logo's fade.
    static constexpr int32_t STATE_TITLE = 999;
    static constexpr int32_t STATE_TITLE_FADE = 998;
    static constexpr int32_t STATE_LOGO_FADE = 997;
    // The last state: the next update ends the show.
    static constexpr int32_t STATE_LAST = 24;
    // Where the show ends, in music milliseconds, on the frame grid of a
    // 60 fps capture: its last frame is at 278.333 s, the one at this time is
    // no longer shown. The engine logo's turn, and so every state after it,
    // moves by a step or two with the grid's step sizes: at 5 or 30 fps the
    // last frame comes between 278.2 and 278.35 s.
    static constexpr uint32_t SHOW_END_MS = 278350;
    // The overlay sits this far in front of an identity camera.
    static constexpr float FADE_OVERLAY_DEPTH = 361.f;

    // A timeline on `clock` driving `effects`; `keyboard` (may be null: no
    // quit keys) is read for Q and Escape after every update. A quit key
    // counts once both keys have been seen up in an update: one held (or
    // tapped) while the demo was loading does nothing. All three must
    // outlive the timeline. Starts in the title state with level 0.
    Timeline(MusicClock& clock, TimelineEffects& effects, HAL::Input* keyboard);

    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;

    // Back to the title state (the start of loading).
    void restart();
    // The keyboard read for the quit keys (null: none). It must outlive the
    // timeline or be replaced first.
    void setKeyboard(HAL::Input* keyboard) { m_keyboard = keyboard; }

    // One update of `seconds` (> 0): reads the clock, runs the current
    // state's effect update and work, makes at most one transition. Returns
    // false when the show has ended (the update after the last state) or Q or
    // Escape is down, else true. Throws what the effect updates throw.
    bool update(float seconds);

    // Moves the fade level by `seconds` x 255 (truncated) up (direction +1)
    // or down (-1), saturating at 0 and 255, and places the fade overlay
    // FADE_OVERLAY_DEPTH in front of the camera. Always returns true.
    bool fade(float seconds, int8_t direction);

    int32_t getState() const { return m_state; }
    uint8_t getFadeLevel() const { return m_fadeLevel; }
    void setFadeLevel(uint8_t level) { m_fadeLevel = level; }
    // The effect time: a copy of the music time in the title, stone-ball,
    // scroller and closing states, the lattice's flash timer in its states.
    float getStateTime() const { return m_stateTime; }
    void setStateTime(float seconds) { m_stateTime = seconds; }
    // The music position read by the last update, in seconds.
    float getMusicTime() const { return m_musicTime; }
    // The music time of the last recorded state change.
    float getLastChangeTime() const { return m_lastChangeTime; }
    // Where the fade overlay is drawn.
    const render::Transform& getFadeTransform() const { return m_fadeTransform; }
    render::Transform& fadeTransform() { return m_fadeTransform; }

    // The effect `state` shows (NONE for a state outside the table).
    static DemoEffect effectOf(int32_t state);
    // Whether `state` draws the fade overlay over its effect.
    static bool showsFadeOverlay(int32_t state);

    // One row of the state table (defined with the table).
    struct Row;

private:
    static const Row* findRow(int32_t state);
    // Runs `row` for one update: effect update, work, exit test.
    void runRow(const Row& row, float seconds);
    bool exitReached(const Row& row) const;

    MusicClock& m_clock;
    TimelineEffects& m_effects;
    HAL::Input* m_keyboard;
    bool m_quitKeysArmed = false; // both quit keys were up in an update
    int32_t m_state = STATE_TITLE;
    uint8_t m_fadeLevel = 0;
    float m_stateTime = 0.f;
    float m_musicTime = 0.f;
    float m_lastChangeTime = 0.f;
    render::Transform m_fadeTransform;
};
