// The parts of `vorna3d play` that work without a window: the animation
// clock, the orbit camera, scene bounds, and the scene the viewer builds
// from a file's roots, rendered through the recording renderer. Expected
// values are worked out by hand from the box of PlayTestScene.h.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "AnimationClock.h"
#include "Command.h"
#include "OrbitCamera.h"
#include "PlayScene.h"
#include "PlayTestScene.h"
#include "core/MemoryStream.h"
#include "render/scene/Camera.h"
#include "render/scene/Group.h"
#include "render/scene/Light.h"
#include "render/loaders/Loader.h"
#include "render/loaders/m3g/M3G_Writer.h"
#include "render/scene/SceneBounds.h"
#include "render/scene/World.h"
#include "tests/render/RecordingGraphics3D.h"
#include "tests/render/SceneTestSupport.h"

namespace fs = std::filesystem;
using core::Ref;
using core::Vector;
using render::Camera;
using render::Transform;
using slmath::vec3;
using slmath::vec4;
using vorna3d_tool::AnimationClock;
using vorna3d_tool::OrbitCamera;
using vorna3d_tool::PlayScene;

namespace {

using Roots = Vector<Ref<render::Object3D>>;

Roots rootsOf(std::initializer_list<render::Object3D*> objects)
{
    Roots roots;
    for (render::Object3D* object : objects)
        roots.add(Ref<render::Object3D>(object));
    return roots;
}

// `p` in normalised device coordinates of the camera, placed by its composite.
vec3 project(const Camera& camera, const vec3& p)
{
    Transform view;
    camera.getCompositeTransform(&view);
    view.invert();
    const vec4 eye = view.transform(vec4(p, 1.f));
    const vec4 clip = camera.getProjectionMatrix() * eye;
    return vec3(clip.x / clip.w, clip.y / clip.w, clip.z / clip.w);
}

// The corners of the box [boxMin, boxMax] in the camera's device
// coordinates: whether all are in view, and the share of the window's
// height and width they span.
struct Coverage {
    bool inside = true;
    float height = 0.f;
    float width = 0.f;
};

Coverage coverage(const Camera& camera, const vec3& boxMin, const vec3& boxMax)
{
    Coverage c;
    float lo[2] = {1.f, 1.f}, hi[2] = {-1.f, -1.f};
    for (int corner = 0; corner < 8; ++corner) {
        const vec3 p((corner & 1) ? boxMax.x : boxMin.x, (corner & 2) ? boxMax.y : boxMin.y,
                     (corner & 4) ? boxMax.z : boxMin.z);
        const vec3 ndc = project(camera, p);
        c.inside = c.inside && std::fabs(ndc.x) <= 1.f && std::fabs(ndc.y) <= 1.f && std::fabs(ndc.z) <= 1.f;
        lo[0] = std::fmin(lo[0], ndc.x), hi[0] = std::fmax(hi[0], ndc.x);
        lo[1] = std::fmin(lo[1], ndc.y), hi[1] = std::fmax(hi[1], ndc.y);
    }
    c.width = (hi[0] - lo[0]) / 2.f;
    c.height = (hi[1] - lo[1]) / 2.f;
    return c;
}

// The same for the test box's world bounds.
Coverage boxCoverage(const Camera& camera)
{
    return coverage(camera, vec3(play_test::BOX_MIN[0], play_test::BOX_MIN[1], play_test::BOX_MIN[2]),
                    vec3(play_test::BOX_MAX[0], play_test::BOX_MAX[1], play_test::BOX_MAX[2]));
}

// Loads scene-file bytes through the engine's loader front end.
Roots loadBytes(const std::string& bytes, const char* name)
{
    Ref<core::MemoryStream> stream = VORNA3D_NEW core::MemoryStream(bytes.data(), static_cast<int>(bytes.size()), true);
    stream->setName(name);
    Roots roots;
    render::load(stream.get(), roots);
    return roots;
}

float distance(const vec3& a, const vec3& b)
{
    return slmath::length(a - b);
}

} // namespace

