// Animated values written into their target properties: every property on
// every class it applies to, the clamps and conversions, the failure texts,
// and the values that the property setters would refuse (a field of view at
// 0 or 180, a density of 0, a zero quaternion), which keep the target
// valid. Expected colours are the values x 255 truncated, by hand.

#include <gtest/gtest.h>

#include <cfloat>
#include <initializer_list>
#include <vector>

#include "core/Ref.h"
#include "render/animation/AnimationController.h"
#include "render/animation/AnimationTargets.h"
#include "render/animation/AnimationTrack.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/appearance/Fog.h"
#include "render/scene/Group.h"
#include "render/appearance/Image2D.h"
#include "render/animation/KeyframeSequence.h"
#include "render/scene/Light.h"
#include "render/loaders/m3g/M3G_ObjectTypes.h"
#include "render/appearance/Material.h"
#include "render/scene/MorphingMesh.h"
#include "render/scene/Sprite3D.h"
#include "render/appearance/Texture2D.h"
#include "render/geometry/VertexBuffer.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/SceneTestSupport.h"

using core::Ref;
using namespace render;
using render_test::failsWith;

namespace {

class AnimationTargetsTest : public render_test::SceneTest { };

void apply(Object3D* target, int property, std::initializer_list<float> values)
{
    std::vector<float> v(values);
    applyAnimatedValue(target, property, v.data(), static_cast<int>(v.size()));
}

const char* const APPLY = "render::applyAnimatedValue";

} // namespace

TEST_F(AnimationTargetsTest, ColoursAndAlphaKeepTheOtherBytes)
{
    Ref<Light> light = VORNA3D_NEW Light();
    apply(light.get(), AnimationTrack::COLOR, {1.f, 0.5f, 0.f});
    EXPECT_EQ(light->getColor(), 0x00FF7F00);
    apply(light.get(), AnimationTrack::COLOR, {2.f, -1.f, 0.25f}); // clamped to [0, 1]
    EXPECT_EQ(light->getColor(), 0x00FF003F);

    Ref<Background> background = VORNA3D_NEW Background();
    background->setColor(0x11223344u);
    apply(background.get(), AnimationTrack::COLOR, {0.f, 1.f, 0.f});
    EXPECT_EQ(background->getColor(), 0x1100FF00u);
    apply(background.get(), AnimationTrack::ALPHA, {0.5f});
    EXPECT_EQ(background->getColor(), 0x7F00FF00u);

    Ref<Fog> fog = VORNA3D_NEW Fog();
    apply(fog.get(), AnimationTrack::COLOR, {0.f, 0.f, 1.f});
    EXPECT_EQ(fog->getColor(), 0x000000FFu);

    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGB, 2, 2);
    Ref<Texture2D> texture = VORNA3D_NEW Texture2D(image.get());
    apply(texture.get(), AnimationTrack::COLOR, {1.f, 1.f, 1.f});
    EXPECT_EQ(texture->getBlendColor(), 0x00FFFFFFu);

    Ref<VertexBuffer> vb = VORNA3D_NEW VertexBuffer();
    apply(vb.get(), AnimationTrack::COLOR, {0.f, 0.f, 0.f});
    EXPECT_EQ(vb->getDefaultColor(), 0xFF000000u);
    apply(vb.get(), AnimationTrack::ALPHA, {0.f});
    EXPECT_EQ(vb->getDefaultColor(), 0x00000000u);

    Ref<Material> material = VORNA3D_NEW Material();
    apply(material.get(), AnimationTrack::AMBIENT_COLOR, {1.f, 0.f, 0.f});
    apply(material.get(), AnimationTrack::DIFFUSE_COLOR, {0.f, 1.f, 0.f});
    apply(material.get(), AnimationTrack::EMISSIVE_COLOR, {0.f, 0.f, 1.f});
    apply(material.get(), AnimationTrack::SPECULAR_COLOR, {0.2f, 0.2f, 0.2f});
    EXPECT_EQ(material->getColor(Material::AMBIENT), 0x00FF0000u);
    EXPECT_EQ(material->getColor(Material::DIFFUSE), 0xFF00FF00u);
    EXPECT_EQ(material->getColor(Material::EMISSIVE), 0x000000FFu);
    EXPECT_EQ(material->getColor(Material::SPECULAR), 0x00333333u); // 0.2 * 255 = 51
    apply(material.get(), AnimationTrack::ALPHA, {0.25f});
    EXPECT_EQ(material->getColor(Material::DIFFUSE), 0x3F00FF00u); // 63.75 -> 63

    Ref<Group> node = VORNA3D_NEW Group();
    apply(node.get(), AnimationTrack::ALPHA, {0.25f});
    EXPECT_EQ(node->getAlphaFactor(), 0.25f);
    apply(node.get(), AnimationTrack::ALPHA, {1.5f});
    EXPECT_EQ(node->getAlphaFactor(), 1.f);
    apply(node.get(), AnimationTrack::ALPHA, {-1.f});
    EXPECT_EQ(node->getAlphaFactor(), 0.f);

    EXPECT_TRUE(failsWith(
        [&] {
            apply(light.get(), AnimationTrack::COLOR, {1.f, 1.f});
        },
        "Component count not correct for \"COLOR\" target property.", APPLY));
    EXPECT_TRUE(failsWith(
        [&] {
            apply(light.get(), AnimationTrack::DIFFUSE_COLOR, {1.f, 1.f, 1.f});
        },
        "Invalid target object type for \"DIFFUSE_COLOR\" target property.", APPLY));
    EXPECT_TRUE(failsWith(
        [&] {
            apply(material.get(), AnimationTrack::COLOR, {1.f, 1.f, 1.f});
        },
        "Invalid target object type for \"COLOR\" target property.", APPLY));
    EXPECT_TRUE(failsWith([&] { apply(fog.get(), AnimationTrack::ALPHA, {1.f}); },
                          "Invalid target object type for \"ALPHA\" target property.", APPLY));
    EXPECT_TRUE(failsWith(
        [&] {
            apply(node.get(), AnimationTrack::ALPHA, {1.f, 1.f});
        },
        "Component count not correct for \"ALPHA\" target property.", APPLY));
    EXPECT_TRUE(failsWith([&] { apply(nullptr, AnimationTrack::ALPHA, {1.f}); }, "NULL object", APPLY));
    EXPECT_TRUE(failsWith([&] { apply(node.get(), 300, {1.f}); },
                          "Target property not according to specification or it is unsupported.", APPLY));
}

