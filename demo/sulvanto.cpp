#include "demo/sulvanto.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "HAL/Music.h"
#include "core/Debug.h"
#include "core/Exception.h"
#include "demo/CaptureRenderer.h"
#include "demo/DemoMusic.h"
#include "demo/MyApplication.h"
#include "demo/ShowConfig.h"
#include "framework/FrameworkScope.h"
#include "render/OGLES/OGLES1_Graphics3D.h"

namespace {

constexpr const char* SOUNDTRACK = "override.mp3";

[[maybe_unused]] bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// Nothing on any screen: the frames go to the capture at its size, the
// 1024 x 768 picture fitted into them. Errors, warnings and engine lines
// only: the state changes would run into the progress line.
void applyCaptureConfig(framework::FrameworkConfig& config, const ShowOptions& options)
{
    applyShowConfig(config, ShowScreen::OFFSCREEN, ShowLog::QUIET);
    config.display.width = options.width;
    config.display.height = options.height;
}

} // namespace

bool displayServerAvailable()
{
#ifdef _WIN32
    return true; // every Windows session has its desktop
#else
    // Without an X11 or Wayland session, and without a video driver chosen
    // by hand, the window would silently go to an invisible offscreen
    // surface.
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("SDL_VIDEODRIVER");
#endif
}

framework::Vorna3DFramework* vorna3DMain(framework::FrameworkConfig& config, SulvantoSession& session)
{
    session.options = session.tooManyArguments ? ShowOptions::tooManyArguments(framework::FrameworkConfig::MAX_ARGS)
                                               : ShowOptions::parse(config.args, config.argCount);
    const ShowOptions& options = session.options;
    const int early = options.report(stdout, stderr);
    if (early >= 0) {
        session.exitCode = early;
        return nullptr;
    }
    const bool capturing = options.action == ShowOptions::Action::CAPTURE;
    if (capturing) {
        session.capture = std::make_unique<ShowCapture>(options, HAL::pathBesideProgram(SOUNDTRACK));
        const std::string problem = session.capture->checkOutput();
        if (!problem.empty()) {
            std::fprintf(stderr, "sulvanto: %s\n", problem.c_str());
            std::fflush(stderr);
            session.exitCode = 1;
            return nullptr;
        }
    }

    // The music first: without it there is no clock to run the show on. A
    // capture moves the clock itself, frame by frame, and never opens an
    // audio device (a video takes its sound from the file). Neither does a show
    // without a display: the soundtrack is still checked, so that a missing
    // one is reported as always, but no audio library gets a chance to print
    // ahead of the one line that says why the show cannot run.
    const bool noDisplay = !capturing && !displayServerAvailable();
    const bool openDevice = !capturing && !noDisplay;
    std::unique_ptr<DemoMusic> music(
        DemoMusic::start(SOUNDTRACK, openDevice ? HAL::MUSIC_INIT_NORMAL : HAL::MUSIC_INIT_STEPPED_CLOCK));
    if (!music)
        std::exit(-1);

    if (noDisplay) {
        music.reset();
        std::fputs("sulvanto: no display found (no X11 or Wayland session to open the window in); "
                   "--capture renders the show without one\n",
                   stderr);
        std::fflush(stderr);
        return nullptr;
    }

    if (capturing)
        applyCaptureConfig(config, options);
    else
        applyShowConfig(config, options.windowed ? ShowScreen::WINDOW : ShowScreen::FULL_SCREEN, ShowLog::FULL);

    framework::FrameworkScope framework(config);
    try {
        // The log exists now: a warning that the show runs on the silent
        // clock comes first, not in the middle of the loading's lines.
        music->writeWarnings();
        if (capturing)
            framework->setGraphics3D(createCaptureRenderer(*session.capture));
        else
            framework->setGraphics3D(VORNA3D_NEW render::OGLES1_Graphics3D());
        MyApplication* app = VORNA3D_NEW MyApplication(music.get());
        music.release(); // the application owns it now
        if (!capturing)
            app->setStartMs(options.startMs()); // a capture runs ahead on its own frame grid
        framework->setApp(app); // loads everything and starts the music
    } catch (const Vorna3DException& e) {
        // The music goes first, while the framework's log still takes its
        // last warnings.
        core::Debug::printf(core::DEBUG_LEVEL_ERROR, "sulvanto: start-up failed: %s\n", e.what());
        music.reset();
        throw;
    } catch (...) {
        music.reset();
        throw;
    }
    session.frameworkCreated = true;
    return framework.release();
}

void runSulvanto(framework::Vorna3DFramework& framework, SulvantoSession& session)
{
    if (!session.capture) {
        framework.gameLoop();
        return;
    }
    session.exitCode = session.capture->run(framework, static_cast<MyApplication&>(*framework.getApp()));
}
