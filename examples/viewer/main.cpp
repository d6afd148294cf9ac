// viewer: a lit, textured torus turning in front of a background image,
// with glowing sprites and a line of text, drawn by the engine's OpenGL
// renderer under the frame loop. F1 switches the statistics overlay on and
// off; Escape or Q ends it.
//
//     viewer [windowed] [statistics] [screenshot=FILE.png] [frame=N]
//
// "windowed" opens a 1024 x 768 window instead of the full screen;
// "statistics" starts with the overlay on; "screenshot=" writes frame N
// (default 30) to a PNG file.

#include <cstdlib>
#include <cstring>

#include "core/Debug.h"
#include "core/Ref.h"
#include "examples/viewer/ViewerApp.h"
#include "framework/FrameworkScope.h"
#include "framework/ProgramEntry.h"
#include "framework/Vorna3DFramework.h"
#include "render/OGLES/OGLES1_Graphics3D.h"

namespace {

viewer::ViewerOptions g_options;

// The text after `prefix` when `arg` starts with it, else null.
const char* valueOf(const char* arg, const char* prefix)
{
    const size_t length = std::strlen(prefix);
    return std::strncmp(arg, prefix, length) == 0 ? arg + length : nullptr;
}

framework::Vorna3DFramework* createViewer(framework::FrameworkConfig& config)
{
    bool showStatistics = false;
    config.display.width = 1024;
    config.display.height = 768;
    config.display.windowed = 0;
    for (int i = 0; i < config.argCount; ++i) {
        const char* arg = config.args[i];
        if (std::strcmp(arg, "windowed") == 0) {
            config.display.windowed = 1;
        } else if (std::strcmp(arg, "statistics") == 0) {
            showStatistics = true;
        } else if (const char* path = valueOf(arg, "screenshot=")) {
            g_options.screenshotPath = path;
        } else if (const char* frame = valueOf(arg, "frame=")) {
            g_options.screenshotFrame = std::atoi(frame);
        } else {
            core::Debug::printf(core::DEBUG_LEVEL_WARNING, "viewer: unknown argument %s\n", arg);
        }
    }
    config.display.showCursor = 0;
    config.display.title = "Vorna3D viewer";
    config.createConsole = 0;
    config.memorySize = 16 * 1024 * 1024;
    config.fixedTimeStep = 0.005f;
    config.minFrameTime = 0.005f;
    config.graphics.showStatistics = showStatistics;
    config.graphics.printFps = true;
    config.graphics.cameraLight = false;
    config.graphics.lighting = true;

    framework::FrameworkScope framework(config);
    framework->setGraphics3D(VORNA3D_NEW render::OGLES1_Graphics3D());
    framework->setApp(VORNA3D_NEW viewer::ViewerApp(g_options));
    return framework.release();
}

} // namespace

int main(int argc, char** argv)
{
    return framework::runProgram(argc, argv, createViewer);
}
