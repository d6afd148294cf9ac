// The show through the OpenGL renderer on the stepped soundtrack clock:
// one frame read back in the middle of each effect (and at a few fades)
// and checked for what that effect must show, and ten steady frames of
// each effect that allocate nothing from the pool. Every checked frame is
// written to VORNA3D_DEMO_FRAME_DIR for a person to look at.
//
// The music times come from the timeline's hand-computed change times (see
// tests/demo/TimelineTest.cpp): each lies well inside one state.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "core/MemoryManager.h"
#include "core/Ref.h"
#include "core/Vector.h"
#include "demo/MyApplication.h"
#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/Loader.h"
#include "tests/demo/gl/ShowHarness.h"

using demo_test::Frame;
using demo_test::ShowHarness;

namespace {

struct Rgb {
    int r, g, b;
};

Rgb pixel(const Frame& frame, int x, int y)
{
    const uint8_t* p = frame.at(x, y);
    return Rgb{p[0], p[1], p[2]};
}

// The share (0..1) of the frame's pixels for which `test` holds.
double share(const Frame& frame, const std::function<bool(const Rgb&)>& test)
{
    long count = 0;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
            count += test(pixel(frame, x, y)) ? 1 : 0;
    return double(count) / (double(frame.width) * frame.height);
}

bool black(const Rgb& c)
{
    return c.r < 16 && c.g < 16 && c.b < 16;
}

int brightest(const Frame& frame, int x0, int y0, int x1, int y1)
{
    int best = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const Rgb c = pixel(frame, x, y);
            best = std::max({best, c.r, c.g, c.b});
        }
    return best;
}

// The image of a PNG in the demo's mounted archive.
core::Ref<render::Image2D> archiveImage(const char* name)
{
    core::Vector<core::Ref<render::Object3D>> objects;
    render::load(core::String(name), objects);
    return core::Ref<render::Image2D>(dynamic_cast<render::Image2D*>(objects[0].get()));
}

Rgb imagePixel(const render::Image2D& image, int x, int y)
{
    const uint32_t v = image.getPixel(x, y);
    if (image.getFormat() == render::Image2D::RGB)
        return Rgb{int(v >> 16) & 0xFF, int(v >> 8) & 0xFF, int(v) & 0xFF};
    return Rgb{int(v >> 24) & 0xFF, int(v >> 16) & 0xFF, int(v >> 8) & 0xFF};
}

