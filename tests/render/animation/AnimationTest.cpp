// Animation: controllers mapping world time to sequence time with their
// weights, tracks and their checks, Object3D::animate blending the tracks of
// one property and walking the references, and the failure texts.

#include <gtest/gtest.h>

#include "core/Ref.h"
#include "render/animation/AnimationController.h"
#include "render/animation/AnimationTrack.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Camera.h"
#include "render/scene/Group.h"
#include "render/animation/KeyframeSequence.h"
#include "render/appearance/Material.h"
#include "render/scene/Mesh.h"
#include "render/scene/World.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/SceneTestSupport.h"

using core::Ref;
using namespace render;
using render_test::failsWith;

namespace {

class AnimationTest : public render_test::SceneTest { };

// A LINEAR sequence of `count`-component keyframes: `from` at 0 and `to` at
// 1000, duration 2000, both keyframes in the valid range.
Ref<KeyframeSequence> ramp(int count, const float* from, const float* to)
{
    Ref<KeyframeSequence> seq = VORNA3D_NEW KeyframeSequence(2, count, KeyframeSequence::LINEAR);
    seq->setKeyframe(0, 0, from, count);
    seq->setKeyframe(1, 1000, to, count);
    seq->setValidRange(0, 1);
    seq->setDuration(2000);
    return seq;
}

// A one-keyframe sequence holding `value` at all times.
Ref<KeyframeSequence> constant(int count, const float* value)
{
    Ref<KeyframeSequence> seq = VORNA3D_NEW KeyframeSequence(1, count, KeyframeSequence::STEP);
    seq->setKeyframe(0, 0, value, count);
    seq->setDuration(1000);
    return seq;
}

Ref<AnimationTrack> track(KeyframeSequence* seq, int property, AnimationController* controller)
{
    Ref<AnimationTrack> t = VORNA3D_NEW AnimationTrack(seq, property);
    t->setController(controller);
    return t;
}

} // namespace

TEST_F(AnimationTest, ControllerMapsWorldTimeToSequenceTime)
{
    Ref<AnimationController> c = VORNA3D_NEW AnimationController();
    // Defaults: speed 1, weight 1, references 0, the interval 0 to 0.
    EXPECT_EQ(c->getSpeed(), 1.f);
    EXPECT_EQ(c->getWeight(), 1.f);
    EXPECT_EQ(c->getRefSequenceTime(), 0.f);
    EXPECT_EQ(c->getRefWorldTime(), 0);
    EXPECT_EQ(c->getActiveIntervalStart(), 0);
    EXPECT_EQ(c->getActiveIntervalEnd(), 0);
    EXPECT_EQ(c->getPosition(1234), 1234.f);

    c->setPosition(100.f, 1000);
    EXPECT_EQ(c->getPosition(1500), 600.f); // 100 + (1500 - 1000)
    EXPECT_EQ(c->getPosition(900), 0.f);
    // A new speed continues from the sequence time reached at that moment.
    c->setSpeed(2.f, 1500);
    EXPECT_EQ(c->getRefSequenceTime(), 600.f);
    EXPECT_EQ(c->getRefWorldTime(), 1500);
    EXPECT_EQ(c->getPosition(1500), 600.f);
    EXPECT_EQ(c->getPosition(2000), 1600.f); // 600 + 2 * 500
    c->setSpeed(-0.5f, 2000);
    EXPECT_EQ(c->getPosition(2400), 1400.f); // 1600 - 0.5 * 400

    c->setWeight(0.f);
    EXPECT_EQ(c->getWeight(), 0.f);
    c->setActiveInterval(10, 10);
    EXPECT_TRUE(
        failsWith([&] { c->setWeight(-0.5f); }, "Weight less than 0.", "render::AnimationController::setWeight"));
    EXPECT_TRUE(failsWith([&] { c->setActiveInterval(5, 4); }, "Start time is greater than end time.",
                          "render::AnimationController::setActiveInterval"));
    EXPECT_EQ(c->getActiveIntervalStart(), 10);

    Ref<AnimationController> copy = c->duplicate();
    EXPECT_EQ(copy->getSpeed(), -0.5f);
    EXPECT_EQ(copy->getRefWorldTime(), 2000);
    EXPECT_EQ(copy->getActiveIntervalEnd(), 10);
}

