#include "demo/sulvanto.h"

#include <cstdlib>

#include "demo/DemoMusic.h"

framework::Vorna3DFramework* vorna3DMain(framework::FrameworkConfig& config)
{
    // The music first: without it there is no clock to run the show on.
    DemoMusic* music = DemoMusic::start();
    if (!music)
        std::exit(-1);

    config.fixedTimeStep = 0.005f;
    config.minFrameTime = 0.005f;
    config.display.width = 1024;
    config.display.height = 768;
    config.createConsole = 0;
    config.graphics.showStatistics = false;
    config.display.windowed = 0;
    config.display.showCursor = 0;
    config.memorySize = 40960000;
    config.graphics.lighting = true;
    config.display.title = "sulvanto by norvalli productions";

    // The renderer and the demo application join here as they are built;
    // the application will own the music. Until then the framework runs
    // without an application, the program ends right after start-up, and
    // the music is released again.
    delete music;
    return new framework::Vorna3DFramework(&config);
}