bool near(const Rgb& a, const Rgb& b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

int poolAllocations()
{
    return core::MemoryManager::getMemoryInfoPtr()->getStatistics().allocationCount;
}

class ShowFramesGLTest : public ::testing::Test {
protected:
    void SetUp() override { m_show = std::make_unique<ShowHarness>(); }
    void TearDown() override { m_show.reset(); }

    std::unique_ptr<ShowHarness> m_show;

    int state() const { return m_show->app().getTimeline().getState(); }

    // Runs to `ms`, draws one frame there (the one before it too, so that
    // nothing is a first frame), keeps it as `name`.png and returns it.
    Frame frameAt(uint32_t ms, const char* name)
    {
        EXPECT_TRUE(m_show->runTo(ms)) << name;
        m_show->renderOnly();
        Frame frame = m_show->renderFrame();
        std::filesystem::create_directories(VORNA3D_DEMO_FRAME_DIR);
        demo_test::writePng(std::string(VORNA3D_DEMO_FRAME_DIR) + "/" + name + ".png", frame);
        return frame;
    }

    // Once the batches have grown to the effect's size (30 frames), ten
    // more steps and frames of the current effect allocate nothing.
    void expectSteadyFrames(const char* name)
    {
        for (int i = 0; i < 30; ++i) {
            m_show->step();
            m_show->renderOnly();
        }
        const int before = poolAllocations();
        for (int i = 0; i < 10; ++i) {
            m_show->step();
            m_show->renderOnly();
        }
        EXPECT_EQ(poolAllocations(), before) << name << ": pool allocations in steady frames";
    }

    int lastDrawCalls() const { return m_show->framework().getGraphics3D()->getLastFrameStatistics().drawCalls; }
};

TEST_F(ShowFramesGLTest, TitleLogoLatticeAndTorus)
{
    // The title: one line of white text across the middle, black elsewhere.
    Frame frame = frameAt(3000, "title");
    EXPECT_EQ(state(), 999);
    EXPECT_GT(brightest(frame, 380, 360, 650, 390), 240);
    EXPECT_EQ(brightest(frame, 0, 0, 1024, 340), 0);
    EXPECT_EQ(brightest(frame, 0, 400, 1024, 768), 0);
    const double lit = share(frame, [](const Rgb& c) { return c.r > 128; });
    EXPECT_GT(lit * 1024 * 768, 300);
    EXPECT_LT(lit * 1024 * 768, 4000);
    expectSteadyFrames("title");

    // 0.8 s into the fade to black: level 160 of 255 left about 95 of the white.
    frame = frameAt(6800, "title_fade");
    EXPECT_EQ(state(), 998);
    EXPECT_GT(brightest(frame, 380, 360, 650, 390), 75);
    EXPECT_LT(brightest(frame, 380, 360, 650, 390), 115);

    // The title picture stretched over the screen.
    frame = frameAt(13000, "logo");
    EXPECT_EQ(state(), 0);
    {
        core::Ref<render::Image2D> logo = archiveImage("sulvantobynorvalliproductions.png");
        int matching = 0, samples = 0;
        for (int y = 20; y < 768; y += 37) {
            for (int x = 20; x < 1024; x += 41) {
                const int ix = x * logo->getWidth() / 1024;
                const int iy = y * logo->getHeight() / 768;
                matching += near(pixel(frame, x, y), imagePixel(*logo, ix, iy), 48) ? 1 : 0;
                ++samples;
            }
        }
        EXPECT_GT(matching, samples * 9 / 10) << matching << " of " << samples << " samples match the picture";
    }
    expectSteadyFrames("logo");

    // The lattice: yellow lines on black.
    frame = frameAt(35000, "lattice");
    EXPECT_EQ(state(), 3);
    EXPECT_GT(share(frame, black), 0.6);
    EXPECT_GT(share(frame, [](const Rgb& c) { return c.r > 120 && c.g > 120 && c.b < 60; }), 0.01);
    EXPECT_EQ(share(frame, [](const Rgb& c) { return c.b > 100; }), 0.0);
    expectSteadyFrames("lattice");

    // The flash: frames are white once the timer has passed 1.3 s, up to
    // the one past 1.35 s, which restarts it; the next frame is dark again.
    const auto white = [](const Rgb& c) { return c.r > 240 && c.g > 240 && c.b > 240; };
    while (m_show->app().getTimeline().getStateTime() <= 1.3f)
        m_show->step();
    frame = m_show->renderFrame();
    demo_test::writePng(std::string(VORNA3D_DEMO_FRAME_DIR) + "/lattice_flash.png", frame);
    EXPECT_GT(share(frame, white), 0.7);
    EXPECT_GT(m_show->app().getTimeline().getStateTime(), 1.3f);
    while (m_show->app().getTimeline().getStateTime() <= 1.35f)
        m_show->step();
    frame = m_show->renderFrame();
    EXPECT_GT(share(frame, white), 0.7);
    EXPECT_EQ(m_show->app().getTimeline().getStateTime(), 0.f) << "the frame past 1.35 s restarts the timer";
    m_show->step();
    frame = m_show->renderFrame();
    EXPECT_LT(share(frame, white), 0.05);

    // The torus: lines in many colours on black.
    frame = frameAt(65000, "torus");
    EXPECT_EQ(state(), 6);
    EXPECT_GT(share(frame, black), 0.4);
    EXPECT_GT(share(frame, [](const Rgb& c) { return !black(c); }), 0.05);
    std::set<int> colours;
    for (int y = 0; y < 768; y += 2)
        for (int x = 0; x < 1024; x += 2) {
            const Rgb c = pixel(frame, x, y);
            if (!black(c))
                colours.insert((c.r / 32) * 64 + (c.g / 32) * 8 + c.b / 32);
        }
    EXPECT_GT(colours.size(), 40u);
    expectSteadyFrames("torus");
}

TEST_F(ShowFramesGLTest, BallsHelixAndTwinSprites)
{
    // The balls: the plasma (red to blue, no green) over the whole screen.
    Frame frame = frameAt(92000, "balls");
    EXPECT_EQ(state(), 9);
    EXPECT_GT(share(frame, [](const Rgb& c) { return c.r > 80 || c.b > 80; }), 0.5);
    EXPECT_GT(share(frame, [](const Rgb& c) { return c.g < c.r / 2 + 24 || c.g < c.b / 2 + 24; }), 0.9);
    // The small balls in the middle are drawn over the big one: the centre
    // differs from the screen's edge.
    expectSteadyFrames("balls");

    // The helix: the clouds into the texture, the cloud frame drawn
    // behind 20 bars (two cloud sprites in one batch, the frame in one, 20
    // meshes).
    frame = frameAt(117000, "helix");
    EXPECT_EQ(state(), 12);
    EXPECT_EQ(lastDrawCalls(), 1 + 1 + 20);
    EXPECT_EQ(m_show->app().getHelixSegments().size(), 20);
    // Bars are bright orange and blue; the clouds are dark red.
    EXPECT_GT(share(frame, [](const Rgb& c) { return c.r > 150 && c.g > 80 && c.b < 100; }), 0.002);
    EXPECT_GT(share(frame, [](const Rgb& c) { return c.b > 150 && c.r < 100; }), 0.002);
    EXPECT_GT(share(frame, [](const Rgb& c) { return c.r > 20 && c.r > 2 * c.g && !black(c); }), 0.2);
    // No row of the texture outside the cloud frame shows.
    EXPECT_EQ(share(frame, [](const Rgb& c) { return c.r > 250 && c.g > 250 && c.b > 250; }), 0.0);
    expectSteadyFrames("helix");

    // The twin sprites: the picture covers most of the screen.
    frame = frameAt(147000, "twins");
    EXPECT_EQ(state(), 15);
    EXPECT_GT(share(frame, [](const Rgb& c) { return !black(c); }), 0.6);
    EXPECT_EQ(lastDrawCalls(), 1); // both sprites in one batch
    expectSteadyFrames("twins");
}

TEST_F(ShowFramesGLTest, ScrollerEngineLogoAndClosing)
{
    // No scroller frame allocates, the first ones included (nothing else
    // was drawn before them here), nor those that show the most characters
    // (37 in about one frame in four once the line fills the screen, 12 s
    // in), nor those in which a fish is spawned (one a second).
    const Scroller& scroller = m_show->app().getScroller();
    int mostCharacters = 0;
    const auto renderScrollerFrames = [&](int frames) {
        for (int i = 0; i < frames; ++i) {
            m_show->step();
            m_show->renderOnly();
            int shown = 0;
            for (const Scroller::ScrollerElement& element : scroller.elements())
                shown += element.x >= Scroller::VISIBLE_LEFT && element.x <= Scroller::VISIBLE_RIGHT ? 1 : 0;
            mostCharacters = std::max(mostCharacters, shown);
        }
    };
    const int allocationsBefore = poolAllocations();
    ASSERT_TRUE(m_show->runTo(163000));
    ASSERT_EQ(state(), 17);
    renderScrollerFrames(20);
    ASSERT_TRUE(m_show->runTo(175000));
    const int fishBefore = scroller.fishes().size();
    renderScrollerFrames(240);
    EXPECT_EQ(poolAllocations(), allocationsBefore) << "pool allocations in the scroller's frames";
    EXPECT_EQ(mostCharacters, Scroller::MAX_VISIBLE_CHARACTERS);
    EXPECT_GT(scroller.fishes().size(), fishBefore);

    // The scroller: the water picture, fish, bubbles and a line of white text.
    // 210 s: after the last of the 40 fish was spawned (each new fish grows
    // the sprite batch once), so the steady frames below are steady.
    Frame frame = frameAt(210000, "scroller");
    EXPECT_EQ(state(), 17);
    {
        core::Ref<render::Image2D> water = archiveImage("wtr.png");
        // Water near the top left, where neither text nor (mostly) fish go.
        int matching = 0, samples = 0;
        for (int y = 20; y < 300; y += 29)
            for (int x = 10; x < 1024; x += 53) {
                matching += near(pixel(frame, x, y),
                                 imagePixel(*water, x * water->getWidth() / 1024, y * water->getHeight() / 768), 40)
                    ? 1
                    : 0;
                ++samples;
            }
        EXPECT_GT(matching, samples * 3 / 4) << matching << " of " << samples;
    }
    long textPixels = 0;
    for (int y = 320; y < 420; ++y)
        for (int x = 0; x < 1024; ++x) {
            const Rgb c = pixel(frame, x, y);
            textPixels += (c.r > 235 && c.g > 235 && c.b > 235) ? 1 : 0;
        }
    EXPECT_GT(textPixels, 1500);
    expectSteadyFrames("scroller");

    // The scroller fading to black in state 18: all of it darker, the text too.
    frame = frameAt(245800, "scroller_fade");
    EXPECT_EQ(state(), 18);
    EXPECT_LT(brightest(frame, 0, 0, 1024, 768), 200);

    // The engine logo near the end of its turn: the letters above the
    // middle, their dimmer mirror image below.
    frame = frameAt(258000, "engine_logo");
    EXPECT_EQ(state(), 19);
    long above = 0, below = 0;
    for (int y = 200; y < 384; ++y)
        for (int x = 0; x < 1024; ++x) {
            const Rgb top = pixel(frame, x, y);
            const Rgb bottom = pixel(frame, x, 767 - y);
            above += top.r + top.g + top.b;
            below += bottom.r + bottom.g + bottom.b;
        }
    EXPECT_GT(share(frame, [](const Rgb& c) { return !black(c); }), 0.03);
    EXPECT_GT(below, 0);
    EXPECT_GT(above, 2 * below);
    expectSteadyFrames("engine_logo");

    // The closing picture in the middle, black around it.
    frame = frameAt(270000, "closing");
    EXPECT_EQ(state(), 22);
    EXPECT_EQ(brightest(frame, 0, 0, 150, 768), 0);
    EXPECT_EQ(brightest(frame, 874, 0, 1024, 768), 0);
    {
        // The picture is the sheet's (1, 513)-(511, 1023), 510 units wide at
        // 600 units: 566 pixels, centred, 10 units (11 pixels) up.
        core::Ref<render::Image2D> sheet = archiveImage("2dgfx.png");
        const double pixelsPerTexel = 768.0 / (2.0 * 600.0 * 0.57735);
        int matching = 0, samples = 0;
        for (int ty = 40; ty < 500; ty += 23)
            for (int tx = 40; tx < 500; tx += 23) {
                const int x = int(512 + (tx - 255) * pixelsPerTexel);
                const int y = int(384 - 10 * pixelsPerTexel + (ty - 255) * pixelsPerTexel);
                matching += near(pixel(frame, x, y), imagePixel(*sheet, 1 + tx, 513 + ty), 48) ? 1 : 0;
                ++samples;
            }
        EXPECT_GT(matching, samples * 8 / 10) << matching << " of " << samples;
    }
    expectSteadyFrames("closing");

    // On to the end: the update after the last state stops the m_show->
    EXPECT_FALSE(m_show->runTo(300000));
    EXPECT_EQ(state(), 24);
}

} // namespace
