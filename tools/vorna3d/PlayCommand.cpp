// vorna3d play FILE.m3g [--fit] [--shot=MS:FILE.png]...: opens a 1024 x 768
// window and shows the file's scene, animated in real time, through its own
// camera or the free orbit camera (PlayApp), until Escape or Q. --fit starts
// on the free camera framing the scene. Each --shot writes the first frame
// at or after MS milliseconds of world time to a PNG file. The command runs
// the engine itself, through the framework's frame loop.

#include <cstdlib>
#include <exception>
#include <string>

#include "Command.h"
#include "PlayApp.h"
#include "SceneFile.h"
#include "core/Exception.h"
#include "framework/FrameworkConfig.h"
#include "framework/FrameworkScope.h"
#include "framework/Vorna3DFramework.h"
#include "render/OGLES/OGLES1_Graphics3D.h"

namespace vorna3d_tool {

namespace {

// The renderer's buffers, textures and the frame loop's own needs beside the scene.
constexpr int64_t PLAY_BASE_BYTES = 48 << 20;
constexpr int64_t MAX_PLAY_POOL = int64_t(3) << 29;

// "MS:FILE" of a --shot option.
PlayOptions::Shot parseShot(const std::string& value)
{
    const size_t colon = value.find(':');
    char* end = nullptr;
    const long ms = colon == std::string::npos ? -1 : std::strtol(value.c_str(), &end, 10);
    if (colon == std::string::npos || end != value.c_str() + colon || ms < 0 || ms > 0x7FFFFFFF ||
        colon + 1 == value.size())
        throw ToolError{"--shot needs MS:FILE.png, not '" + value + "'"};
    return PlayOptions::Shot{static_cast<int>(ms), value.substr(colon + 1)};
}

// The text of the exception being handled, taken while the engine still runs.
std::string currentError()
{
    try {
        throw;
    } catch (const ToolError& e) {
        return e.message;
    } catch (const AssertationFailedException& e) {
        return std::string("internal check failed:") + (e.getMessage() ? e.getMessage() : "") + "in " +
            (e.getFunction() ? e.getFunction() : "?");
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unexpected failure";
    }
}

constexpr const char* PLAY_USAGE = "usage: vorna3d play FILE.m3g [--fit] [--shot=MS:FILE.png]...";

} // namespace

int64_t playPoolBytes(const Args& args)
{
    return scenePoolBytes(args[0]) + PLAY_BASE_BYTES;
}

int runPlay(const Args& args)
{
    // Options may come before or after the file.
    std::string path;
    PlayOptions options;
    for (const std::string& arg : args) {
        if (arg.rfind("--shot=", 0) == 0)
            options.shots.push_back(parseShot(arg.substr(7)));
        else if (arg == "--fit")
            options.fit = true;
        else if (arg.rfind("--", 0) == 0)
            throw ToolError{"unknown option '" + arg + "' (" + PLAY_USAGE + ")"};
        else if (!path.empty())
            throw ToolError{"one scene file at a time (" + std::string(PLAY_USAGE) + ")"};
        else
            path = arg;
    }
    if (path.empty())
        throw ToolError{PLAY_USAGE};
    if (!isSceneFile(path))
        throw ToolError{path + " is not a scene file"};
    const int64_t pool = playPoolBytes(Args{path});
    if (pool > MAX_PLAY_POOL)
        throw ToolError{"not enough memory for " + path};

    framework::FrameworkConfig config;
    config.display.width = 1024;
    config.display.height = 768;
    config.display.windowed = 1;
    config.display.title = "vorna3d play";
    config.createConsole = 0;
    config.memorySize = static_cast<int32_t>(pool);
    config.fixedTimeStep = 0.005f;
    config.minFrameTime = 0.005f;
    config.graphics.showStatistics = false;
    config.graphics.cameraLight = false;
    config.graphics.lighting = true;

    // The framework starts the engine; its constructor reports and undoes
    // its own failures.
    framework::FrameworkScope framework(config);
    std::string error;
    try {
        framework->setGraphics3D(VORNA3D_NEW render::OGLES1_Graphics3D());
        framework->setApp(VORNA3D_NEW PlayApp(path, options));
        framework->gameLoop();
    } catch (...) {
        error = currentError();
    }
    try {
        framework.stop();
    } catch (...) {
        if (error.empty())
            error = "engine shut-down failed: " + currentError();
    }
    if (!error.empty())
        throw ToolError{error};
    return 0;
}

} // namespace vorna3d_tool
