// Scene-file records of animation and deformable meshes: write-then-read
// round trips of controllers, tracks, keyframe sequences, morphing and
// skinned meshes; records assembled byte by byte for the keyframe
// encodings (values expanded as fractions of 255 and 65535 of the scale,
// computed by hand) and for every check of the reader.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "core/MemoryStream.h"
#include "render/animation/AnimationController.h"
#include "render/animation/AnimationTrack.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Group.h"
#include "render/animation/KeyframeSequence.h"
#include "render/loaders/m3g/M3G_Writer.h"
#include "render/appearance/Material.h"
#include "render/scene/MorphingMesh.h"
#include "render/scene/SkinnedMesh.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "tests/render/loaders/m3g/M3GTestSupport.h"
#include "tests/support/LogCapture.h"

using namespace m3g_test;
using namespace render;
using core::Ref;

namespace {

class M3GAnimationRecordTest : public M3GTest {
protected:
    // Writes `roots` and reads the file back.
    core::Vector<Ref<Object3D>> roundTrip(std::initializer_list<Object3D*> roots)
    {
        core::Vector<Ref<Object3D>> list;
        for (Object3D* root : roots)
            list.add(Ref<Object3D>(root));
        Ref<core::MemoryStream> out = VORNA3D_NEW core::MemoryStream();
        M3G_Writer::save(out.get(), list, M3G_Writer::Options());
        return loadBytes(Bytes(out->getData(), out->getData() + out->getSize()), "written.m3g");
    }

    // The message of the IOException writing `root` throws.
    std::string writeError(Object3D* root)
    {
        core::Vector<Ref<Object3D>> list;
        list.add(Ref<Object3D>(root));
        Ref<core::MemoryStream> out = VORNA3D_NEW core::MemoryStream();
        try {
            M3G_Writer::save(out.get(), list, M3G_Writer::Options());
        } catch (const core::IOException& e) {
            const std::string text = e.what();
            const size_t at = text.find(". Message: ");
            return at == std::string::npos ? text : text.substr(at + 11);
        }
        return "(no error)";
    }
};

template <class T> T* as(Object3D* object)
{
    T* typed = dynamic_cast<T*>(object);
    EXPECT_NE(typed, nullptr);
    return typed;
}

// A controller record (type 1).
Bytes controllerRecord(float speed, float weight, int start, int end, float refSequence, int refWorld)
{
    Writer w;
    w.object3D().f32(speed).f32(weight).u32(uint32_t(start)).u32(uint32_t(end));
    w.f32(refSequence).u32(uint32_t(refWorld));
    return record(1, w.bytes);
}

// A track record (type 2).
Bytes trackRecord(uint32_t sequence, uint32_t controller, uint32_t property)
{
    Writer w;
    w.object3D().u32(sequence).u32(controller).u32(property);
    return record(2, w.bytes);
}

// The fields of a keyframe sequence record (type 19) before its keyframes.
Writer sequenceHead(unsigned interpolation, unsigned repeat, unsigned encoding, uint32_t duration, uint32_t first,
                    uint32_t last, uint32_t components, uint32_t keyframes)
{
    Writer w;
    w.object3D()
        .u8(interpolation)
        .u8(repeat)
        .u8(encoding)
        .u32(duration)
        .u32(first)
        .u32(last)
        .u32(components)
        .u32(keyframes);
    return w;
}

// A LINEAR, LOOP, float sequence of one-component keyframes at times 0, 100, ...
Bytes scalarSequence(std::initializer_list<float> values, uint32_t duration = 1000)
{
    Writer w = sequenceHead(176, 193, 0, duration, 0, uint32_t(values.size()) - 1, 1, uint32_t(values.size()));
    uint32_t time = 0;
    for (float v : values) {
        w.u32(time).f32(v);
        time += 100;
    }
    return record(19, w.bytes);
}

// A group record (type 9) animated by the track at `track` (0: none).
Bytes groupRecord(uint32_t track = 0, std::initializer_list<uint32_t> children = {})
{
    Writer w;
    if (track)
        w.u32(0).u32(1).u32(track).u32(0);
    else
        w.u32(0).u32(0).u32(0);
    w.boolean(false).boolean(false); // transformable part
    w.boolean(true).boolean(true).u8(255).u32(0xFFFFFFFFu).boolean(false); // node part
    w.u32(uint32_t(children.size()));
    for (uint32_t child : children)
        w.u32(child);
    return record(9, w.bytes);
}

} // namespace

