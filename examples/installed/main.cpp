// scene_roundtrip: starts the engine, builds a small scene (a world with a
// camera and a group), writes it as an M3G file into memory, reads it back
// through the loader and prints what came back. It needs no window, so it
// also checks an installed engine package on a machine without a display.

#include <cstdio>

#include <Vorna3D/core/Exception.h>
#include <Vorna3D/core/Globals.h>
#include <Vorna3D/core/MemoryStream.h>
#include <Vorna3D/core/Ref.h>
#include <Vorna3D/core/Vector.h>
#include <Vorna3D/framework/EngineScope.h>
#include <Vorna3D/framework/FrameworkConfig.h>
#include <Vorna3D/render/NullGraphics3D.h>
#include <Vorna3D/render/loaders/Loader.h>
#include <Vorna3D/render/loaders/m3g/M3G_Writer.h>
#include <Vorna3D/render/scene/Camera.h>
#include <Vorna3D/render/scene/Group.h>
#include <Vorna3D/render/scene/World.h>

namespace {

// The world's user ID after the round trip, or -1 when something else came back.
int roundTrip()
{
    using core::Ref;
    // Scene objects need a renderer; a headless one serves without a window.
    Ref<render::NullGraphics3D> renderer = VORNA3D_NEW render::NullGraphics3D();
    renderer->registerInstance();
    Ref<render::World> world = VORNA3D_NEW render::World();
    Ref<render::Camera> camera = VORNA3D_NEW render::Camera();
    camera->setPerspective(60.0f, 4.0f / 3.0f, 1.0f, 100.0f);
    Ref<render::Group> group = VORNA3D_NEW render::Group();
    world->addChild(camera.get());
    world->addChild(group.get());
    world->setActiveCamera(camera.get());
    world->setUserID(2024);

    core::Vector<Ref<render::Object3D>> roots;
    roots.add(Ref<render::Object3D>(world.get()));
    Ref<core::MemoryStream> file = VORNA3D_NEW core::MemoryStream();
    render::M3G_Writer::save(file.get(), roots, render::M3G_Writer::Options());

    Ref<core::MemoryStream> input = VORNA3D_NEW core::MemoryStream(file->getBuffer());
    core::Vector<Ref<render::Object3D>> loaded;
    render::load(input.get(), loaded);
    std::printf("scene_roundtrip: %d bytes, %d root object(s)\n", file->getBuffer()->size(), loaded.size());
    if (loaded.size() != 1)
        return -1;
    render::World* back = dynamic_cast<render::World*>(loaded[0].get());
    return back && back->getActiveCamera() ? back->getUserID() : -1;
}

} // namespace

int main()
{
    framework::FrameworkConfig config;
    config.debugLevel = 0; // the engine says nothing; this program prints its result
    int id = -1;
    try {
        framework::EngineScope engine(&config);
        try {
            id = roundTrip();
        } catch (const Vorna3DException& e) {
            std::fprintf(stderr, "scene_roundtrip: %s\n", e.getMessage());
        }
        core::Globals::get()->m_g3d.clear(); // the renderer goes before the engine
    } catch (const Vorna3DException& e) {
        std::fprintf(stderr, "scene_roundtrip: the engine failed to start or stop: %s\n", e.getMessage());
        return 1;
    }
    if (id != 2024) {
        std::fprintf(stderr, "scene_roundtrip: the scene did not come back as written\n");
        return 1;
    }
    std::printf("scene_roundtrip: world %d with its camera read back\n", id);
    return 0;
}
