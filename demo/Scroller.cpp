#include "demo/Scroller.h"

#include <cmath>

#include "core/Debug.h"
#include "demo/ShowRandom.h"

namespace {

constexpr float DEGREES_TO_RADIANS = 3.141f / 180.f;
constexpr float SCROLL_SPEED = 99.965f; // units per second
constexpr float TIME_SCALE = 0.965f; // bubbles and fish run a little slow
constexpr float FISH_TURN_X = 1024.f;

// A bubble's size: 0.1 to 0.19 of the bubble picture.
float randomBubbleScale()
{
    return static_cast<float>(show_random::next() % 10) * 0.01f + 0.1f;
}

} // namespace

// 271 characters; the scroll runs for about 80 s before the last one has left.
const char Scroller::TEXT[TEXT_LENGTH + 1] =
    "SULVANTO - A REAL TIME DEMO BY NORVALLI PRODUCTIONS. CODE: THE VORNA3D CREW. "
    "MUSIC, PICTURES AND FONT ARE MADE BY OUR OWN TOOLS AS THE DEMO BUILDS. "
    "GREETINGS TO EVERY DEMOSCENER, PIXEL ARTIST, TRACKER FAN AND CODER - KEEP THE SCENE ALIVE! "
    "SEE YOU AT THE NEXT PARTY.     #";

void Scroller::createFirstFish()
{
    m_fishes.reserve(MAX_FISH); // spawning allocates nothing
    SpriteFish fish;
    fish.x = -1024.f;
    fish.y = static_cast<float>(show_random::next() % 768 + 32 - 352);
    fish.direction = 1.f;
    fish.speed = 100.f;
    fish.frame = 0;
    m_fishes.add(fish);
}

void Scroller::createText()
{
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Creating scroller...\n");
    m_scroller.reserve(TEXT_LENGTH);
    for (int i = 0; i < TEXT_LENGTH; ++i) {
        ScrollerElement element;
        element.x = CHARACTER_SPACING * static_cast<float>(i) + 512.f;
        element.y = 64.f * std::sin(element.x * DEGREES_TO_RADIANS);
        element.text.format("%s", " ");
        element.text.setCharAt(0, static_cast<unsigned char>(TEXT[i]));
        m_scroller.add(element);
    }
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "OK\n");
}

void Scroller::createBubbles()
{
    m_bubbles.reserve(BUBBLE_COUNT);
    for (int i = 0; i < BUBBLE_COUNT; ++i) {
        phys::PhysicsObject bubble;
        // The height's random number is drawn first.
        const int y = show_random::next() % 768 - 384;
        const int x = show_random::next() % 1024 - 512;
        bubble.position = slmath::vec3(static_cast<float>(x), static_cast<float>(y), 0.f);
        bubble.velocity = slmath::vec3(0.f, 1.f, 0.f);
        bubble.scale = randomBubbleScale();
        m_bubbles.add(bubble);
    }
}

void Scroller::update(float seconds)
{
    m_fishTimer += seconds;
    updateBubbles(seconds);
    updateText(seconds);
    if (m_fishSpawned != MAX_SPAWNED_FISH && m_fishTimer > 1.f)
        spawnFish();
    moveFishes(seconds);
}

void Scroller::updateBubbles(float seconds)
{
    for (int i = 0; i < m_bubbles.size(); ++i) {
        phys::PhysicsObject& bubble = m_bubbles[i];
        bubble.position += bubble.velocity * (seconds * TIME_SCALE);
        bubble.velocity = slmath::vec3(2.f * std::sin(static_cast<float>(i)), 20.f, 0.f);
        if (bubble.position.y >= BUBBLE_TOP) {
            // Back in the lower quarter of the screen, with a new size.
            const int x = show_random::next() % 1024 - 512;
            const int y = show_random::next() % 768;
            bubble.position = slmath::vec3(static_cast<float>(x), static_cast<float>(y) * 0.25f - 384.f, 0.f);
            bubble.velocity = slmath::vec3(0.f, 1.01f, 0.f);
            bubble.scale = randomBubbleScale();
        }
    }
}

void Scroller::updateText(float seconds)
{
    for (int i = m_firstVisibleChar; i < m_scroller.size(); ++i) {
        ScrollerElement& element = m_scroller[i];
        element.x -= seconds * SCROLL_SPEED;
        if (element.x <= VISIBLE_LEFT)
            ++m_firstVisibleChar;
        element.y = 16.f * std::sin(element.x * DEGREES_TO_RADIANS);
    }
}

void Scroller::spawnFish()
{
    ++m_fishSpawned;
    m_fishTimer = 0.f;
    SpriteFish fish;
    fish.frame = static_cast<uint8_t>(2 * (show_random::next() % 4));
    if (m_fishSpawned % 2 == 0) {
        fish.x = -512.f;
        fish.direction = 1.f;
    } else {
        fish.x = 512.f;
        fish.direction = -1.f;
        fish.frame = static_cast<uint8_t>(fish.frame + 1);
    }
    fish.speed = 10.f * std::sin(static_cast<float>(show_random::next() % 25 + 1)) + 100.f;
    fish.y = static_cast<float>(show_random::next() % 768 + 32 - 352);
    m_fishes.add(fish);
}

void Scroller::moveFishes(float seconds)
{
    for (SpriteFish& fish : m_fishes) {
        if (fish.x > FISH_TURN_X) {
            fish.direction = -1.f;
            fish.frame = static_cast<uint8_t>(fish.frame + 1);
        }
        if (fish.x < -FISH_TURN_X) {
            fish.direction = 1.f;
            fish.frame = static_cast<uint8_t>(fish.frame - 1);
        }
        fish.x += fish.direction * fish.speed * seconds * TIME_SCALE;
    }
}