TEST_F(M3GAnimationRecordTest, ControllerTrackAndSequenceRoundTrip)
{
    Ref<KeyframeSequence> sequence = VORNA3D_NEW KeyframeSequence(4, 3, KeyframeSequence::SPLINE);
    for (int k = 0; k < 4; ++k) {
        const float v[3] = {float(k), -2.5f * k, 1e-3f * k};
        sequence->setKeyframe(k, 250 * k, v, 3);
    }
    sequence->setDuration(1200);
    sequence->setRepeatMode(KeyframeSequence::CONSTANT);
    sequence->setValidRange(1, 2);
    sequence->setUserID(19);
    Ref<AnimationController> controller = VORNA3D_NEW AnimationController();
    controller->setActiveInterval(-5, 900);
    controller->setWeight(0.75f);
    controller->setPosition(33.5f, 1000);
    controller->setSpeed(-2.f, 1000);
    Ref<AnimationTrack> track = VORNA3D_NEW AnimationTrack(sequence.get(), AnimationTrack::TRANSLATION);
    track->setController(controller.get());
    track->setName(core::String("move"));
    Ref<Group> group = VORNA3D_NEW Group();
    group->addAnimationTrack(track.get());

    core::Vector<Ref<Object3D>> again = roundTrip({group.get()});
    ASSERT_EQ(again.size(), 1);
    Group* g = as<Group>(again[0].get());
    ASSERT_TRUE(g);
    ASSERT_EQ(g->getAnimationTrackCount(), 1);
    AnimationTrack* t = g->getAnimationTrack(0);
    EXPECT_EQ(t->getTargetProperty(), AnimationTrack::TRANSLATION);
    EXPECT_EQ(std::string(t->getName().getASCII()), "move");
    AnimationController* c = t->getController();
    ASSERT_TRUE(c);
    EXPECT_EQ(c->getActiveIntervalStart(), -5);
    EXPECT_EQ(c->getActiveIntervalEnd(), 900);
    EXPECT_EQ(c->getWeight(), 0.75f);
    EXPECT_EQ(c->getSpeed(), -2.f);
    EXPECT_EQ(c->getRefSequenceTime(), 33.5f);
    EXPECT_EQ(c->getRefWorldTime(), 1000);
    KeyframeSequence* s = t->getKeyframeSequence();
    EXPECT_EQ(s->getUserID(), 19);
    EXPECT_EQ(s->getInterpolationType(), KeyframeSequence::SPLINE);
    EXPECT_EQ(s->getRepeatMode(), KeyframeSequence::CONSTANT);
    EXPECT_EQ(s->getDuration(), 1200);
    // The valid range stays as it was written (not reset to 0 to 0).
    EXPECT_EQ(s->getValidRangeFirst(), 1);
    EXPECT_EQ(s->getValidRangeLast(), 2);
    ASSERT_EQ(s->getKeyframeCount(), 4);
    ASSERT_EQ(s->getComponentCount(), 3);
    for (int k = 0; k < 4; ++k) {
        float v[3];
        EXPECT_EQ(s->getKeyframe(k, v, 3), 250 * k);
        EXPECT_EQ(v[0], float(k));
        EXPECT_EQ(v[1], -2.5f * k);
        EXPECT_EQ(v[2], 1e-3f * k);
    }
    // The reloaded group animates as the original does.
    group->animate(1100);
    g->animate(1100);
    EXPECT_EQ(g->getTranslation(), group->getTranslation());
}

