// Writes the play tests' box scene (PlayTestScene.h) with the engine's
// scene-file writer, for the end-to-end test of `vorna3d play`:
//   play_test_scene OUT.m3g
// Exit code 0 when written, 1 with a line on standard error otherwise.

#include <cstdio>
#include <exception>
#include <fstream>

#include "PlayTestScene.h"
#include "RendererScope.h"
#include "core/MemoryStream.h"
#include "core/Vector.h"
#include "framework/EngineScope.h"
#include "framework/FrameworkConfig.h"
#include "render/loaders/m3g/M3G_Writer.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: play_test_scene OUT.m3g\n");
        return 1;
    }
    framework::FrameworkConfig config;
    config.memorySize = 8 << 20;
    config.createConsole = 0;
    config.debugLevel = 0;
    bool written = false;
    framework::EngineScope engine(&config);
    try {
        vorna3d_tool::RendererScope renderer;
        core::Vector<core::Ref<render::Object3D>> roots;
        roots.add(core::Ref<render::Object3D>(play_test::makeBox().get()));
        core::Ref<core::MemoryStream> out = VORNA3D_NEW core::MemoryStream();
        render::M3G_Writer::save(out.get(), roots, render::M3G_Writer::Options());
        std::ofstream file(argv[1], std::ios::binary);
        file.write(reinterpret_cast<const char*>(out->getData()), out->getSize());
        written = static_cast<bool>(file);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "play_test_scene: %s\n", e.what());
    }
    engine.stop();
    if (!written)
        std::fprintf(stderr, "play_test_scene: can not write %s\n", argv[1]);
    return written ? 0 : 1;
}
