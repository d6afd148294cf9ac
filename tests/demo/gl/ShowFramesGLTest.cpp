// One frame in the middle of each effect of the show, rendered by the
// OpenGL renderer on the stepped soundtrack clock and read back before it
// is presented. Every frame is written to VORNA3D_DEMO_FRAME_DIR for a
// person to look at.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "demo/MyApplication.h"
#include "tests/demo/gl/ShowHarness.h"

using demo_test::Frame;
using demo_test::ShowHarness;

namespace {

void keep(const Frame& frame, const std::string& name)
{
    std::filesystem::create_directories(VORNA3D_DEMO_FRAME_DIR);
    demo_test::writePng(std::string(VORNA3D_DEMO_FRAME_DIR) + "/" + name + ".png", frame);
}

TEST(ShowFramesGLTest, OneFramePerEffect)
{
    ShowHarness show;
    struct Sample {
        uint32_t ms;
        const char* name;
    };
    const Sample samples[] = {{3000, "title"},     {6800, "title_fade"},  {13000, "logo"},     {35000, "lattice"},
                              {65000, "torus"},    {92000, "balls"},      {117000, "helix"},   {147000, "twins"},
                              {200000, "scroller"}, {245800, "scroller_fade"}, {249000, "engine_logo_a"}, {252000, "engine_logo_b"}, {255000, "engine_logo"}, {258000, "engine_logo_c"}, {260000, "engine_logo_d"},
                              {261000, "engine_logo_fade"}, {270000, "closing"}};
    for (const Sample& sample : samples) {
        ASSERT_TRUE(show.runTo(sample.ms)) << sample.name;
        show.renderOnly(); // the frame before, so that nothing is a first frame
        const Frame frame = show.renderFrame();
        keep(frame, std::string(sample.name) + "_state" + std::to_string(show.app().getTimeline().getState()));
    }
}

} // namespace