TEST_F(M3GAnimationRecordTest, KeyframeEncodingsExpandFractionsOfTheScale)
{
    // Encoding 1: bias (1, -1), scale (2, 10); bytes (255, 0) and (51, 128):
    // 255/255 * 2 + 1 = 3, -1; 51/255 * 2 + 1 = 1.4, 128/255 * 10 - 1 = 4.0196.
    Writer bytes = sequenceHead(180, 193, 1, 1000, 0, 1, 2, 2);
    bytes.f32(1.f).f32(-1.f).f32(2.f).f32(10.f);
    bytes.u32(0).u8(255).u8(0).u32(500).u8(51).u8(128);
    // Encoding 2: bias 0.5, scale 4; 65535 -> 4.5, 16384 -> 16384/65535 * 4 + 0.5.
    Writer shorts = sequenceHead(180, 193, 2, 1000, 0, 1, 1, 2);
    shorts.f32(0.5f).f32(4.f);
    shorts.u32(0).u16(65535).u32(500).u16(16384);
    core::Vector<Ref<Object3D>> roots = loadBytes(fileOf({record(19, bytes.bytes), record(19, shorts.bytes)}));
    ASSERT_EQ(roots.size(), 2);
    KeyframeSequence* b = as<KeyframeSequence>(roots[0].get());
    KeyframeSequence* s = as<KeyframeSequence>(roots[1].get());
    ASSERT_TRUE(b && s);
    float v[2];
    b->getKeyframe(0, v, 2);
    EXPECT_FLOAT_EQ(v[0], 3.f);
    EXPECT_FLOAT_EQ(v[1], -1.f);
    EXPECT_EQ(b->getKeyframe(1, v, 2), 500);
    EXPECT_FLOAT_EQ(v[0], 1.4f);
    EXPECT_FLOAT_EQ(v[1], 128.f / 255.f * 10.f - 1.f);
    s->getKeyframe(0, v, 1);
    EXPECT_FLOAT_EQ(v[0], 4.5f);
    s->getKeyframe(1, v, 1);
    EXPECT_FLOAT_EQ(v[0], 16384.f / 65535.f * 4.f + 0.5f);

    // Quaternion keys are stored normalised: (0, 0, 3, 4) -> (0, 0, 0.6, 0.8).
    Writer quats = sequenceHead(177, 193, 0, 100, 0, 0, 4, 1);
    quats.u32(0).f32(0.f).f32(0.f).f32(3.f).f32(4.f);
    roots = loadBytes(fileOf({record(19, quats.bytes)}));
    float q[4];
    as<KeyframeSequence>(roots[0].get())->getKeyframe(0, q, 4);
    EXPECT_FLOAT_EQ(q[2], 0.6f);
    EXPECT_FLOAT_EQ(q[3], 0.8f);
}

