#include "demo/sulvanto.h"

#include <cstdlib>
#include <cstring>

#include "HAL/System.h"
#include "core/Debug.h"
#include "core/Exception.h"
#include "demo/DemoMusic.h"
#include "demo/MyApplication.h"
#include "render/OGLES/OGLES1_Graphics3D.h"

namespace {

void printLine(const char* text)
{
    HAL::System::printf(static_cast<int>(std::strlen(text)), text);
}

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

bool displayServerAvailable()
{
    // Without an X11 or Wayland session, and without a video driver chosen
    // by hand, the window would silently go to an invisible offscreen
    // surface.
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("SDL_VIDEODRIVER");
}

framework::Vorna3DFramework* vorna3DMain(framework::FrameworkConfig& config)
{
    // The music first: without it there is no clock to run the show on.
    DemoMusic* music = DemoMusic::start();
    if (!music)
        std::exit(-1);

    if (!displayServerAvailable()) {
        delete music;
        printLine("sulvanto: no display found (no X11 or Wayland session to open the window in)\n");
        return nullptr;
    }

    config.fixedTimeStep = 0.005f;
    config.minFrameTime = 0.005f;
    config.display.width = MyApplication::SCREEN_WIDTH;
    config.display.height = MyApplication::SCREEN_HEIGHT;
    config.createConsole = 0;
    config.graphics.showStatistics = false;
    config.display.windowed = 0;
    config.display.showCursor = 0;
    config.memorySize = 40960000;
    config.graphics.lighting = true;
    config.display.title = "sulvanto by norvalli productions";
    for (int i = 0; i < config.argCount; ++i)
        if (std::strcmp(config.args[i], "--window") == 0)
            config.display.windowed = 1;

    framework::Vorna3DFramework* framework = nullptr;
    try {
        framework = new framework::Vorna3DFramework(&config);
    } catch (...) {
        delete music;
        throw;
    }
    try {
        framework->setGraphics3D(VORNA3D_NEW render::OGLES1_Graphics3D());
        MyApplication* app = VORNA3D_NEW MyApplication(music);
        music = nullptr; // the application owns it now
        framework->setApp(app); // loads everything and starts the music
    } catch (const Vorna3DException& e) {
        core::Debug::printf(core::DEBUG_LEVEL_ERROR, "sulvanto: start-up failed: %s\n", e.what());
        delete music;
        delete framework;
        throw;
    } catch (...) {
        delete music;
        delete framework;
        throw;
    }
    return framework;
}