// ---- The clock: world time from real time, pause, steps and speed. ----

TEST(PlayAnimationClock, PauseHoldsTheTimeAndAStepMovesOneSixtiethOfASecond)
{
    AnimationClock clock;
    clock.advance(0.5);
    EXPECT_DOUBLE_EQ(clock.getSeconds(), 0.5);
    clock.togglePause();
    clock.advance(0.5);
    EXPECT_EQ(clock.getSeconds(), 0.5) << "paused: no time passes";

    // Time is kept in ticks of 1/60000 s, so that a frame is exact.
    const int64_t before = clock.getTicks();
    clock.step(1);
    EXPECT_EQ(clock.getTicks() - before, AnimationClock::TICKS_PER_SECOND / 60);
    EXPECT_EQ(clock.getSeconds(), 0.5 + 1.0 / 60.0);
    EXPECT_EQ(clock.getWorldTime(), 516);
    clock.step(-1);
    EXPECT_EQ(clock.getTicks(), before);
    EXPECT_TRUE(clock.isPaused());

    // A running clock pauses when stepped; three steps from 0 are 50 ms.
    AnimationClock running;
    running.step(3);
    EXPECT_TRUE(running.isPaused());
    EXPECT_EQ(running.getWorldTime(), 50);
    running.step(-10);
    EXPECT_EQ(running.getSeconds(), 0.0) << "never before 0";
    running.togglePause();
    running.advance(1.25);
    running.restart();
    EXPECT_EQ(running.getWorldTime(), 0);
    EXPECT_FALSE(running.isPaused()) << "restart keeps the clock running";
}

TEST(PlayAnimationClock, SpeedScalesRealTimeBetweenAQuarterAndFourTimes)
{
    AnimationClock clock;
    clock.faster();
    clock.advance(0.25);
    EXPECT_DOUBLE_EQ(clock.getSeconds(), 0.5);
    for (int i = 0; i < 5; ++i)
        clock.faster();
    EXPECT_EQ(clock.getSpeed(), 4.0);
    for (int i = 0; i < 8; ++i)
        clock.slower();
    EXPECT_EQ(clock.getSpeed(), 0.25);
    clock.advance(1.0);
    EXPECT_DOUBLE_EQ(clock.getSeconds(), 0.75);
    clock.step(1); // steps are whole frames whatever the speed
    EXPECT_DOUBLE_EQ(clock.getSeconds(), 0.75 + 1.0 / 60.0);
}

// ---- The orbit camera and the viewer's scene: a started engine with the
// recording renderer registered (nodes need one). ----

class PlayViewerTest : public render_test::SceneTest {
protected:
    void configure(framework::FrameworkConfig& config) override
    {
        SceneTest::configure(config);
        config.memorySize = 48 << 20; // room for the shared skinned file
    }
};