TEST_F(AnimationTest, TracksBindSequenceControllerAndProperty)
{
    const float v[3] = {1.f, 2.f, 3.f};
    Ref<KeyframeSequence> seq = constant(3, v);
    Ref<AnimationController> c = VORNA3D_NEW AnimationController();
    Ref<AnimationTrack> t = VORNA3D_NEW AnimationTrack(seq.get(), AnimationTrack::TRANSLATION);
    EXPECT_EQ(t->getController(), nullptr);
    EXPECT_EQ(t->getKeyframeSequence(), seq.get());
    EXPECT_EQ(t->getTargetProperty(), AnimationTrack::TRANSLATION);
    t->setController(c.get());
    EXPECT_EQ(t->getController(), c.get());
    // The walk lists the controller, then the sequence.
    core::Vector<Object3D*> refs;
    EXPECT_EQ(t->getReferences(&refs), 2);
    EXPECT_EQ(refs[0], c.get());
    EXPECT_EQ(refs[1], seq.get());
    // A copy shares both.
    Ref<AnimationTrack> copy = t->duplicate();
    EXPECT_EQ(copy->getController(), c.get());
    EXPECT_EQ(copy->getKeyframeSequence(), seq.get());
    EXPECT_EQ(copy->getTargetProperty(), AnimationTrack::TRANSLATION);

    EXPECT_STREQ(AnimationTrack::getTargetPropertyName(AnimationTrack::ALPHA), "ALPHA");
    EXPECT_STREQ(AnimationTrack::getTargetPropertyName(AnimationTrack::SPOT_EXPONENT), "SPOT_EXPONENT");
    EXPECT_STREQ(AnimationTrack::getTargetPropertyName(AnimationTrack::VISIBILITY), "VISIBILITY");
    EXPECT_TRUE(failsWith([] { AnimationTrack(nullptr, AnimationTrack::ALPHA); }, "KeyframeSequence is 0.",
                          "render::AnimationTrack::AnimationTrack"));
    EXPECT_TRUE(failsWith([&] { AnimationTrack(seq.get(), 277); }, "Invalid target property value.",
                          "render::AnimationTrack::AnimationTrack"));
    EXPECT_TRUE(failsWith([&] { AnimationTrack(seq.get(), 255); }, "Invalid target property value.",
                          "render::AnimationTrack::AnimationTrack"));
}

TEST_F(AnimationTest, TracksOfOnePropertyAreBlendedByWeight)
{
    Ref<Group> node = VORNA3D_NEW Group();
    const float x2[3] = {2.f, 0.f, 0.f}, y2[3] = {0.f, 2.f, 0.f};
    Ref<AnimationController> a = VORNA3D_NEW AnimationController();
    Ref<AnimationController> b = VORNA3D_NEW AnimationController();
    a->setWeight(0.5f);
    b->setWeight(0.5f);
    Ref<AnimationTrack> ta = track(constant(3, x2).get(), AnimationTrack::TRANSLATION, a.get());
    Ref<AnimationTrack> tb = track(constant(3, y2).get(), AnimationTrack::TRANSLATION, b.get());
    node->addAnimationTrack(ta.get());
    node->addAnimationTrack(tb.get());
    EXPECT_EQ(node->animate(0), 0);
    EXPECT_EQ(node->getTranslation(), slmath::vec3(1.f, 1.f, 0.f));
    // Weights are not normalised.
    a->setWeight(1.f);
    b->setWeight(1.f);
    node->animate(0);
    EXPECT_EQ(node->getTranslation(), slmath::vec3(2.f, 2.f, 0.f));
    // A track of weight 0 contributes zeros.
    b->setWeight(0.f);
    node->animate(0);
    EXPECT_EQ(node->getTranslation(), slmath::vec3(2.f, 0.f, 0.f));

    // Other properties are groups of their own, with their own controllers'
    // times: the scale follows a ramp from 1 to 3 at half speed.
    const float one = 1.f, three = 3.f;
    Ref<AnimationController> slow = VORNA3D_NEW AnimationController();
    slow->setSpeed(0.5f, 0);
    Ref<AnimationTrack> ts = track(ramp(1, &one, &three).get(), AnimationTrack::SCALE, slow.get());
    node->addAnimationTrack(ts.get());
    node->animate(1000); // sequence time 500: s = 0.5
    EXPECT_EQ(node->getScale(), slmath::vec3(2.f, 2.f, 2.f));
    EXPECT_EQ(node->getTranslation(), slmath::vec3(2.f, 0.f, 0.f));
    // The ramp's translation is interpolated at the controller's time.
    const float from[3] = {0.f, 0.f, 0.f}, to[3] = {10.f, 20.f, 30.f};
    Ref<AnimationController> shifted = VORNA3D_NEW AnimationController();
    shifted->setPosition(250.f, 0);
    Ref<Group> mover = VORNA3D_NEW Group();
    Ref<AnimationTrack> tr = track(ramp(3, from, to).get(), AnimationTrack::TRANSLATION, shifted.get());
    mover->addAnimationTrack(tr.get());
    mover->animate(0); // sequence time 250: s = 0.25
    EXPECT_EQ(mover->getTranslation(), slmath::vec3(2.5f, 5.f, 7.5f));
}

