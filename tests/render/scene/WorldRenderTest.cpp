// World rendering through the recording renderer: the order of camera,
// light, clear and draw calls for a small world, the world matrices of the
// draws and of the lights (nested lights included), and the renderer's
// camera cache and light table as the scene graph uses them. Expected
// matrices are products of translations, worked out by hand.

#include <gtest/gtest.h>

#include "HAL/Display.h"
#include "core/MemoryManager.h"
#include "core/Ref.h"
#include "core/Vector.h"
#include "render/appearance/Appearance.h"
#include "render/ArithmeticException.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/Graphics3D.h"
#include "render/scene/Group.h"
#include "render/scene/Light.h"
#include "render/scene/Mesh.h"
#include "render/scene/World.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/SceneTestSupport.h"
#include "tests/support/LogCapture.h"

using core::Ref;
using core::Vector;
using render::Background;
using render::Camera;
using render::Graphics3D;
using render::Group;
using render::Light;
using render::Mesh;
using render::Transform;
using render::World;
using render_test::failsWith;
using render_test::RecordingGraphics3D;
using slmath::mat4;
using slmath::vec4;

namespace {

class WorldRenderTest : public render_test::SceneTest { };

mat4 translation(float x, float y, float z)
{
    return slmath::translation(slmath::vec3(x, y, z));
}

// A mesh of two submeshes (two triangles of one quad).
Ref<Mesh> twoSubmeshMesh()
{
    Ref<render::VertexBuffer> vb = render_test::vertexBuffer({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    Vector<Ref<render::IndexBuffer>> submeshes;
    submeshes.add(render_test::triangleList({0, 1, 2}));
    submeshes.add(render_test::triangleList({0, 2, 3}));
    Vector<Ref<render::Appearance>> appearances;
    appearances.setSize(2);
    return Ref<Mesh>(VORNA3D_NEW Mesh(vb.get(), submeshes, appearances));
}

// world > {camera at (0,0,10), light A at (0,5,0), group at (1,0,0) >
//          {mesh 1 at (0,2,0), mesh 2 at (0,0,3), light B at (0,0,4)}}
struct SmallWorld {
    Ref<World> world = VORNA3D_NEW World();
    Ref<Camera> camera = VORNA3D_NEW Camera();
    Ref<Light> lightA = VORNA3D_NEW Light();
    Ref<Light> lightB = VORNA3D_NEW Light();
    Ref<Group> group = VORNA3D_NEW Group();
    Ref<Mesh> mesh1 = twoSubmeshMesh();
    Ref<Mesh> mesh2 = twoSubmeshMesh();
    Ref<Background> background = VORNA3D_NEW Background();

    SmallWorld()
    {
        camera->setPerspective(60.f, 1.f, 1.f, 100.f);
        camera->setTranslation(0.f, 0.f, 10.f);
        lightA->setTranslation(0.f, 5.f, 0.f);
        lightA->setColor(0x00FF0000);
        lightA->setIntensity(0.5f);
        lightB->setMode(Light::OMNI);
        lightB->setTranslation(0.f, 0.f, 4.f);
        group->setTranslation(1.f, 0.f, 0.f);
        mesh1->setTranslation(0.f, 2.f, 0.f);
        mesh2->setTranslation(0.f, 0.f, 3.f);
        lightA->setScope(8);
        mesh1->setScope(2);
        mesh2->setScope(4);
        lightB->setScope(32);
        background->setColor(0x80FF0000u);
        world->addChild(camera.get());
        world->addChild(lightA.get());
        world->addChild(group.get());
        group->addChild(mesh1.get());
        group->addChild(mesh2.get());
        group->addChild(lightB.get());
        world->setActiveCamera(camera.get());
        world->setBackground(background.get());
    }
};

} // namespace

TEST_F(WorldRenderTest, SmallWorldGivesTheExpectedCalls)
{
    SmallWorld s;
    g3d->render(Graphics3D::RENDER_ALL, s.world.get(), Transform());

    // Projection, lights off, clear, then the two light records before the
    // first draw and the four submeshes.
    EXPECT_EQ(g3d->sequence(), "POCLLDDDD");
    const auto projection = g3d->of(RecordingGraphics3D::PROJECTION);
    EXPECT_TRUE(projection[0].matrix == s.camera->getProjectionMatrix());
    EXPECT_TRUE(render_test::near(g3d->getViewTransform(), Transform(translation(0.f, 0.f, -10.f))));

    const auto clear = g3d->of(RecordingGraphics3D::CLEAR)[0];
    EXPECT_FLOAT_EQ(clear.rgba[0], 1.f); // the background's colour, 0x80FF0000
    EXPECT_NEAR(clear.rgba[3], 128.f / 255.f, 1e-6f);
    EXPECT_TRUE(clear.clearColor && clear.clearDepth);

    const auto lights = g3d->of(RecordingGraphics3D::LIGHT);
    ASSERT_EQ(lights.size(), 2u);
    EXPECT_EQ(lights[0].light.index, 0);
    EXPECT_EQ(lights[0].light.mode, Light::DIRECTIONAL);
    EXPECT_TRUE(lights[0].light.transform == translation(0.f, 5.f, 0.f));
    EXPECT_TRUE(lights[0].light.position == vec4(0.f, 0.f, 1.f, 0.f));
    EXPECT_TRUE(render_test::near(lights[0].light.diffuse, vec4(0.5f, 0.f, 0.f, 1.f))); // red at intensity 0.5
    // Light B sits in the group: group (1,0,0) times its own (0,0,4).
    EXPECT_EQ(lights[1].light.index, 1);
    EXPECT_EQ(lights[1].light.mode, Light::OMNI);
    EXPECT_TRUE(lights[1].light.transform == translation(1.f, 0.f, 4.f));
    EXPECT_TRUE(lights[1].light.position == vec4(0.f, 0.f, 0.f, 1.f));
    EXPECT_TRUE(render_test::near(lights[1].light.specular, vec4(1.f, 1.f, 1.f, 1.f)));
    EXPECT_FLOAT_EQ(lights[1].light.constantAttenuation, 1.f);
    EXPECT_FLOAT_EQ(lights[1].light.spotCutoff, 180.f);

    const auto draws = g3d->of(RecordingGraphics3D::DRAW);
    ASSERT_EQ(draws.size(), 4u);
    EXPECT_EQ(draws[0].triangles, s.mesh1->getIndexBuffer(0));
    EXPECT_EQ(draws[1].triangles, s.mesh1->getIndexBuffer(1));
    EXPECT_EQ(draws[2].triangles, s.mesh2->getIndexBuffer(0));
    EXPECT_EQ(draws[3].triangles, s.mesh2->getIndexBuffer(1));
    EXPECT_TRUE(draws[0].matrix == translation(1.f, 2.f, 0.f));
    EXPECT_TRUE(draws[1].matrix == translation(1.f, 2.f, 0.f));
    EXPECT_TRUE(draws[2].matrix == translation(1.f, 0.f, 3.f));
    EXPECT_TRUE(draws[3].matrix == translation(1.f, 0.f, 3.f));
    EXPECT_EQ(draws[0].scope, 2);
    EXPECT_EQ(draws[3].scope, 4);

    // Every child's scope, depth first: camera, light A, group, then the group's children.
    EXPECT_EQ(render_test::elements(s.world->getScopeList()), (std::vector<int>{-1, 8, -1, 2, 4, 32}));

    // The next frame: the same camera and matrices are not applied again;
    // the lights are rebuilt and sent once more.
    g3d->calls.clear();
    g3d->render(Graphics3D::RENDER_ALL, s.world.get(), Transform());
    EXPECT_EQ(g3d->sequence(), "OCLLDDDD");
    EXPECT_EQ(g3d->getCameraSetCount(), 1);
    EXPECT_EQ(g3d->getLightCount(), 2);

    // Without the background flag the world clears to transparent black.
    g3d->calls.clear();
    g3d->render(Graphics3D::RENDER_ALL & ~Graphics3D::RENDER_FLAG_BACKGROUND, s.world.get(), Transform());
    EXPECT_EQ(g3d->of(RecordingGraphics3D::CLEAR)[0].rgba[0], 0.f);
}

TEST_F(WorldRenderTest, ANestedCameraIsPlacedByItsGroups)
{
    // The camera hangs under two groups, as the lights may: its world
    // transform is outer (1,0,0) * inner (0,2,0) * its own (0,0,10), so the
    // view transform is the translation by (-1,-2,-10) (worked by hand).
    Ref<World> world = VORNA3D_NEW World();
    Ref<Group> outer = VORNA3D_NEW Group();
    Ref<Group> inner = VORNA3D_NEW Group();
    Ref<Camera> camera = VORNA3D_NEW Camera();
    camera->setPerspective(60.f, 1.f, 1.f, 100.f);
    camera->setTranslation(0.f, 0.f, 10.f);
    outer->setTranslation(1.f, 0.f, 0.f);
    inner->setTranslation(0.f, 2.f, 0.f);
    world->addChild(outer.get());
    outer->addChild(inner.get());
    inner->addChild(camera.get());
    world->setActiveCamera(camera.get());

    Transform placed;
    world->getActiveCameraTransform(&placed);
    EXPECT_TRUE(render_test::near(placed, Transform(translation(1.f, 2.f, 10.f))));
    g3d->render(Graphics3D::RENDER_ALL, world.get(), Transform());
    EXPECT_TRUE(render_test::near(g3d->getViewTransform(), Transform(translation(-1.f, -2.f, -10.f))));

    // A camera outside the world's tree keeps its own transform.
    Ref<Camera> loose = VORNA3D_NEW Camera();
    loose->setTranslation(0.f, 0.f, 5.f);
    world->setActiveCamera(loose.get());
    world->getActiveCameraTransform(&placed);
    EXPECT_TRUE(render_test::near(placed, Transform(translation(0.f, 0.f, 5.f))));
}

TEST_F(WorldRenderTest, CameraRulesAndWorldDuplication)
{
    Ref<World> world = VORNA3D_NEW World();
    Ref<render::Mesh> mesh = render_test::unitQuad();
    world->addChild(mesh.get());
    EXPECT_TRUE(failsWith([&] { g3d->render(Graphics3D::RENDER_ALL, world.get(), Transform()); },
                          "World does not have an active camera", "render::World::render"));
    EXPECT_TRUE(g3d->calls.empty()); // nothing was cleared
    EXPECT_TRUE(failsWith([&] { world->setActiveCamera(nullptr); }, "can not set camera because camera pointer is 0",
                          "render::World::setActiveCamera"));

    // A world without camera and background duplicates as such.
    Ref<World> bare = world->duplicate();
    EXPECT_EQ(bare->getActiveCamera(), nullptr);
    EXPECT_EQ(bare->getBackground(), nullptr);
    ASSERT_EQ(bare->getChildCount(), 1);
    EXPECT_EQ(bare->getChild(0)->getParent(), bare.get());

    Ref<Camera> camera = VORNA3D_NEW Camera();
    camera->setParallel(2.f, 1.f, 1.f, 3.f);
    Ref<Background> background = VORNA3D_NEW Background();
    world->addChild(camera.get());
    world->setActiveCamera(camera.get());
    world->setBackground(background.get());
    Ref<World> copy = world->duplicate();
    ASSERT_NE(copy->getActiveCamera(), nullptr);
    EXPECT_NE(copy->getActiveCamera(), camera.get());
    EXPECT_EQ(copy->getActiveCamera()->getParent(), nullptr); // a new camera outside the copied tree
    EXPECT_TRUE(copy->getActiveCamera()->getProjectionMatrix() == camera->getProjectionMatrix());
    ASSERT_NE(copy->getBackground(), nullptr);
    EXPECT_NE(copy->getBackground(), background.get());
    EXPECT_EQ(copy->getChildCount(), 2);

    // Background, active camera, then the children.
    core::Vector<render::Object3D*> refs;
    EXPECT_EQ(world->getReferences(&refs), 4);
    EXPECT_EQ(render_test::elements(refs),
              (std::vector<render::Object3D*>{background.get(), camera.get(), mesh.get(), camera.get()}));

    // A World is never a child.
    Ref<Group> group = VORNA3D_NEW Group();
    EXPECT_TRUE(failsWith([&] { group->addChild(copy.get()); }, "can not add child node because node is World object",
                          "render::Group::addChild"));
}

TEST_F(WorldRenderTest, CameraCacheAppliesEveryNewCamera)
{
    Ref<Camera> first = VORNA3D_NEW Camera();
    Ref<Camera> second = VORNA3D_NEW Camera(); // the same identity projection
    const Transform identity;
    g3d->setCamera(first.get(), identity);
    g3d->setCamera(first.get(), identity);
    EXPECT_EQ(g3d->getCameraSetCount(), 1);
    g3d->setCamera(second.get(), identity); // equal matrices, another camera
    EXPECT_EQ(g3d->getCamera(), second.get());
    EXPECT_EQ(g3d->getCameraSetCount(), 2);
    EXPECT_EQ(g3d->sequence(), "PP");

    Transform moved;
    moved.postTranslate(0.f, 1.f, 0.f);
    g3d->setCamera(second.get(), moved);
    EXPECT_EQ(g3d->getCameraSetCount(), 3);
    EXPECT_TRUE(render_test::near(g3d->getViewTransform(), Transform(translation(0.f, -1.f, 0.f))));

    // A camera transform that cannot be inverted keeps the old camera.
    Transform flat;
    flat.postScale(1.f, 0.f, 1.f);
    EXPECT_THROW(g3d->setCamera(first.get(), flat), render::ArithmeticException);
    EXPECT_EQ(g3d->getCamera(), second.get());

    g3d->setCamera(nullptr, moved);
    EXPECT_EQ(g3d->getCamera(), nullptr);
    EXPECT_TRUE(g3d->getCameraTransform().getMatrix() == mat4());
}

TEST_F(WorldRenderTest, LightTable)
{
    Ref<Light> light = VORNA3D_NEW Light();
    const Transform identity;
    EXPECT_EQ(g3d->addLight(light.get(), identity), 0);
    EXPECT_EQ(g3d->getLight(0), light.get());
    EXPECT_TRUE(failsWith([&] { g3d->setLight(1, light.get(), identity); }, "setLight : index parameter is too big",
                          "render::Graphics3D::setLight"));
    EXPECT_TRUE(failsWith([&] { g3d->setLight(-1, light.get(), identity); }, "setLight : index parameter is < 0",
                          "render::Graphics3D::setLight"));
    EXPECT_TRUE(
        failsWith([&] { g3d->getLight(-1); }, "getLight : index parameter is < 0", "render::Graphics3D::getLight"));
    EXPECT_TRUE(
        failsWith([&] { g3d->getLight(1); }, "getLight : index parameter is too big", "render::Graphics3D::getLight"));
    EXPECT_TRUE(
        failsWith([&] { g3d->addLight(nullptr, identity); }, "light parameter is 0", "render::Graphics3D::addLight"));

    // A light whose rendering is off is listed but never sent; replacing a
    // lit light with it switches that GL light off.
    Ref<Light> dark = VORNA3D_NEW Light();
    dark->setRenderingEnable(false);
    EXPECT_EQ(g3d->addLight(dark.get(), identity), 1);
    EXPECT_FALSE(g3d->getLightConfig(1).valid);
    EXPECT_TRUE(g3d->updateLights());
    EXPECT_EQ(g3d->sequence(), "L");
    EXPECT_EQ(g3d->of(RecordingGraphics3D::LIGHT)[0].light.index, 0);
    g3d->setLight(0, dark.get(), identity);
    g3d->updateLights();
    ASSERT_EQ(g3d->sequence(), "LL");
    EXPECT_FALSE(g3d->of(RecordingGraphics3D::LIGHT)[1].light.valid);

    // resetLights empties the table and switches everything off.
    g3d->resetLights();
    EXPECT_EQ(g3d->getLightCount(), 0);
    EXPECT_EQ(g3d->getLightConfig(0).index, -1);
    EXPECT_EQ(g3d->sequence(), "LLO");

    // More lights than GL has: the first eight are lit, one warning.
    testing_support::LogCapture log;
    for (int i = 0; i < 10; ++i)
        g3d->addLight(light.get(), identity);
    EXPECT_EQ(g3d->getLightCount(), 10);
    g3d->calls.clear();
    g3d->updateLights();
    EXPECT_EQ(g3d->of(RecordingGraphics3D::LIGHT).size(), 8u);
    const std::string text = log.text();
    EXPECT_NE(text.find("more than 8 lights"), std::string::npos);
    EXPECT_EQ(text.find("more than 8 lights"), text.rfind("more than 8 lights"));

    // Each mode's record.
    g3d->resetLights();
    g3d->calls.clear();
    Ref<Light> spot = VORNA3D_NEW Light();
    spot->setMode(Light::SPOT);
    spot->setSpotAngle(30.f);
    spot->setSpotExponent(2.f);
    Ref<Light> ambient = VORNA3D_NEW Light();
    ambient->setMode(Light::AMBIENT);
    ambient->setColor(0x00336699);
    g3d->addLight(spot.get(), identity);
    g3d->addLight(ambient.get(), identity);
    const render::LightConfig& s = g3d->getLightConfig(0);
    EXPECT_FLOAT_EQ(s.spotCutoff, 30.f);
    EXPECT_FLOAT_EQ(s.spotExponent, 2.f);
    EXPECT_TRUE(s.specular == vec4());
    EXPECT_TRUE(s.spotDirection == vec4(0.f, 0.f, -1.f, 0.f));
    const render::LightConfig& a = g3d->getLightConfig(1);
    EXPECT_TRUE(a.position == vec4());
    EXPECT_TRUE(a.diffuse == vec4());
    EXPECT_NEAR(a.ambient.x, 0.2f, 1e-6f); // 0x33 / 255
    EXPECT_NEAR(a.ambient.z, 0.6f, 1e-6f); // 0x99 / 255
    EXPECT_FLOAT_EQ(a.ambient.w, 1.f);
    EXPECT_FLOAT_EQ(a.constantAttenuation, 0.f);
}

TEST_F(WorldRenderTest, LightingSwitchedOffSendsNoLight)
{
    HAL::DisplayConfig displayConfig;
    displayConfig.width = 32;
    displayConfig.height = 32;
    Ref<HAL::Display> display = HAL::Display::createWindowless(displayConfig);
    render::Graphics3DConfig config;
    config.lighting = false;
    g3d->configGraphics3D(display.get(), config);
    g3d->calls.clear(); // configuring switched the lights off once (resetLights)

    SmallWorld s;
    g3d->render(Graphics3D::RENDER_ALL, s.world.get(), Transform());
    // The lights are listed, but each only switches the GL lights off.
    EXPECT_EQ(g3d->getLightCount(), 2);
    EXPECT_EQ(g3d->sequence(), "POCOODDDD");
    EXPECT_FALSE(g3d->getLightConfig(0).valid);
}

TEST_F(WorldRenderTest, SteadyFramesAllocateNothing)
{
    SmallWorld s;
    auto allocations = [] { return core::MemoryManager::getMemoryInfoPtr()->getStatistics().allocationCount; };
    for (int frame = 0; frame < 2; ++frame)
        g3d->render(Graphics3D::RENDER_ALL, s.world.get(), Transform());
    const auto before = allocations();
    for (int frame = 0; frame < 5; ++frame)
        g3d->render(Graphics3D::RENDER_ALL, s.world.get(), Transform());
    EXPECT_EQ(allocations(), before);
}