TEST_F(PlayViewerTest, OrbitKeepsTheDistanceAndTheViewOnTheCentre)
{
    OrbitCamera orbit;
    orbit.frame(vec3(-1.f, -2.f, -3.f), vec3(3.f, 2.f, 1.f), 4.f / 3.f);
    const vec3 center(1.f, 0.f, -1.f);
    const float d = orbit.getDistance();
    ASSERT_LT(distance(orbit.getCenter(), center), 1e-5f);
    EXPECT_NEAR(distance(orbit.getEye(), center), d, 1e-4f * d);

    const float drags[][2] = {{0.3f, 0.f}, {0.f, 0.2f}, {-0.7f, -0.4f}, {0.05f, 2.f}};
    for (const auto& drag : drags) {
        orbit.orbit(drag[0], drag[1]);
        EXPECT_NEAR(distance(orbit.getEye(), center), d, 1e-4f * d);
        // The camera's -z axis runs through the centre: the point d along
        // it is the centre.
        Transform t;
        orbit.getTransform(&t);
        const vec4 ahead = t.transform(vec4(0.f, 0.f, -d, 1.f));
        EXPECT_LT(distance(ahead.xyz(), center), 1e-3f * d);
        EXPECT_LE(std::fabs(orbit.getPitch()), OrbitCamera::MAX_PITCH);
    }
    EXPECT_EQ(orbit.getPitch(), OrbitCamera::MAX_PITCH) << "a long drag down stops above the top";

    // Panning carries the eye with the centre; zoom changes only the distance.
    const vec3 eyeToCenter = orbit.getCenter() - orbit.getEye();
    orbit.pan(0.25f, -0.1f, 4.f / 3.f);
    EXPECT_GT(distance(orbit.getCenter(), center), 0.1f);
    EXPECT_LT(distance(orbit.getCenter() - orbit.getEye(), eyeToCenter), 1e-4f * d);
    orbit.zoom(2.f);
    EXPECT_NEAR(orbit.getDistance(), d * 0.85f * 0.85f, 1e-4f * d);

    orbit.reset();
    EXPECT_LT(distance(orbit.getCenter(), center), 1e-5f);
    EXPECT_EQ(orbit.getDistance(), d);
}

TEST_F(PlayViewerTest, BoundsUniteTheMeshesAsPlacedAndSkipHiddenOnes)
{
    Ref<render::Group> group = VORNA3D_NEW render::Group();
    group->setTranslation(0.f, 5.f, 0.f);
    Ref<render::Mesh> box = play_test::makeBox();
    group->addChild(box.get());
    Ref<render::Mesh> hidden = play_test::makeBox();
    hidden->setTranslation(-100.f, 0.f, 0.f);
    hidden->setRenderingEnable(false);
    group->addChild(hidden.get());
    Ref<render::Light> light = VORNA3D_NEW render::Light();
    light->setTranslation(50.f, 50.f, 50.f);
    group->addChild(light.get());

    render::SceneBounds bounds;
    EXPECT_TRUE(bounds.empty());
    bounds.add(group.get());
    ASSERT_FALSE(bounds.empty());
    // The box's corners moved up by the group's 5.
    EXPECT_EQ(bounds.getMin(), vec3(8.f, 4.f, -1.f));
    EXPECT_EQ(bounds.getMax(), vec3(12.f, 6.f, 1.f));
    EXPECT_FLOAT_EQ(bounds.getRadius(), std::sqrt(4.f * 4.f + 2.f * 2.f + 2.f * 2.f) / 2.f);
}

TEST_F(PlayViewerTest, ABareMeshRootPlaysInAWorldOfItsOwnFramedAndLit)
{
    Ref<render::Mesh> box = play_test::makeBox();
    Ref<PlayScene> scene = VORNA3D_NEW PlayScene(rootsOf({box.get()}), 4.f / 3.f);
    EXPECT_FALSE(scene->isFileWorld());
    EXPECT_EQ(box->getParent(), &scene->getWorld());
    EXPECT_EQ(scene->getFileCamera(), nullptr);
    EXPECT_TRUE(scene->usesFreeCamera());
    EXPECT_TRUE(scene->hasHeadlight());
    EXPECT_TRUE(scene->useFreeCamera(false)) << "no camera of the file's to go back to";

    const Coverage c = boxCoverage(scene->getFreeCamera());
    EXPECT_TRUE(c.inside);
    EXPECT_GT(std::fmax(c.width, c.height), 0.5f) << "the box fills a good part of the view";

    scene->animate(0);
    scene->render(*g3d);
    ASSERT_EQ(g3d->of(render_test::RecordingGraphics3D::DRAW).size(), 1u);
    ASSERT_EQ(g3d->of(render_test::RecordingGraphics3D::LIGHT).size(), 1u) << "the headlight is sent";

    // The headlight sits at the camera: its direction follows the view.
    Transform camera, light;
    scene->getFreeCamera().getCompositeTransform(&camera);
    scene->getWorld().getChild(1)->getCompositeTransform(&light);
    EXPECT_EQ(camera.getMatrix(), light.getMatrix());
}

