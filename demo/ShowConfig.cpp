#include "demo/ShowConfig.h"

#include "demo/MyApplication.h"

void applyShowConfig(framework::FrameworkConfig& config, ShowScreen screen, ShowLog log)
{
    config.fixedTimeStep = 0.005f;
    config.minFrameTime = 0.005f;
    config.display.width = MyApplication::SCREEN_WIDTH;
    config.display.height = MyApplication::SCREEN_HEIGHT;
    // The show is a 1024 x 768 picture whatever the window becomes (a
    // desktop-sized full screen, a resized window, a capture size): scaled
    // to fit, centred between black bars.
    config.display.pictureWidth = MyApplication::SCREEN_WIDTH;
    config.display.pictureHeight = MyApplication::SCREEN_HEIGHT;
    config.display.title = "sulvanto by norvalli productions";
    config.createConsole = 0;
    config.memorySize = 40960000;
    config.graphics.showStatistics = false;
    config.graphics.lighting = true;

    config.display.windowed = screen == ShowScreen::FULL_SCREEN ? 0 : 1;
    config.display.showCursor = screen == ShowScreen::FULL_SCREEN ? 0 : 1;
    config.display.offscreen = screen == ShowScreen::OFFSCREEN ? 1 : 0;

    config.graphics.printFps = log == ShowLog::FULL;
    if (log == ShowLog::QUIET)
        config.debugLevel = 1; // errors and warnings (and engine lines, which go with them)
    else if (log == ShowLog::SILENT)
        config.debugLevel = 0;
}