TEST_F(M3GAnimationRecordTest, ReaderChecksOfControllersTracksAndSequences)
{
    EXPECT_EQ(loadError(fileOf({controllerRecord(1.f, 1.f, 5, 4, 0.f, 0)})),
              "AnimationController start time is greater than end time.");
    EXPECT_EQ(loadError(fileOf({controllerRecord(1.f, -0.5f, 0, 0, 0.f, 0)})),
              "AnimationController weight less than 0.");
    // Floats that are no numbers are refused as they are read.
    EXPECT_EQ(loadError(fileOf({controllerRecord(NAN, 1.f, 0, 0, 0.f, 0)})), "Invalid floating point number");

    const Bytes seq = scalarSequence({0.f, 1.f});
    EXPECT_EQ(loadError(fileOf({seq, controllerRecord(1.f, 1.f, 0, 0, 0.f, 0), trackRecord(0, 3, 275)})),
              "KeyframeSequence is 0 in AnimationTrack.");
    EXPECT_EQ(loadError(fileOf({seq, trackRecord(2, 0, 277)})), "Invalid target property ID value in AnimationTrack.");
    EXPECT_EQ(loadError(fileOf({seq, trackRecord(2, 0, 255)})), "Invalid target property ID value in AnimationTrack.");
    // References of the wrong class.
    EXPECT_EQ(loadError(fileOf({seq, trackRecord(2, 2, 275)})), "Referenced object is not correct type.");
    // A track that cannot animate the object it is attached to: one
    // component for TRANSLATION.
    EXPECT_EQ(loadError(fileOf({seq, trackRecord(2, 0, 275), groupRecord(3)})),
              "An animation track of 1 components for TRANSLATION does not apply to a Group.");
    // Tracks attached to a sequence.
    Writer tracked = sequenceHead(176, 193, 0, 100, 0, 0, 1, 1);
    tracked.bytes[4] = 1; // one track...
    tracked.bytes.insert(tracked.bytes.begin() + 8, {3, 0, 0, 0}); // ...at index 3
    tracked.u32(0).f32(1.f);
    EXPECT_EQ(loadError(fileOf({seq, trackRecord(2, 0, 265), record(19, tracked.bytes)})),
              "An animation track of 1 components for INTENSITY does not apply to a KeyframeSequence.");

    auto head = [](unsigned interpolation, unsigned repeat, unsigned encoding, uint32_t duration, uint32_t first,
                   uint32_t last, uint32_t components, uint32_t keyframes) {
        Writer w = sequenceHead(interpolation, repeat, encoding, duration, first, last, components, keyframes);
        for (uint32_t k = 0; k < keyframes && components < 100; ++k) {
            w.u32(k);
            for (uint32_t c = 0; c < components; ++c)
                w.f32(1.f);
        }
        return fileOf({record(19, w.bytes)});
    };
    EXPECT_EQ(loadError(head(176, 193, 0, 100, 0, 0, 1, 0)),
              "Keyframe count is less than or equal to zero in KeyframeSequence.");
    EXPECT_EQ(loadError(head(176, 193, 0, 100, 0, 0, 0, 1)),
              "Component count is less than or equal to zero in KeyframeSequence.");
    EXPECT_EQ(loadError(head(175, 193, 0, 100, 0, 0, 1, 1)), "Invalid interpolation type in KeyframeSequence.");
    EXPECT_EQ(loadError(head(181, 193, 0, 100, 0, 0, 1, 1)), "Invalid interpolation type in KeyframeSequence.");
    EXPECT_EQ(loadError(head(176, 194, 0, 100, 0, 0, 1, 1)), "Repeat mode not CONSTANT or LOOP.");
    EXPECT_EQ(loadError(head(176, 193, 0, 0x80000000u, 0, 0, 1, 1)), "Duration less than zero in KeyframeSequence.");
    EXPECT_EQ(loadError(head(176, 193, 0, 0, 0, 0, 1, 1)), "Duration is zero in KeyframeSequence.");
    EXPECT_EQ(loadError(head(176, 193, 3, 100, 0, 0, 1, 1)), "Unknown KeyframeSequence encoding.");
    EXPECT_EQ(loadError(head(176, 193, 0, 100, 0, 2, 1, 2)),
              "Valid range is outside the keyframes in KeyframeSequence.");
    EXPECT_EQ(loadError(head(177, 193, 0, 100, 0, 0, 3, 1)),
              "Quaternion keyframes need 4 components in KeyframeSequence.");
    // Counts the record cannot hold fail before anything is allocated.
    EXPECT_EQ(loadError(head(176, 193, 0, 100, 0, 0, 1000, 0x7FFFFFFFu)),
              "Keyframe data of 2147483647 keyframes does not fit in the 0 bytes left of the object.");

    Writer negativeTime = sequenceHead(176, 193, 0, 100, 0, 0, 1, 1);
    negativeTime.u32(0x80000000u).f32(1.f);
    EXPECT_EQ(loadError(fileOf({record(19, negativeTime.bytes)})), "Keyframe time is negative in KeyframeSequence.");
    Writer zeroQuaternion = sequenceHead(179, 193, 0, 100, 0, 0, 4, 1);
    zeroQuaternion.u32(0).f32(0.f).f32(0.f).f32(0.f).f32(0.f);
    EXPECT_EQ(loadError(fileOf({record(19, zeroQuaternion.bytes)})),
              "Keyframe quaternion can not be normalised in KeyframeSequence.");
    Writer overflow = sequenceHead(176, 193, 1, 100, 0, 0, 1, 1);
    overflow.f32(3e38f).f32(3e38f).u32(0).u8(255); // 3e38 + 3e38 is no float
    EXPECT_EQ(loadError(fileOf({record(19, overflow.bytes)})),
              "Keyframe value is not a finite number in KeyframeSequence.");
}