TEST_F(PlayViewerTest, FramingHoldsTheBoundsAfterTheViewMovedAndOnATallWindow)
{
    Ref<render::Mesh> box = play_test::makeBox();
    Ref<PlayScene> scene = VORNA3D_NEW PlayScene(rootsOf({box.get()}), 4.f / 3.f);
    scene->getOrbit().orbit(0.4f, -0.3f);
    scene->getOrbit().zoom(6.f);
    scene->getOrbit().pan(0.5f, 0.5f, scene->getAspect());
    scene->updateFreeCamera();
    EXPECT_FALSE(boxCoverage(scene->getFreeCamera()).inside) << "zoomed in past the box";
    scene->setAspect(0.5f); // a window twice as tall as wide: the width limits
    scene->frameAll();
    const Coverage c = boxCoverage(scene->getFreeCamera());
    EXPECT_TRUE(c.inside);
    EXPECT_GT(c.width, 0.5f);
}

TEST_F(PlayViewerTest, TheFilesWorldCameraAndLightsAreKept)
{
    Ref<render::World> world = VORNA3D_NEW render::World();
    Ref<render::Group> group = VORNA3D_NEW render::Group();
    Ref<Camera> camera = VORNA3D_NEW Camera();
    camera->setPerspective(60.f, 1.f, 0.1f, 100.f);
    camera->setTranslation(10.f, 0.f, 20.f); // looking down -z at the box's centre
    group->addChild(camera.get());
    world->addChild(group.get());
    Ref<render::Light> light = VORNA3D_NEW render::Light();
    world->addChild(light.get());
    Ref<render::Mesh> box = play_test::makeBox();
    world->addChild(box.get());

    // A world without an active camera looks through the first one below it,
    // fitted to the window.
    Ref<render::Mesh> stray = play_test::makeBox(); // a second root is not shown
    Ref<PlayScene> scene = VORNA3D_NEW PlayScene(rootsOf({stray.get(), world.get()}), 2.f);
    EXPECT_TRUE(scene->isFileWorld());
    EXPECT_EQ(&scene->getWorld(), world.get());
    EXPECT_EQ(scene->getFileCamera(), camera.get());
    EXPECT_EQ(world->getActiveCamera(), camera.get());
    float p[4];
    ASSERT_EQ(camera->getProjection(p), Camera::PERSPECTIVE);
    EXPECT_EQ(p[1], 2.f);
    EXPECT_FALSE(scene->hasHeadlight());
    EXPECT_EQ(world->getChildCount(), 3);
    EXPECT_EQ(stray->getParent(), nullptr);

    // C switches to the free camera and back.
    EXPECT_TRUE(scene->useFreeCamera(true));
    EXPECT_EQ(world->getActiveCamera(), &scene->getFreeCamera());
    EXPECT_FALSE(scene->useFreeCamera(false));
    EXPECT_EQ(world->getActiveCamera(), camera.get());

    // Moving the view takes over from where the file's camera looks.
    scene->takeOverView();
    EXPECT_TRUE(scene->usesFreeCamera());
    const OrbitCamera& orbit = scene->getOrbit();
    EXPECT_LT(distance(orbit.getEye(), vec3(10.f, 0.f, 20.f)), 1e-4f);
    EXPECT_LT(distance(orbit.getCenter(), vec3(10.f, 0.f, 0.f)), 1e-4f);
    EXPECT_NEAR(orbit.getYaw(), 0.f, 1e-4f);
    EXPECT_NEAR(orbit.getPitch(), 0.f, 1e-4f);

    Ref<render::Material> notANode = VORNA3D_NEW render::Material();
    EXPECT_THROW(PlayScene(rootsOf({notANode.get()}), 1.f), vorna3d_tool::ToolError);
}