TEST_F(AnimationTest, AnimatingAWorldReachesEveryReferencedObject)
{
    // World -> Group -> Mesh -> Appearance -> Material with a diffuse colour track,
    // and the world's camera with a translation track.
    Ref<World> world = VORNA3D_NEW World();
    Ref<Group> group = VORNA3D_NEW Group();
    Ref<Mesh> mesh = render_test::unitQuad();
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    Ref<Material> material = VORNA3D_NEW Material();
    appearance->setMaterial(material.get());
    mesh->setAppearance(0, appearance.get());
    group->addChild(mesh.get());
    world->addChild(group.get());
    Ref<Camera> camera = VORNA3D_NEW Camera();
    world->setActiveCamera(camera.get());

    Ref<AnimationController> c = VORNA3D_NEW AnimationController();
    const float black[3] = {0.f, 0.f, 0.f}, white[3] = {1.f, 1.f, 1.f};
    Ref<AnimationTrack> colour = track(ramp(3, black, white).get(), AnimationTrack::DIFFUSE_COLOR, c.get());
    material->addAnimationTrack(colour.get());
    const float at[3] = {0.f, 0.f, 5.f};
    Ref<AnimationTrack> move = track(constant(3, at).get(), AnimationTrack::TRANSLATION, c.get());
    camera->addAnimationTrack(move.get());

    world->animate(500); // s = 0.5: 127 per channel (0.5 * 255 truncated), alpha kept
    EXPECT_EQ(material->getColor(Material::DIFFUSE), 0xFF7F7F7Fu);
    EXPECT_EQ(camera->getTranslation(), slmath::vec3(0.f, 0.f, 5.f));
    world->animate(1000);
    EXPECT_EQ(material->getColor(Material::DIFFUSE), 0xFFFFFFFFu);

    // Animating every frame reuses the walk's storage: nothing is allocated.
    world->animate(1100);
    const int before = allocatedBlocks();
    for (int frame = 0; frame < 10; ++frame)
        world->animate(1200 + frame * 16);
    EXPECT_EQ(allocatedBlocks(), before);
}