TEST_F(M3GAnimationRecordTest, MorphingMeshRoundTripKeepsTheBaseShape)
{
    Ref<VertexBuffer> base = render_test::vertexBuffer({0, 0, 0, 10, 10, 10, 0, 10, 0});
    Ref<VertexBuffer> t1 = render_test::vertexBuffer({100, 0, 0, 10, 10, 10, 0, 10, 0});
    Ref<VertexBuffer> t2 = render_test::vertexBuffer({0, 100, 0, 20, 10, 10, 0, 10, 0});
    core::Vector<Ref<VertexBuffer>> targets;
    targets.add(t1);
    targets.add(t2);
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    Ref<MorphingMesh> mesh =
        VORNA3D_NEW MorphingMesh(base.get(), render_test::triangleList({0, 1, 2}).get(), appearance.get(), targets);
    core::Vector<float> weights;
    weights.add(1.f);
    weights.add(0.5f);
    mesh->setWeights(weights);

    core::Vector<Ref<Object3D>> again = roundTrip({mesh.get()});
    ASSERT_EQ(again.size(), 1);
    MorphingMesh* m = as<MorphingMesh>(again[0].get());
    ASSERT_TRUE(m);
    ASSERT_EQ(m->getMorphTargetCount(), 2);
    EXPECT_EQ(m->getWeights()[0], 1.f);
    EXPECT_EQ(m->getWeights()[1], 0.5f);
    // The file holds the base shape: the reloaded mesh shows the same blend
    // and goes back to the same base.
    short p[9], q[9];
    mesh->getVertexBuffer()->getPositions()->get(0, 3, p);
    m->getVertexBuffer()->getPositions()->get(0, 3, q);
    EXPECT_EQ(std::vector<short>(q, q + 9), std::vector<short>(p, p + 9));
    EXPECT_EQ(q[0], 50); // (100 + 0) / 2
    m->setWeights(nullptr, 0);
    m->getVertexBuffer()->getPositions()->get(0, 3, q);
    EXPECT_EQ(std::vector<short>(q, q + 9), (std::vector<short>{0, 0, 0, 10, 10, 10, 0, 10, 0}));
    // Writing left the original blended.
    mesh->getVertexBuffer()->getPositions()->get(0, 3, q);
    EXPECT_EQ(q[0], 50);
}