TEST_F(PlayViewerTest, AClickPicksTheNodeUnderThePointerThroughTheActiveCamera)
{
    Ref<render::Mesh> box = play_test::makeBox();
    Ref<PlayScene> scene = VORNA3D_NEW PlayScene(rootsOf({box.get()}), 4.f / 3.f);
    // Straight down the z axis onto the box's front face (z = 1) from 20
    // units in front of the box's centre.
    OrbitCamera& orbit = scene->getOrbit();
    orbit.orbit(orbit.getYaw() / OrbitCamera::DEGREES_PER_WINDOW, -orbit.getPitch() / OrbitCamera::DEGREES_PER_WINDOW);
    orbit.zoom(std::log(20.f / orbit.getDistance()) / std::log(OrbitCamera::ZOOM_PER_NOTCH));
    scene->updateFreeCamera();
    ASSERT_NEAR(orbit.getEye().z, 20.f, 1e-3f);

    const PlayScene::Pick hit = scene->pick(0.5f, 0.5f);
    ASSERT_EQ(hit.node.get(), box.get());
    // From the near plane to the face at z = 1: 19 units less the near distance.
    EXPECT_NEAR(hit.distance, 19.f - orbit.getNear(), 1e-2f);
    char expected[80];
    std::snprintf(expected, sizeof expected, "Mesh user ID 7 name \"box\" distance %.3f", double(hit.distance));
    EXPECT_EQ(vorna3d_tool::describePick(hit), expected);
    EXPECT_EQ(scene->pick(0.02f, 0.02f).node.get(), nullptr) << "the corner of the window shows no box";
    EXPECT_EQ(vorna3d_tool::describePick(PlayScene::Pick{}), "nothing");
}

TEST_F(PlayViewerTest, AFileWithABareMeshRootFromTheWriterLoadsAndPlays)
{
    std::string written;
    {
        Ref<render::Mesh> box = play_test::makeBox();
        Ref<core::MemoryStream> out = VORNA3D_NEW core::MemoryStream();
        render::M3G_Writer::save(out.get(), rootsOf({box.get()}), render::M3G_Writer::Options());
        written.assign(reinterpret_cast<const char*>(out->getData()), out->getSize());
    }
    const Roots roots = loadBytes(written, "box.m3g");
    ASSERT_EQ(roots.size(), 1);
    Ref<PlayScene> scene = VORNA3D_NEW PlayScene(roots, 4.f / 3.f);
    scene->animate(100);
    scene->render(*g3d);
    EXPECT_EQ(g3d->of(render_test::RecordingGraphics3D::DRAW).size(), 1u);
    EXPECT_TRUE(boxCoverage(scene->getFreeCamera()).inside);
}

TEST_F(PlayViewerTest, TheSharedSkinnedFileIsFramedWholeAsAnimated)
{
    const fs::path file = fs::path(VORNA3D_TESTDATA_DIR) / "m3g" / "test.m3g";
    std::ifstream in(file, std::ios::binary);
    if (!in)
        GTEST_SKIP() << file << " not present";
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Ref<PlayScene> scene = VORNA3D_NEW PlayScene(loadBytes(bytes, "test.m3g"), 4.f / 3.f);
    EXPECT_NE(scene->getFileCamera(), nullptr);
    EXPECT_FALSE(scene->usesFreeCamera()) << "the file's camera stays the start view";
    // At 2.5 s the figure has moved away from its pose at 0 s.
    scene->animate(2500);
    scene->frameAll();
    render::SceneBounds bounds;
    scene->computeBounds(bounds);
    ASSERT_FALSE(bounds.empty());
    const Coverage c = coverage(scene->getFreeCamera(), bounds.getMin(), bounds.getMax());
    EXPECT_TRUE(c.inside);
    EXPECT_GT(c.height, 0.5f);
}
