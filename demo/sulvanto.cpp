#include "demo/sulvanto.h"

framework::Vorna3DFramework* vorna3DMain(framework::FrameworkConfig& config)
{
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

    // The renderer, the music and the demo application join here as they
    // are built; until then the framework runs without an application and
    // the program ends right after start-up.
    return new framework::Vorna3DFramework(&config);
}
