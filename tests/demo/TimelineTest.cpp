// The show's timeline driven by a music clock that moves 5 ms per update,
// the frame loop's fixed step. The expected change times are worked out by
// hand from the state table: a music threshold is met at its own time; a
// fade moves the level by 1 per 5 ms step, so a fade-in from 9 to above 250
// takes 242 updates (1.210 s), a fade-out from 251 to below 10 takes 242,
// a fade-in from 9 to 250 or more takes 241, from 1 to 250 takes 249 and
// from 0 to 250 takes 250.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "HAL/Input.h"
#include "core/Ref.h"
#include "demo/DemoMusic.h"
#include "demo/Timeline.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using testing_support::LogCapture;

namespace {

constexpr float STEP = 0.005f;

struct FakeClock : MusicClock {
    uint32_t ms = 0;
    uint32_t getPositionMs() override { return ms; }
};

// Records which effect each update drove. The engine logo turns down by one
// degree per update from 120, so it reaches -167 on the 287th update.
struct FakeEffects : TimelineEffects {
    std::vector<DemoEffect> updated;
    float logoAngle = 120.f;
    void updateEffect(DemoEffect effect, float seconds) override
    {
        EXPECT_EQ(seconds, STEP);
        updated.push_back(effect);
        if (effect == DemoEffect::ENGINE_LOGO)
            logoAngle -= 1.f;
    }
    float getEngineLogoAngle() const override { return logoAngle; }
};

struct Change {
    int from;
    int to;
    uint32_t ms; // music position of the update that made the change
    bool logged;
};

// The hand-computed show (see the file comment).
const Change SHOW[] = {
    {999, 998, 6000, false}, {998, 997, 7255, false}, {997, 0, 8465, true},   {0, 1, 18965, false},
    {1, 2, 20175, true},     {2, 3, 21385, true},     {3, 4, 50000, true},    {4, 5, 51210, true},
    {5, 6, 52420, true},     {6, 7, 80000, true},     {7, 8, 81210, true},    {8, 9, 82420, true},
    {9, 10, 101000, true},   {10, 11, 102210, true},  {11, 12, 103420, true}, {12, 13, 131000, true},
    {13, 14, 132210, true},  {14, 15, 133420, true},  {15, 16, 161000, true}, {16, 17, 162205, true},
    {17, 18, 245000, true},  {18, 19, 246245, true},  {19, 20, 247680, true}, {20, 21, 248930, true},
    {21, 22, 250135, true},  {22, 23, 277000, true},  {23, 24, 278205, true},
};

DemoEffect expectedEffect(int state)
{
    if (state == 999 || state == 998)
        return DemoEffect::TITLE;
    if (state == 997 || state == 0 || state == 1)
        return DemoEffect::LOGO;
    const DemoEffect byGroup[] = {DemoEffect::LATTICE, DemoEffect::TORUS, DemoEffect::BALLS, DemoEffect::HELIX,
                                  DemoEffect::TWIN_SPRITES};
    if (state >= 2 && state <= 16)
        return byGroup[(state - 2) / 3];
    if (state == 17 || state == 18)
        return DemoEffect::SCROLLER;
    if (state == 19 || state == 20)
        return DemoEffect::ENGINE_LOGO;
    if (state >= 21 && state <= 23)
        return DemoEffect::CLOSING;
    return DemoEffect::NONE;
}

std::string logLine(uint32_t ms)
{
    char line[64];
    std::snprintf(line, sizeof line, "State change in: %f\n", static_cast<float>(ms) / 1000.f);
    return line;
}

// Runs the whole show: before each update `advance` moves the clock to the
// next 5 ms and returns the position. Checks every change against SHOW, the
// effect each update drove and the log; returns the number of updates.
template <class Advance> void runShow(Timeline& timeline, FakeEffects& effects, Advance advance)
{
    std::vector<Change> changes;
    std::string expectedLog;
    for (const Change& change : SHOW)
        if (change.logged)
            expectedLog += logLine(change.ms);

    LogCapture log;
    bool running = true;
    uint32_t ms = 0;
    int updates = 0;
    while (running && updates < 60000 * 2) {
        const int before = timeline.getState();
        ms = advance();
        running = timeline.update(STEP);
        ++updates;
        if (before != timeline.getState())
            changes.push_back({before, timeline.getState(), ms, false});
        if (before != Timeline::STATE_LAST) {
            ASSERT_FALSE(effects.updated.empty());
            ASSERT_EQ(effects.updated.back(), expectedEffect(before)) << "state " << before;
            EXPECT_EQ(Timeline::effectOf(before), expectedEffect(before));
        }
        effects.updated.clear();
    }
    const std::string text = log.text();

    EXPECT_FALSE(running);
    // The update after the last change ends the show.
    EXPECT_EQ(ms, 278210u);
    ASSERT_EQ(changes.size(), std::size(SHOW));
    for (size_t i = 0; i < changes.size(); ++i) {
        EXPECT_EQ(changes[i].from, SHOW[i].from) << "change " << i;
        EXPECT_EQ(changes[i].to, SHOW[i].to) << "change " << i;
        EXPECT_EQ(changes[i].ms, SHOW[i].ms) << "change " << changes[i].from << " -> " << changes[i].to;
    }
    // The last recorded change is 23 -> 24.
    EXPECT_EQ(timeline.getLastChangeTime(), 278.205f);
    char runningLine[64];
    std::snprintf(runningLine, sizeof runningLine, "Running time: %f\n", 278.205f);
    EXPECT_EQ(text, expectedLog + runningLine);
}

class TimelineTest : public testing_support::EngineTest { };

TEST_F(TimelineTest, WholeShowOnAFiveMillisecondClock)
{
    FakeClock clock;
    FakeEffects effects;
    Timeline timeline(clock, effects, nullptr);
    EXPECT_EQ(timeline.getState(), 999);
    runShow(timeline, effects, [&clock] { return clock.ms += 5; });
}

TEST_F(TimelineTest, WholeShowOnTheSoundtracksSteppedClock)
{
    const std::string path = std::string(VORNA3D_BIN_DIR) + "/override.mp3";
    DemoMusic* music = DemoMusic::startPath(path.c_str(), HAL::MUSIC_INIT_STEPPED_CLOCK);
    ASSERT_NE(music, nullptr) << path << " is built with the soundtrack target";
    {
        FakeEffects effects;
        Timeline timeline(*music, effects, nullptr);
        // Paused, the clock holds and so does the title.
        for (int i = 0; i < 100; ++i) {
            EXPECT_EQ(music->advanceClock(5), HAL::MUSIC_OK);
            EXPECT_TRUE(timeline.update(STEP));
        }
        EXPECT_EQ(timeline.getState(), 999);
        EXPECT_EQ(timeline.getMusicTime(), 0.f);
        music->play();
        runShow(timeline, effects, [music] {
            EXPECT_EQ(music->advanceClock(5), HAL::MUSIC_OK);
            return music->getPositionMs();
        });
    }
    delete music;
}

TEST_F(TimelineTest, MusicThresholdsAndNoWayBack)
{
    FakeClock clock;
    FakeEffects effects;
    Timeline timeline(clock, effects, nullptr);

    // Without music time the title stays.
    for (int i = 0; i < 1000; ++i)
        EXPECT_TRUE(timeline.update(STEP));
    EXPECT_EQ(timeline.getState(), 999);

    clock.ms = 5999;
    timeline.update(STEP);
    EXPECT_EQ(timeline.getState(), 999);
    EXPECT_EQ(timeline.getStateTime(), 5.999f); // the title copies the music time
    clock.ms = 6000;
    timeline.update(STEP);
    EXPECT_EQ(timeline.getState(), 998);
    EXPECT_EQ(timeline.getLastChangeTime(), 6.f);

    // A clock far ahead still walks the table one state at a time, and
    // the fades take their whole time.
    clock.ms = 200000;
    std::vector<int> visited;
    int updates = 0;
    while (timeline.getState() != 3) {
        const int before = timeline.getState();
        timeline.update(STEP);
        ++updates;
        if (timeline.getState() != before)
            visited.push_back(timeline.getState());
    }
    EXPECT_EQ(visited, (std::vector<int>{997, 0, 1, 2, 3}));
    EXPECT_EQ(updates, 251 + 242 + 1 + 242 + 242);
    EXPECT_EQ(timeline.getFadeLevel(), 9);

    // The clock going back does not take the show back.
    clock.ms = 1000;
    for (int i = 0; i < 100; ++i)
        timeline.update(STEP);
    EXPECT_EQ(timeline.getState(), 3);
    clock.ms = 50000;
    timeline.update(STEP);
    EXPECT_EQ(timeline.getState(), 4);
    clock.ms = 0;
    for (int i = 0; i < 600; ++i)
        timeline.update(STEP);
    EXPECT_EQ(timeline.getState(), 6); // 4 faded in, 5 faded out, 6 waits for 80 s
}

TEST_F(TimelineTest, FadeSteps)
{
    FakeClock clock;
    FakeEffects effects;
    Timeline timeline(clock, effects, nullptr);

    // 0.005 s x 255 = 1.275: one level per fixed step.
    EXPECT_TRUE(timeline.fade(STEP, 1));
    EXPECT_EQ(timeline.getFadeLevel(), 1);
    float values[16];
    timeline.getFadeTransform().get(values);
    EXPECT_EQ(values[3], 0.f);
    EXPECT_EQ(values[7], 0.f);
    EXPECT_EQ(values[11], 361.f); // translation in the last column
    EXPECT_EQ(values[0], 1.f);

    // 0.5 s x 255 = 127.5: 127 levels; a fade saturates rather than wrapping.
    timeline.fade(0.5f, 1);
    EXPECT_EQ(timeline.getFadeLevel(), 128);
    timeline.fade(0.5f, 1);
    EXPECT_EQ(timeline.getFadeLevel(), 255);
    timeline.fade(STEP, 1);
    EXPECT_EQ(timeline.getFadeLevel(), 255);
    timeline.fade(2.f, -1);
    EXPECT_EQ(timeline.getFadeLevel(), 0);
    timeline.fade(STEP, -1);
    EXPECT_EQ(timeline.getFadeLevel(), 0);
    // Less than 1/255 s moves nothing.
    timeline.fade(0.003f, 1);
    EXPECT_EQ(timeline.getFadeLevel(), 0);
}

TEST_F(TimelineTest, ScrollerHoldsTheLevelAndTheLastStatesEndTheShow)
{
    FakeClock clock;
    FakeEffects effects;
    Timeline timeline(clock, effects, nullptr);
    // Run to the scroller with the clock at its last moment before 245 s.
    clock.ms = 244000;
    while (timeline.getState() != 17)
        timeline.update(STEP);
    for (int i = 0; i < 10; ++i) {
        timeline.fade(0.5f, 1); // whatever moves the level, the scroller puts it back
        timeline.update(STEP);
        EXPECT_EQ(timeline.getFadeLevel(), 1);
    }
    clock.ms = 245000;
    timeline.update(STEP);
    EXPECT_EQ(timeline.getState(), 18);
    EXPECT_EQ(timeline.getFadeLevel(), 1);
    timeline.update(STEP);
    EXPECT_EQ(timeline.getFadeLevel(), 2); // the fade-in starts from 1
    while (timeline.getState() == 18)
        timeline.update(STEP);
    EXPECT_EQ(timeline.getFadeLevel(), 0); // the engine logo starts clear

    // The engine logo waits for its angle, not the clock.
    clock.ms = 300000;
    effects.logoAngle = -166.5f;
    EXPECT_TRUE(timeline.update(STEP)); // -167.5 after this update's turn
    EXPECT_EQ(timeline.getState(), 20);

    while (timeline.getState() != 24)
        EXPECT_TRUE(timeline.update(STEP));
    {
        LogCapture log;
        EXPECT_FALSE(timeline.update(STEP));
        EXPECT_EQ(timeline.getState(), 25); // the music is past 282 s
        EXPECT_FALSE(timeline.update(STEP));
        EXPECT_EQ(log.text(), "Running time: 300.000000\nRunning time: 300.000000\n");
    }
    EXPECT_EQ(Timeline::effectOf(24), DemoEffect::NONE);
    EXPECT_EQ(Timeline::effectOf(25), DemoEffect::NONE);
    EXPECT_EQ(Timeline::effectOf(-1), DemoEffect::NONE);
}

TEST_F(TimelineTest, OverlayStates)
{
    const int withOverlay[] = {1, 997, 8, 10, 11, 13, 14, 16, 18, 20, 21, 23, 998};
    int count = 0;
    for (int state = -1; state <= 1000; ++state) {
        const bool expected = std::find(std::begin(withOverlay), std::end(withOverlay), state) != std::end(withOverlay);
        EXPECT_EQ(Timeline::showsFadeOverlay(state), expected) << "state " << state;
        count += expected ? 1 : 0;
    }
    EXPECT_EQ(count, 13);
    // The lattice and torus fade without an overlay.
    for (int state : {2, 4, 5, 7})
        EXPECT_FALSE(Timeline::showsFadeOverlay(state));
}

TEST_F(TimelineTest, QuitKeysEndTheShowAfterTheUpdate)
{
    FakeClock clock;
    FakeEffects effects;
    core::Ref<HAL::Input> keyboard = HAL::Input::createInputHandle(HAL::Input::INPUT_DEVICE_KEYBOARD);
    Timeline timeline(clock, effects, keyboard.get());
    EXPECT_TRUE(timeline.update(STEP));

    // A tap of Q between two updates: that update still runs, then stops.
    HAL::Input::platformUpdatesInput(HAL::Input::INPUT_DEVICE_KEYBOARD, 'Q', 1.f);
    HAL::Input::platformUpdatesInput(HAL::Input::INPUT_DEVICE_KEYBOARD, 'Q', 0.f);
    clock.ms = 6000;
    EXPECT_FALSE(timeline.update(STEP));
    EXPECT_EQ(timeline.getState(), 998);
    EXPECT_TRUE(timeline.update(STEP));

    HAL::Input::platformUpdatesInput(HAL::Input::INPUT_DEVICE_KEYBOARD, HAL::Input::KEY_ESCAPE, 1.f);
    EXPECT_FALSE(timeline.update(STEP));
    EXPECT_FALSE(timeline.update(STEP)); // held down
    HAL::Input::platformUpdatesInput(HAL::Input::INPUT_DEVICE_KEYBOARD, HAL::Input::KEY_ESCAPE, 0.f);
    EXPECT_TRUE(timeline.update(STEP));
    // Other keys do nothing.
    HAL::Input::platformUpdatesInput(HAL::Input::INPUT_DEVICE_KEYBOARD, 'W', 1.f);
    EXPECT_TRUE(timeline.update(STEP));
}

TEST_F(TimelineTest, QuitKeyHeldWhileLoadingDoesNothing)
{
    FakeClock clock;
    FakeEffects effects;
    core::Ref<HAL::Input> keyboard = HAL::Input::createInputHandle(HAL::Input::INPUT_DEVICE_KEYBOARD);
    Timeline timeline(clock, effects, keyboard.get());
    // Escape went down before the first update and is still held, Q was tapped.
    HAL::Input::platformUpdatesInput(HAL::Input::INPUT_DEVICE_KEYBOARD, HAL::Input::KEY_ESCAPE, 1.f);
    HAL::Input::platformUpdatesInput(HAL::Input::INPUT_DEVICE_KEYBOARD, 'Q', 1.f);
    HAL::Input::platformUpdatesInput(HAL::Input::INPUT_DEVICE_KEYBOARD, 'Q', 0.f);
    EXPECT_TRUE(timeline.update(STEP));
    EXPECT_TRUE(timeline.update(STEP));
    HAL::Input::platformUpdatesInput(HAL::Input::INPUT_DEVICE_KEYBOARD, HAL::Input::KEY_ESCAPE, 0.f);
    EXPECT_TRUE(timeline.update(STEP));
    // Pressed again while running, it ends the show.
    HAL::Input::platformUpdatesInput(HAL::Input::INPUT_DEVICE_KEYBOARD, HAL::Input::KEY_ESCAPE, 1.f);
    EXPECT_FALSE(timeline.update(STEP));
}

} // namespace