TEST_F(AnimationTargetsTest, TransformsAndNodeSwitches)
{
    Ref<Group> node = VORNA3D_NEW Group();
    apply(node.get(), AnimationTrack::TRANSLATION, {1.f, 2.f, 3.f});
    EXPECT_EQ(node->getTranslation(), slmath::vec3(1.f, 2.f, 3.f));
    apply(node.get(), AnimationTrack::SCALE, {2.f});
    EXPECT_EQ(node->getScale(), slmath::vec3(2.f, 2.f, 2.f));
    apply(node.get(), AnimationTrack::SCALE, {1.f, 2.f, 3.f});
    EXPECT_EQ(node->getScale(), slmath::vec3(1.f, 2.f, 3.f));

    // The quaternion (0, 0, sin 45, cos 45), given unnormalised: 90 degrees about z.
    apply(node.get(), AnimationTrack::ORIENTATION, {0.f, 0.f, 2.f * 0.70710678f, 2.f * 0.70710678f});
    float angleAxis[4];
    node->getOrientation(angleAxis);
    EXPECT_NEAR(angleAxis[0], 90.f, 1e-4f);
    EXPECT_NEAR(angleAxis[3], 1.f, 1e-6f);
    // No rotation: the axis becomes x.
    apply(node.get(), AnimationTrack::ORIENTATION, {0.f, 0.f, 0.f, 1.f});
    node->getOrientation(angleAxis);
    EXPECT_EQ(angleAxis[0], 0.f);
    EXPECT_EQ(angleAxis[1], 1.f);
    // A zero quaternion (every track of weight 0) leaves the orientation as it is.
    apply(node.get(), AnimationTrack::ORIENTATION, {0.f, 0.f, 1.f, 0.f}); // 180 about z
    apply(node.get(), AnimationTrack::ORIENTATION, {0.f, 0.f, 0.f, 0.f});
    node->getOrientation(angleAxis);
    EXPECT_NEAR(angleAxis[0], 180.f, 1e-4f);
    EXPECT_NEAR(angleAxis[3], 1.f, 1e-6f);

    // The same through a track whose controller has weight 0.
    Ref<KeyframeSequence> seq = VORNA3D_NEW KeyframeSequence(1, 4, KeyframeSequence::SLERP);
    const float q[4] = {1.f, 0.f, 0.f, 0.f};
    seq->setKeyframe(0, 0, q, 4);
    seq->setDuration(100);
    Ref<AnimationController> c = VORNA3D_NEW AnimationController();
    c->setWeight(0.f);
    Ref<AnimationTrack> t = VORNA3D_NEW AnimationTrack(seq.get(), AnimationTrack::ORIENTATION);
    t->setController(c.get());
    node->addAnimationTrack(t.get());
    node->animate(0);
    node->getOrientation(angleAxis);
    EXPECT_NEAR(angleAxis[0], 180.f, 1e-4f);

    // Textures are transformable too.
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGB, 2, 2);
    Ref<Texture2D> texture = VORNA3D_NEW Texture2D(image.get());
    apply(texture.get(), AnimationTrack::TRANSLATION, {0.5f, 0.f, 0.f});
    EXPECT_EQ(texture->getTranslation(), slmath::vec3(0.5f, 0.f, 0.f));

    // Switches: on above 0.5.
    apply(node.get(), AnimationTrack::VISIBILITY, {0.5f});
    EXPECT_FALSE(node->isRenderingEnabled());
    apply(node.get(), AnimationTrack::VISIBILITY, {0.51f});
    EXPECT_TRUE(node->isRenderingEnabled());
    apply(node.get(), AnimationTrack::PICKABILITY, {0.f});
    EXPECT_FALSE(node->isPickingEnabled());
    apply(node.get(), AnimationTrack::PICKABILITY, {1.f});
    EXPECT_TRUE(node->isPickingEnabled());

    Ref<Fog> fog = VORNA3D_NEW Fog();
    EXPECT_TRUE(failsWith(
        [&] {
            apply(node.get(), AnimationTrack::SCALE, {1.f, 2.f});
        },
        "Component count not correct for \"SCALE\" target property.", APPLY));
    EXPECT_TRUE(failsWith(
        [&] {
            apply(node.get(), AnimationTrack::ORIENTATION, {1.f, 2.f, 3.f});
        },
        "Component count not correct for \"ORIENTATION\" target property.", APPLY));
    EXPECT_TRUE(failsWith(
        [&] {
            apply(fog.get(), AnimationTrack::TRANSLATION, {1.f, 2.f, 3.f});
        },
        "Invalid target object type for \"TRANSLATION\" target property.", APPLY));
    EXPECT_TRUE(failsWith([&] { apply(texture.get(), AnimationTrack::VISIBILITY, {1.f}); },
                          "Invalid target object type for \"VISIBILITY\" target property.", APPLY));
}