TEST_F(M3GAnimationRecordTest, SkinnedMeshRoundTripAndItsLog)
{
    Ref<VertexBuffer> vb = render_test::vertexBuffer({0, 0, 0, 2, 0, 0, 4, 0, 0}, 0.5f);
    Ref<Group> skeleton = VORNA3D_NEW Group();
    Ref<Group> a = VORNA3D_NEW Group();
    Ref<Group> b = VORNA3D_NEW Group();
    skeleton->addChild(a.get());
    a->addChild(b.get());
    b->setTranslation(1.f, 0.f, 0.f);
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    Ref<SkinnedMesh> mesh =
        VORNA3D_NEW SkinnedMesh(vb.get(), render_test::triangleList({0, 1, 2}).get(), appearance.get(), skeleton.get());
    mesh->addTransform(a.get(), 2, 0, 2);
    mesh->addTransform(b.get(), 5, 1, 2);
    a->setOrientation(90.f, 0.f, 0.f, 1.f);
    mesh->recalcVertices();

    core::Debug::setDebugLevel(core::DEBUG_LEVEL_ENGINE | core::DEBUG_LEVEL_ERROR);
    testing_support::LogCapture log;
    core::Vector<Ref<Object3D>> again = roundTrip({mesh.get()});
    const std::string text = log.text();
    EXPECT_NE(text.find("SkinnedMesh:\n"), std::string::npos) << text;
    EXPECT_NE(text.find("transformNode:6, weight:5, firstVertex:1, vertexCount:2\n"), std::string::npos) << text;

    ASSERT_EQ(again.size(), 1);
    SkinnedMesh* m = as<SkinnedMesh>(again[0].get());
    ASSERT_TRUE(m);
    ASSERT_EQ(m->getTransformReferenceCount(), 2);
    Group* copyA = as<Group>(m->getSkeleton()->getChild(0));
    EXPECT_EQ(m->getTransformReference(0).bone, copyA);
    EXPECT_EQ(m->getTransformReference(1).bone, copyA->getChild(0));
    EXPECT_EQ(m->getTransformReference(1).weight, 5);
    EXPECT_EQ(m->getTransformReference(1).firstVertex, 1);
    EXPECT_EQ(m->getTransformReference(1).vertexCount, 2);
    // The file holds the pose it was written in: recalculating gives the
    // same positions, and turning bone A back gives the rest shape.
    m->recalcVertices();
    float s1[4], s2[4];
    short p[9], q[9];
    vb->getPositions(s1)->get(0, 3, p);
    m->getVertexBuffer()->getPositions(s2)->get(0, 3, q);
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(q[i] * s2[0], p[i] * s1[0], 2e-4f) << i;
    copyA->setOrientation(0.f, 1.f, 0.f, 0.f);
    m->recalcVertices();
    m->getVertexBuffer()->getPositions(s2)->get(2, 1, q);
    EXPECT_NEAR(q[0] * s2[0], 2.f, 2e-4f);
    EXPECT_NEAR(q[1] * s2[0], 0.f, 2e-4f);
}