TEST_F(AnimationTest, FailuresOfAnimate)
{
    Ref<Group> node = VORNA3D_NEW Group();
    const float v3[3] = {1.f, 2.f, 3.f}, v1 = 4.f;
    Ref<AnimationTrack> noController = VORNA3D_NEW AnimationTrack(constant(3, v3).get(), AnimationTrack::TRANSLATION);
    node->addAnimationTrack(noController.get());
    EXPECT_TRUE(failsWith([&] { node->animate(0); }, "AnimationController not set to AnimationTrack.",
                          "render::Object3D::applyAnimationTracks"));

    Ref<AnimationController> c = VORNA3D_NEW AnimationController();
    noController->setController(c.get());
    // A second track of the property with another component count.
    Ref<AnimationTrack> scalar = track(constant(1, &v1).get(), AnimationTrack::TRANSLATION, c.get());
    node->addAnimationTrack(scalar.get());
    EXPECT_TRUE(failsWith([&] { node->animate(0); }, "Component count too big in KeyFrameSequence",
                          "render::Object3D::applyAnimationTracks"));

    // A sequence without a duration.
    Ref<Group> other = VORNA3D_NEW Group();
    Ref<KeyframeSequence> open = VORNA3D_NEW KeyframeSequence(1, 3, KeyframeSequence::LINEAR);
    open->setKeyframe(0, 0, v3, 3);
    other->addAnimationTrack(track(open.get(), AnimationTrack::TRANSLATION, c.get()).get());
    EXPECT_TRUE(failsWith([&] { other->animate(0); }, "Keyframe sequence duration not set.",
                          "render::KeyframeSequence::getDuration"));
    // A first keyframe after the sequence time.
    Ref<KeyframeSequence> late = VORNA3D_NEW KeyframeSequence(1, 3, KeyframeSequence::LINEAR);
    late->setKeyframe(0, 100, v3, 3);
    late->setDuration(1000);
    Ref<Group> third = VORNA3D_NEW Group();
    third->addAnimationTrack(track(late.get(), AnimationTrack::TRANSLATION, c.get()).get());
    EXPECT_TRUE(
        failsWith([&] { third->animate(50); }, " *indexAfter >= 0 ", "render::KeyframeSequence::getKeyFrameIndices"));
    third->animate(150);
    EXPECT_EQ(third->getTranslation(), slmath::vec3(1.f, 2.f, 3.f));

    // Groups applied before a failure stay applied: the scale is written,
    // then the translation fails.
    Ref<Group> partial = VORNA3D_NEW Group();
    partial->addAnimationTrack(track(constant(1, &v1).get(), AnimationTrack::SCALE, c.get()).get());
    partial->addAnimationTrack(track(late.get(), AnimationTrack::TRANSLATION, c.get()).get());
    EXPECT_THROW(partial->animate(0), AssertationFailedException);
    EXPECT_EQ(partial->getScale(), slmath::vec3(4.f, 4.f, 4.f));
}

TEST_F(AnimationTest, VisibilityTrackHidesANodeAndWhatIsBelowIt)
{
    // A world with a group holding a quad; the group's VISIBILITY steps
    // from 1 to 0 at 500 ms (STEP between keyframes at 0 and 1000).
    Ref<World> world = VORNA3D_NEW World();
    Ref<Camera> camera = VORNA3D_NEW Camera();
    world->addChild(camera.get());
    world->setActiveCamera(camera.get());
    Ref<Group> group = VORNA3D_NEW Group();
    Ref<Mesh> quad = render_test::unitQuad();
    group->addChild(quad.get());
    world->addChild(group.get());
    Ref<KeyframeSequence> seq = VORNA3D_NEW KeyframeSequence(2, 1, KeyframeSequence::STEP);
    const float on = 1.f, off = 0.f;
    seq->setKeyframe(0, 0, &on, 1);
    seq->setKeyframe(1, 1000, &off, 1);
    seq->setValidRange(0, 1);
    seq->setDuration(2000);
    Ref<AnimationController> c = VORNA3D_NEW AnimationController();
    group->addAnimationTrack(track(seq.get(), AnimationTrack::VISIBILITY, c.get()).get());

    world->animate(400);
    g3d->render(Graphics3D::RENDER_ALL, world.get(), Transform());
    EXPECT_EQ(g3d->of(render_test::RecordingGraphics3D::DRAW).size(), 1u);
    world->animate(600);
    g3d->calls.clear();
    g3d->render(Graphics3D::RENDER_ALL, world.get(), Transform());
    EXPECT_TRUE(g3d->of(render_test::RecordingGraphics3D::DRAW).empty());
    EXPECT_FALSE(group->isRenderingEnabled());
}