TEST_F(AnimationTargetsTest, CameraProjectionsStayValid)
{
    Ref<Camera> camera = VORNA3D_NEW Camera();
    camera->setPerspective(60.f, 2.f, 1.f, 100.f);
    float p[4];
    apply(camera.get(), AnimationTrack::FIELD_OF_VIEW, {90.f});
    camera->getProjection(p);
    EXPECT_EQ(p[0], 90.f);
    EXPECT_EQ(p[1], 2.f);
    // 0, 180 and beyond have no perspective projection: the camera keeps its own.
    for (float fov : {0.f, 180.f, -5.f, 200.f}) {
        apply(camera.get(), AnimationTrack::FIELD_OF_VIEW, {fov});
        camera->getProjection(p);
        EXPECT_EQ(p[0], 90.f) << fov;
    }
    apply(camera.get(), AnimationTrack::NEAR_DISTANCE, {2.f});
    apply(camera.get(), AnimationTrack::FAR_DISTANCE, {50.f});
    camera->getProjection(p);
    EXPECT_EQ(p[2], 2.f);
    EXPECT_EQ(p[3], 50.f);
    apply(camera.get(), AnimationTrack::NEAR_DISTANCE, {-1.f});
    camera->getProjection(p);
    EXPECT_EQ(p[2], FLT_MIN);

    camera->setParallel(10.f, 1.f, -1.f, 1.f);
    apply(camera.get(), AnimationTrack::FIELD_OF_VIEW, {4.f});
    apply(camera.get(), AnimationTrack::NEAR_DISTANCE, {-5.f}); // parallel near distances may be negative
    camera->getProjection(p);
    EXPECT_EQ(p[0], 4.f);
    EXPECT_EQ(p[2], -5.f);
    apply(camera.get(), AnimationTrack::FIELD_OF_VIEW, {0.f});
    camera->getProjection(p);
    EXPECT_EQ(p[0], FLT_MIN);

    camera->setGeneric(render::Transform());
    EXPECT_TRUE(failsWith([&] { apply(camera.get(), AnimationTrack::NEAR_DISTANCE, {1.f}); },
                          "Camera Near Distance is tried to animate and camera is not in PERSPECTIVE or PARALLEL mode",
                          "render::{anonymous}::applyCameraParameter"));
    EXPECT_TRUE(failsWith([&] { apply(camera.get(), AnimationTrack::FIELD_OF_VIEW, {60.f}); },
                          "Camera Far Distance is tried to animate and camera is not in PERSPECTIVE or PARALLEL mode",
                          "render::{anonymous}::applyCameraParameter"));
    Ref<Light> light = VORNA3D_NEW Light();
    EXPECT_TRUE(failsWith([&] { apply(light.get(), AnimationTrack::FIELD_OF_VIEW, {60.f}); },
                          "Invalid target object type for \"FIELD_OF_VIEW\" target property.", APPLY));
}

