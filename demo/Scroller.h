#pragma once
// The underwater scroller's moving parts: one line of text whose characters
// ride a sine wave from right to left, fish swimming back and forth (one at
// first, then one more each second up to 40 more) and 200 rising bubbles.
// They are built once while the demo loads and move only while the
// scroller is shown; nothing is reset when it starts. Random numbers come
// from show_random (glibc's rand() sequence on every system), seeded once by the demo.
//
// Coordinates are world units around the camera's axis, the camera 600
// units away: x from -512 to 512 spans a little more than the screen.

#include <cstdint>

#include "core/String.h"
#include "core/Vector.h"
#include "demo/PhysicsObject.h"

class Scroller {
public:
    // One character of the scroller.
    struct ScrollerElement {
        float x = 0.f;
        float y = 0.f;
        core::String text; // the one character
    };

    // One fish. Frames 0 to 7 pick the fish picture; even frames face +x,
    // odd ones -x.
    struct SpriteFish {
        float x = 0.f;
        float y = 0.f;
        float direction = 1.f; // +1 swims toward +x, -1 toward -x
        float speed = 0.f; // units per second
        uint8_t frame = 0;
    };

    static constexpr int TEXT_LENGTH = 271;
    static constexpr int BUBBLE_COUNT = 200;
    static constexpr int MAX_SPAWNED_FISH = 40;
    static constexpr int FISH_FRAMES = 8;
    // Characters are drawn only between these x values.
    static constexpr float VISIBLE_LEFT = -512.f;
    static constexpr float VISIBLE_RIGHT = 512.f;
    // Distance between neighbouring characters.
    static constexpr float CHARACTER_SPACING = 28.f;
    // The most characters on screen at once: 1024 / 28 = 36.6, so 37 when
    // the first is within 8 units of the left edge.
    static constexpr int MAX_VISIBLE_CHARACTERS =
        static_cast<int>((VISIBLE_RIGHT - VISIBLE_LEFT) / CHARACTER_SPACING) + 1;
    // The most fish swimming at once: the first and every spawned one.
    static constexpr int MAX_FISH = MAX_SPAWNED_FISH + 1;
    // Bubbles restart when they rise this high.
    static constexpr float BUBBLE_TOP = 336.f;

    // The scroller's line: upper case, blanks, the digit 3 and ! # , - . :
    static const char TEXT[TEXT_LENGTH + 1];

    Scroller() = default;
    Scroller(const Scroller&) = delete;
    Scroller& operator=(const Scroller&) = delete;

    // The first fish, at the far left swimming right (one show_random::next() call).
    void createFirstFish();
    // One element per character of TEXT, 28 units apart from x = 512.
    void createText();
    // The 200 bubbles spread over the screen (three show_random::next() calls each).
    void createBubbles();

    // Moves everything on by `seconds`: bubbles rise and sway, characters
    // scroll left, a fish is spawned each second while fewer than 40 have
    // been, and fish turn at x = +-1024.
    void update(float seconds);

    const core::Vector<ScrollerElement>& elements() const { return m_scroller; }
    const core::Vector<SpriteFish>& fishes() const { return m_fishes; }
    const core::Vector<phys::PhysicsObject>& bubbles() const { return m_bubbles; }
    core::Vector<phys::PhysicsObject>& bubbles() { return m_bubbles; }
    // Characters before this index have left the screen and no longer move.
    int32_t getFirstVisibleChar() const { return m_firstVisibleChar; }
    int32_t getFishSpawned() const { return m_fishSpawned; }
    float getFishTimer() const { return m_fishTimer; }

private:
    void updateBubbles(float seconds);
    void updateText(float seconds);
    void spawnFish();
    void moveFishes(float seconds);

    core::Vector<ScrollerElement> m_scroller;
    core::Vector<SpriteFish> m_fishes;
    core::Vector<phys::PhysicsObject> m_bubbles;
    int32_t m_firstVisibleChar = 0;
    int32_t m_fishSpawned = 0;
    float m_fishTimer = 0.f;
};