TEST_F(M3GAnimationRecordTest, ReaderChecksOfDeformableMeshes)
{
    // Positions (3 vertices of 3 shorts), a buffer, a strip and an appearance
    // at indices 2 to 5; a skeleton group with a bone at 6 (bone) and 7.
    Writer positions;
    positions.object3D().u8(2).u8(3).u8(0).u16(3);
    for (int v : {0, 0, 0, 1, 0, 0, 2, 0, 0})
        positions.u16(uint16_t(v));
    Writer buffer;
    buffer.object3D().u8(255).u8(255).u8(255).u8(255).u32(2).f32(0.f).f32(0.f).f32(0.f).f32(1.f).u32(0).u32(0).u32(0);
    Writer strip;
    strip.object3D().u8(0).u32(0).u32(1).u32(3);
    Writer appearance;
    appearance.object3D().u8(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    const std::vector<Bytes> parts = {record(20, positions.bytes), record(21, buffer.bytes), record(11, strip.bytes),
                                      record(3, appearance.bytes)};
    auto skinned = [](uint32_t skeleton, std::vector<std::array<uint32_t, 4>> references) {
        Writer w;
        w.node().u32(3).u32(1).u32(4).u32(5).u32(skeleton).u32(uint32_t(references.size()));
        for (const auto& r : references)
            w.u32(r[0]).u32(r[1]).u32(r[2]).u32(r[3]);
        return record(16, w.bytes);
    };
    auto file = [&](std::vector<Bytes> more) {
        Bytes objects;
        for (const Bytes& b : parts)
            objects.insert(objects.end(), b.begin(), b.end());
        for (const Bytes& b : more)
            objects.insert(objects.end(), b.begin(), b.end());
        return m3g_test::file({section(objects)});
    };
    // Index 6: a bone; 7: the skeleton holding it; 8: a loose group.
    const Bytes bone = groupRecord();
    const Bytes skeleton = groupRecord(0, {6});
    const Bytes loose = groupRecord();

    core::Vector<Ref<Object3D>> roots = loadBytes(file({bone, skeleton, loose, skinned(7, {{6, 0, 3, 1}})}));
    ASSERT_EQ(roots.size(), 2); // the loose group and the mesh
    SkinnedMesh* mesh = as<SkinnedMesh>(roots[1].get());
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->getBoneCount(), 1);

    EXPECT_EQ(loadError(file({bone, skeleton, loose, skinned(0, {})})), "No skeleton set for SkinnedMesh.");
    EXPECT_EQ(loadError(file({bone, skeleton, loose, skinned(7, {{8, 0, 3, 1}})})),
              "A transform node of a SkinnedMesh is not in its skeleton.");
    EXPECT_EQ(loadError(file({bone, skeleton, loose, skinned(7, {{6, 2, 2, 1}})})),
              "A transform reference of a SkinnedMesh goes beyond its vertices.");
    EXPECT_EQ(loadError(file({bone, skeleton, loose, skinned(7, {{0, 0, 1, 1}})})),
              "Transform node is 0 in SkinnedMesh.");
    // The bone group as skeleton: it already has a parent.
    EXPECT_EQ(loadError(file({bone, skeleton, loose, skinned(6, {})})),
              "The skeleton of a SkinnedMesh already has a parent.");

    // Morphing: targets at 3 (the base itself serves) and a buffer without positions.
    auto morphing = [](std::vector<std::pair<uint32_t, float>> targets) {
        Writer w;
        w.node().u32(3).u32(1).u32(4).u32(5).u32(uint32_t(targets.size()));
        for (const auto& t : targets)
            w.u32(t.first).f32(t.second);
        return record(15, w.bytes);
    };
    Writer noPositions;
    noPositions.object3D().u8(255).u8(255).u8(255).u8(255).u32(0).f32(0.f).f32(0.f).f32(0.f).f32(1.f).u32(0).u32(0).u32(
        0);
    roots = loadBytes(file({morphing({{3, 0.5f}})}));
    ASSERT_EQ(roots.size(), 1);
    EXPECT_EQ(as<MorphingMesh>(roots[0].get())->getWeights()[0], 0.5f);
    EXPECT_EQ(loadError(file({morphing({})})), "Morph target count is 0 in MorphingMesh.");
    EXPECT_EQ(loadError(file({morphing({{0, 1.f}})})), "Morph target is 0 in MorphingMesh.");
    EXPECT_EQ(loadError(file({record(21, noPositions.bytes), morphing({{6, 1.f}})})),
              "Morph target positions do not match the base in MorphingMesh.");
}

TEST_F(M3GAnimationRecordTest, WriterChecks)
{
    // A track the reader would refuse is not written.
    Ref<KeyframeSequence> scalar = VORNA3D_NEW KeyframeSequence(1, 1, KeyframeSequence::LINEAR);
    const float one = 1.f;
    scalar->setKeyframe(0, 0, &one, 1);
    scalar->setDuration(10);
    Ref<AnimationTrack> track = VORNA3D_NEW AnimationTrack(scalar.get(), AnimationTrack::TRANSLATION);
    Ref<Group> group = VORNA3D_NEW Group();
    group->addAnimationTrack(track.get());
    EXPECT_EQ(writeError(group.get()), "An animation track of 1 components for TRANSLATION does not apply to a Group.");
    // Keyframes without a time.
    Ref<KeyframeSequence> unset = VORNA3D_NEW KeyframeSequence(2, 1, KeyframeSequence::LINEAR);
    unset->setKeyframe(0, 0, &one, 1);
    unset->setDuration(10);
    EXPECT_EQ(writeError(unset.get()), "KeyframeSequence keyframe time not set.");
    Ref<KeyframeSequence> empty = VORNA3D_NEW KeyframeSequence(0, 1, KeyframeSequence::LINEAR);
    empty->setDuration(10);
    EXPECT_EQ(writeError(empty.get()), "Keyframe count is less than or equal to zero in KeyframeSequence.");
}
