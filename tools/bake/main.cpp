// bake: makes the demo's asset archive.
//   bake [--font FILE] [--preview DIR] [ARCHIVE]
// Paints the pictures, sets the bitmap font, builds the scene files and
// writes them into ARCHIVE (sulvanto.dat) as a gzip-compressed TAR. With
// --preview, every picture and a rendered view of every mesh go to DIR as
// PNG files as well. A failure prints "bake: TEXT" and exits with 1.

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "Assets.h"
#include "core/Exception.h"
#include "core/Globals.h"
#include "framework/EngineScope.h"
#include "framework/FrameworkConfig.h"
#include "render/NullGraphics3D.h"

namespace {

int usage()
{
    std::fprintf(stderr, "usage: bake [--font FILE] [--preview DIR] [ARCHIVE]\n");
    return 2;
}

std::string describe(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const AssertationFailedException& e) {
        return std::string("internal check failed: ") + (e.getMessage() ? e.getMessage() : "") + " in " +
            (e.getFunction() ? e.getFunction() : "?");
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unexpected failure";
    }
}

// Builds everything with a started engine and a registered renderer:
// scene nodes need one to exist while they are built, but nothing is drawn.
void runBake(const bake::BakeOptions& options)
{
    core::Ref<render::NullGraphics3D> g3d = VORNA3D_NEW render::NullGraphics3D();
    g3d->registerInstance();
    try {
        bake::bakeAssets(options);
    } catch (...) {
        core::Globals::get()->m_g3d.clear();
        throw;
    }
    core::Globals::get()->m_g3d.clear();
}

} // namespace

int main(int argc, char** argv)
{
    bake::BakeOptions options;
    options.fontFile = BAKE_FONT_FILE;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--font" || arg == "--preview") && i + 1 < argc)
            (arg == "--font" ? options.fontFile : options.previewDir) = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && options.archive.empty())
            options.archive = arg;
        else
            return usage();
    }
    if (options.archive.empty() && options.previewDir.empty())
        return usage();

    framework::FrameworkConfig config;
    config.memorySize = 128 << 20;
    config.createConsole = 0;
    config.debugLevel = 0; // the engine's progress lines are not the tool's output
    std::unique_ptr<framework::EngineScope> engine;
    try {
        engine = std::make_unique<framework::EngineScope>(&config);
    } catch (...) {
        std::fprintf(stderr, "bake: cannot start the engine: %s\n", describe(std::current_exception()).c_str());
        return 1;
    }
    std::string error;
    try {
        runBake(options);
    } catch (...) {
        error = describe(std::current_exception());
    }
    try {
        engine->stop();
    } catch (...) {
        if (error.empty())
            error = "engine shut-down failed: " + describe(std::current_exception());
    }
    if (!error.empty()) {
        std::fprintf(stderr, "bake: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