TEST_F(AnimationTargetsTest, FogLightMaterialAndBackgroundParameters)
{
    Ref<Fog> fog = VORNA3D_NEW Fog();
    apply(fog.get(), AnimationTrack::DENSITY, {0.5f});
    EXPECT_EQ(fog->getDensity(), 0.5f);
    // The density must stay positive: 0 and below become the smallest one.
    apply(fog.get(), AnimationTrack::DENSITY, {0.f});
    EXPECT_EQ(fog->getDensity(), FLT_MIN);
    apply(fog.get(), AnimationTrack::DENSITY, {-3.f});
    EXPECT_EQ(fog->getDensity(), FLT_MIN);
    apply(fog.get(), AnimationTrack::NEAR_DISTANCE, {5.f});
    apply(fog.get(), AnimationTrack::FAR_DISTANCE, {50.f});
    EXPECT_EQ(fog->getNearDistance(), 5.f);
    EXPECT_EQ(fog->getFarDistance(), 50.f);

    Ref<Light> light = VORNA3D_NEW Light();
    apply(light.get(), AnimationTrack::INTENSITY, {-2.f});
    EXPECT_EQ(light->getIntensity(), -2.f);
    apply(light.get(), AnimationTrack::SPOT_ANGLE, {120.f});
    EXPECT_EQ(light->getSpotAngle(), 90.f);
    apply(light.get(), AnimationTrack::SPOT_ANGLE, {-1.f});
    EXPECT_EQ(light->getSpotAngle(), 0.f);
    apply(light.get(), AnimationTrack::SPOT_EXPONENT, {200.f});
    EXPECT_EQ(light->getSpotExponent(), 128.f);
    apply(light.get(), AnimationTrack::SPOT_EXPONENT, {7.f});
    EXPECT_EQ(light->getSpotExponent(), 7.f);

    Ref<Material> material = VORNA3D_NEW Material();
    apply(material.get(), AnimationTrack::SHININESS, {300.f});
    EXPECT_EQ(material->getShininess(), 128.f);
    apply(material.get(), AnimationTrack::SHININESS, {-3.f});
    EXPECT_EQ(material->getShininess(), 0.f);

    Ref<Background> background = VORNA3D_NEW Background();
    background->setCrop(1, 2, 30, 40);
    // Two values move the crop (rounded), four set it whole; a negative size is 0.
    apply(background.get(), AnimationTrack::CROP, {10.4f, 20.5f});
    EXPECT_EQ(background->getCropX(), 10);
    EXPECT_EQ(background->getCropY(), 21);
    EXPECT_EQ(background->getCropWidth(), 30);
    EXPECT_EQ(background->getCropHeight(), 40);
    apply(background.get(), AnimationTrack::CROP, {0.f, 0.f, 63.6f, -4.f});
    EXPECT_EQ(background->getCropWidth(), 64);
    EXPECT_EQ(background->getCropHeight(), 0);

    // A sprite's crop may be negative: that mirrors its image.
    Ref<Image2D> spriteImage = VORNA3D_NEW Image2D(Image2D::RGBA, 8, 8);
    Ref<Appearance> spriteAppearance = VORNA3D_NEW Appearance();
    Ref<Sprite3D> sprite = VORNA3D_NEW Sprite3D(spriteImage.get(), spriteAppearance.get());
    apply(sprite.get(), AnimationTrack::CROP, {2.f, 3.f});
    EXPECT_EQ(sprite->getCropX(), 2);
    EXPECT_EQ(sprite->getCropY(), 3);
    EXPECT_EQ(sprite->getCropWidth(), 8);
    apply(sprite.get(), AnimationTrack::CROP, {8.f, 0.f, -8.f, 4.4f});
    EXPECT_EQ(sprite->getCropWidth(), -8);
    EXPECT_EQ(sprite->getCropHeight(), 4);

    EXPECT_TRUE(failsWith(
        [&] {
            apply(background.get(), AnimationTrack::CROP, {1.f, 2.f, 3.f});
        },
        "Component count not correct for \"CROP\" target property.", APPLY));
    EXPECT_TRUE(failsWith([&] { apply(light.get(), AnimationTrack::DENSITY, {1.f}); },
                          "Invalid target object type for \"DENSITY\" target property.", APPLY));
    EXPECT_TRUE(failsWith([&] { apply(fog.get(), AnimationTrack::INTENSITY, {1.f}); },
                          "Invalid target object type for \"INTENSITY\" target property.", APPLY));
    EXPECT_TRUE(failsWith([&] { apply(light.get(), AnimationTrack::SHININESS, {1.f}); },
                          "Invalid target object type for \"SHININESS\" target property.", APPLY));
    EXPECT_TRUE(failsWith([&] { apply(material.get(), AnimationTrack::SPOT_ANGLE, {1.f}); },
                          "Invalid target object type for \"SPOT_ANGLE\" target property.", APPLY));
    EXPECT_TRUE(failsWith([&] { apply(material.get(), AnimationTrack::MORPH_WEIGHTS, {1.f}); },
                          "Invalid target object type for \"MORPH_WEIGHTS\" target property.", APPLY));
    EXPECT_TRUE(failsWith(
        [&] {
            apply(light.get(), AnimationTrack::CROP, {1.f, 2.f});
        },
        "Invalid target object type for \"CROP\" target property.", APPLY));
}

TEST_F(AnimationTargetsTest, AcceptanceMatchesWhatApplyingDoes)
{
    // Every property on one object of each class, with 1 to 4 values: the
    // scene-file reader relies on acceptsAnimatedValue to refuse exactly the
    // tracks that would fail when animated.
    Ref<Group> group = VORNA3D_NEW Group();
    Ref<Camera> camera = VORNA3D_NEW Camera();
    camera->setPerspective(60.f, 1.f, 1.f, 10.f);
    Ref<Light> light = VORNA3D_NEW Light();
    Ref<Fog> fog = VORNA3D_NEW Fog();
    Ref<Material> material = VORNA3D_NEW Material();
    Ref<Background> background = VORNA3D_NEW Background();
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGB, 2, 2);
    Ref<Texture2D> texture = VORNA3D_NEW Texture2D(image.get());
    Ref<VertexBuffer> vb = render_test::vertexBuffer({0, 0, 0, 1, 1, 1});
    core::Vector<Ref<VertexBuffer>> targets;
    targets.add(render_test::vertexBuffer({1, 0, 0, 1, 1, 1}));
    Ref<MorphingMesh> morphing =
        VORNA3D_NEW MorphingMesh(vb.get(), render_test::triangleList({0, 1, 0}).get(), nullptr, targets);
    Ref<KeyframeSequence> sequence = VORNA3D_NEW KeyframeSequence(1, 1, KeyframeSequence::LINEAR);
    Ref<Image2D> spriteImage = VORNA3D_NEW Image2D(Image2D::RGBA, 8, 8);
    Ref<Appearance> spriteAppearance = VORNA3D_NEW Appearance();
    Ref<Sprite3D> sprite = VORNA3D_NEW Sprite3D(spriteImage.get(), spriteAppearance.get());
    Object3D* objects[] = {group.get(),    camera.get(),     light.get(),   fog.get(),
                           material.get(), background.get(), texture.get(), vb.get(),
                           morphing.get(), sequence.get(),   sprite.get()};
    const float values[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    for (Object3D* object : objects) {
        for (int property = AnimationTrack::ALPHA; property <= AnimationTrack::VISIBILITY; ++property) {
            for (int count = 1; count <= 4; ++count) {
                camera->setPerspective(60.f, 1.f, 1.f, 10.f); // near and far never meet
                bool applied = true;
                try {
                    applyAnimatedValue(object, property, values, count);
                } catch (const AssertationFailedException&) {
                    applied = false;
                }
                EXPECT_EQ(acceptsAnimatedValue(object, property, count), applied)
                    << render::getM3GClassName(object) << " " << AnimationTrack::getTargetPropertyName(property) << " "
                    << count;
            }
        }
    }
    EXPECT_FALSE(acceptsAnimatedValue(nullptr, AnimationTrack::ALPHA, 1));
    EXPECT_FALSE(acceptsAnimatedValue(group.get(), 300, 1));
}
