// Animation and deformable-mesh records: AnimationController,
// AnimationTrack, KeyframeSequence (three keyframe encodings), MorphingMesh
// and SkinnedMesh. As everywhere in the reader, every value is checked
// here before it reaches a class setter (floats that are no numbers are
// refused as DataIO reads them).

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "core/Vector.h"
#include "render/animation/AnimationController.h"
#include "render/animation/AnimationTargets.h"
#include "render/animation/AnimationTrack.h"
#include "render/appearance/Appearance.h"
#include "render/ArithmeticException.h"
#include "render/scene/Group.h"
#include "render/geometry/IndexBuffer.h"
#include "render/animation/KeyframeSequence.h"
#include "render/loaders/m3g/M3G_ObjectReader.h"
#include "render/loaders/m3g/M3G_ObjectTypes.h"
#include "render/scene/MorphingMesh.h"
#include "render/scene/SkinnedMesh.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "render/scene/World.h"
#include "slmath/slmath.h"

namespace render {

namespace {

bool finite(float v)
{
    return slmath::check(v);
}

// Fixed-point keyframe values: a byte counts in 255ths, a 16-bit value in
// 65535ths of the component's scale, above its bias.
float expand(unsigned char v, float scale, float bias)
{
    return float(v) / 255.f * scale + bias;
}

float expand(uint16_t v, float scale, float bias)
{
    return float(v) / 65535.f * scale + bias;
}

} // namespace

// ---- AnimationController ----

void M3G_ObjectReader::parseAnimationController(core::DataIO& in, M3G_AnimationController& record)
{
    parseObject3D(in, record);
    record.speed = in.readFloat32();
    record.weight = in.readFloat32();
    record.activeIntervalStart = in.readInt32();
    record.activeIntervalEnd = in.readInt32();
    record.referenceSequenceTime = in.readFloat32();
    record.referenceWorldTime = in.readInt32();
    if (record.activeIntervalStart > record.activeIntervalEnd)
        fail("AnimationController start time is greater than end time.");
    if (record.weight < 0.f)
        fail("AnimationController weight less than 0.");
}

core::Ref<AnimationController> M3G_ObjectReader::setToClass(const M3G_AnimationController& record)
{
    core::Ref<AnimationController> controller = VORNA3D_NEW AnimationController();
    setToClass(static_cast<const M3G_Object3D&>(record), *controller);
    controller->setActiveInterval(record.activeIntervalStart, record.activeIntervalEnd);
    controller->setWeight(record.weight);
    // The reference pair first; the speed then changes from that moment on.
    controller->setPosition(record.referenceSequenceTime, record.referenceWorldTime);
    controller->setSpeed(record.speed, record.referenceWorldTime);
    return controller;
}

// ---- AnimationTrack ----

void M3G_ObjectReader::parseAnimationTrack(core::DataIO& in, M3G_AnimationTrack& record)
{
    parseObject3D(in, record);
    record.keyframeSequence = in.readUInt32();
    record.animationController = in.readUInt32();
    record.propertyID = in.readUInt32();
    if (record.keyframeSequence == 0)
        fail("KeyframeSequence is 0 in AnimationTrack.");
    if (record.propertyID < AnimationTrack::ALPHA || record.propertyID > AnimationTrack::VISIBILITY)
        fail("Invalid target property ID value in AnimationTrack.");
}

core::Ref<AnimationTrack> M3G_ObjectReader::setToClass(const M3G_AnimationTrack& record)
{
    KeyframeSequence* sequence = m_table.resolve<KeyframeSequence>(record.keyframeSequence);
    AnimationController* controller = m_table.resolve<AnimationController>(record.animationController);
    core::Ref<AnimationTrack> track = VORNA3D_NEW AnimationTrack(sequence, static_cast<int>(record.propertyID));
    track->setController(controller);
    setToClass(static_cast<const M3G_Object3D&>(record), *track);
    return track;
}

void M3G_ObjectReader::checkAnimationTarget(const Object3D& object, const AnimationTrack& track)
{
    const int property = track.getTargetProperty();
    const int count = track.getKeyframeSequence()->getComponentCount();
    if (!acceptsAnimatedValue(&object, property, count))
        failf("An animation track of %d components for %s does not apply to a %s.", count,
              AnimationTrack::getTargetPropertyName(property), getM3GClassName(&object));
}

// ---- KeyframeSequence ----

void M3G_ObjectReader::parseKeyframeSequence(core::DataIO& in, M3G_KeyframeSequence& record)
{
    parseObject3D(in, record);
    record.interpolation = in.readByte();
    record.repeatMode = in.readByte();
    record.encoding = in.readByte();
    record.duration = in.readUInt32();
    record.validRangeFirst = in.readUInt32();
    record.validRangeLast = in.readUInt32();
    record.componentCount = in.readUInt32();
    record.keyframeCount = in.readUInt32();

    // Counts and times are signed in the engine.
    if (record.keyframeCount == 0 || record.keyframeCount > uint32_t(INT32_MAX))
        fail("Keyframe count is less than or equal to zero in KeyframeSequence.");
    if (record.componentCount == 0 || record.componentCount > uint32_t(INT32_MAX))
        fail("Component count is less than or equal to zero in KeyframeSequence.");
    if (record.interpolation < KeyframeSequence::LINEAR || record.interpolation > KeyframeSequence::STEP)
        fail("Invalid interpolation type in KeyframeSequence.");
    if (record.repeatMode != KeyframeSequence::CONSTANT && record.repeatMode != KeyframeSequence::LOOP)
        fail("Repeat mode not CONSTANT or LOOP.");
    if (record.duration > uint32_t(INT32_MAX))
        fail("Duration less than zero in KeyframeSequence.");
    if (record.duration == 0)
        fail("Duration is zero in KeyframeSequence.");
    if (record.encoding > M3G_KeyframeSequence::ENCODING_UINT16)
        fail("Unknown KeyframeSequence encoding.");
    if (record.validRangeFirst >= record.keyframeCount || record.validRangeLast >= record.keyframeCount)
        fail("Valid range is outside the keyframes in KeyframeSequence.");
    const bool quaternions =
        record.interpolation == KeyframeSequence::SLERP || record.interpolation == KeyframeSequence::SQUAD;
    if (quaternions && record.componentCount != 4)
        fail("Quaternion keyframes need 4 components in KeyframeSequence.");

    // Everything the counts announce must be in the record before anything
    // is allocated for it: each keyframe takes its time and the values.
    static const uint32_t VALUE_SIZE[3] = {4, 1, 2};
    const uint64_t left = in.getByteCount();
    const uint64_t scaleBias = record.encoding == 0 ? 0 : uint64_t(8) * record.componentCount;
    const uint64_t perKeyframe = 4 + uint64_t(VALUE_SIZE[record.encoding]) * record.componentCount;
    if (scaleBias > left || record.keyframeCount > (left - scaleBias) / perKeyframe)
        failf("Keyframe data of %u keyframes does not fit in the %u bytes left of the object.", record.keyframeCount,
              in.getByteCount());

    const int components = static_cast<int>(record.componentCount);
    const int keyframes = static_cast<int>(record.keyframeCount);
    core::Vector<uint32_t>* times = nullptr;
    core::Vector<float>* bias = nullptr;
    core::Vector<float>* scale = nullptr;
    switch (record.encoding) {
    case M3G_KeyframeSequence::ENCODING_FLOAT32:
        times = &record.float32Keys.times;
        record.float32Keys.values.reserve(keyframes * components);
        break;
    case M3G_KeyframeSequence::ENCODING_BYTE:
        times = &record.byteKeys.times;
        bias = &record.byteKeys.bias;
        scale = &record.byteKeys.scale;
        record.byteKeys.values.reserve(keyframes * components);
        break;
    default:
        times = &record.uint16Keys.times;
        bias = &record.uint16Keys.bias;
        scale = &record.uint16Keys.scale;
        record.uint16Keys.values.reserve(keyframes * components);
        break;
    }
    if (bias) {
        for (int c = 0; c < components; ++c)
            bias->add(in.readFloat32());
        for (int c = 0; c < components; ++c)
            scale->add(in.readFloat32());
    }
    times->reserve(keyframes);
    for (int k = 0; k < keyframes; ++k) {
        const uint32_t time = in.readUInt32();
        if (time > uint32_t(INT32_MAX))
            fail("Keyframe time is negative in KeyframeSequence.");
        times->add(time);
        for (int c = 0; c < components; ++c) {
            switch (record.encoding) {
            case M3G_KeyframeSequence::ENCODING_FLOAT32:
                record.float32Keys.values.add(in.readFloat32());
                break;
            case M3G_KeyframeSequence::ENCODING_BYTE:
                record.byteKeys.values.add(in.readByte());
                break;
            default:
                record.uint16Keys.values.add(in.readUInt16());
                break;
            }
        }
    }
}

void M3G_ObjectReader::checkKeyframeArrays(const M3G_KeyframeSequence& record) const
{
    const M3G_Float32KeyframeSequence& f = record.float32Keys;
    const M3G_ByteKeyframeSequence& b = record.byteKeys;
    const M3G_Uint16KeyframeSequence& s = record.uint16Keys;
    const bool floats = !f.times.isEmpty() || !f.values.isEmpty();
    const bool bytes = !b.times.isEmpty() || !b.values.isEmpty() || !b.bias.isEmpty() || !b.scale.isEmpty();
    const bool shorts = !s.times.isEmpty() || !s.values.isEmpty() || !s.bias.isEmpty() || !s.scale.isEmpty();
    const int keyframes = static_cast<int>(record.keyframeCount);
    const int values = keyframes * static_cast<int>(record.componentCount);
    const int components = static_cast<int>(record.componentCount);
    switch (record.encoding) {
    case M3G_KeyframeSequence::ENCODING_FLOAT32:
        if (bytes || shorts)
            fail("Other encoding arrays have values when encoding is 0 in KeyframeSequence.");
        if (f.times.size() != keyframes)
            fail("Keyframe count did not matched in Keyframe sequence (encoding 0). Possible bug in Vorna3D.");
        if (f.values.size() != values)
            fail("Component count did not matched in keyframe sequence values array (encoding 0). Possible bug in "
                 "Vorna3D.");
        break;
    case M3G_KeyframeSequence::ENCODING_BYTE:
        if (floats || shorts)
            fail("Other encoding arrays have values when encoding is 1 in KeyframeSequence.");
        if (b.times.size() != keyframes)
            fail("Keyframe count did not matched in Keyframe sequence (encoding 1). Possible bug in Vorna3D.");
        if (b.values.size() != values || b.bias.size() != components || b.scale.size() != components)
            fail("Component count did not matched in keyframe sequence values array (encoding 1). Possible bug in "
                 "Vorna3D.");
        break;
    case M3G_KeyframeSequence::ENCODING_UINT16:
        if (floats || bytes)
            fail("Other encoding arrays have values when encoding is 2 in KeyframeSequence.");
        if (s.times.size() != keyframes)
            fail("Keyframe count did not matched in Keyframe sequence (encoding 2). Possible bug in Vorna3D.");
        if (s.values.size() != values || s.bias.size() != components || s.scale.size() != components)
            fail("Component count did not matched in keyframe sequence values array (encoding 2). Possible bug in "
                 "Vorna3D.");
        break;
    default:
        fail("Unknown KeyframeSequence encoding.");
    }
}

core::Ref<KeyframeSequence> M3G_ObjectReader::setToClass(const M3G_KeyframeSequence& record)
{
    checkKeyframeArrays(record);
    const int components = static_cast<int>(record.componentCount);
    const int keyframes = static_cast<int>(record.keyframeCount);
    const bool quaternions =
        record.interpolation == KeyframeSequence::SLERP || record.interpolation == KeyframeSequence::SQUAD;

    core::Ref<KeyframeSequence> sequence = VORNA3D_NEW KeyframeSequence(keyframes, components, record.interpolation);
    setToClass(static_cast<const M3G_Object3D&>(record), *sequence);
    sequence->setDuration(static_cast<int>(record.duration));
    sequence->setRepeatMode(record.repeatMode);
    // The range as the file gives it: every keyframe it names is active at once.
    sequence->setValidRange(static_cast<int>(record.validRangeFirst), static_cast<int>(record.validRangeLast));

    core::Vector<float> value;
    value.setSizeForNativeType(components);
    for (int k = 0; k < keyframes; ++k) {
        uint32_t time = 0;
        for (int c = 0; c < components; ++c) {
            const int i = k * components + c;
            switch (record.encoding) {
            case M3G_KeyframeSequence::ENCODING_FLOAT32:
                time = record.float32Keys.times[k];
                value[c] = record.float32Keys.values[i];
                break;
            case M3G_KeyframeSequence::ENCODING_BYTE:
                time = record.byteKeys.times[k];
                value[c] = expand(record.byteKeys.values[i], record.byteKeys.scale[c], record.byteKeys.bias[c]);
                break;
            default:
                time = record.uint16Keys.times[k];
                value[c] = expand(record.uint16Keys.values[i], record.uint16Keys.scale[c], record.uint16Keys.bias[c]);
                break;
            }
            if (!finite(value[c]))
                fail("Keyframe value is not a finite number in KeyframeSequence.");
        }
        if (quaternions) {
            const double norm = std::sqrt(double(value[0]) * value[0] + double(value[1]) * value[1] +
                                          double(value[2]) * value[2] + double(value[3]) * value[3]);
            if (!(norm > FLT_MIN) || norm > FLT_MAX)
                fail("Keyframe quaternion can not be normalised in KeyframeSequence.");
        }
        sequence->setKeyframe(k, static_cast<int>(time), value.data(), components);
    }
    return sequence;
}

// ---- Deformable meshes ----

VertexArray* M3G_ObjectReader::deformablePositions(VertexBuffer* vertices, const char* className)
{
    VertexArray* positions = vertices->getPositions();
    if (!positions)
        failf("%s vertex buffer has no positions.", className);
    // The deformation writes 16-bit positions; bytes widen without change.
    if (positions->getComponentType() == 1)
        positions->setComponentType(2);
    return positions;
}

void M3G_ObjectReader::parseMorphingMesh(core::DataIO& in, M3G_MorphingMesh& record)
{
    parseMesh(in, record);
    const uint32_t count = readCount(in, 8, "Morph target");
    if (count == 0)
        fail("Morph target count is 0 in MorphingMesh.");
    record.morphTargets.reserve(static_cast<int>(count));
    for (uint32_t i = 0; i < count; ++i) {
        M3G_MorphTarget target;
        target.morphTarget = in.readUInt32();
        target.initialWeight = in.readFloat32();
        if (target.morphTarget == 0)
            fail("Morph target is 0 in MorphingMesh.");
        record.morphTargets.add(target);
    }
}

core::Ref<MorphingMesh> M3G_ObjectReader::setToClass(const M3G_MorphingMesh& record)
{
    VertexBuffer* vertices = nullptr;
    core::Vector<core::Ref<IndexBuffer>> indexBuffers;
    core::Vector<core::Ref<Appearance>> appearances;
    resolveMeshParts(record, vertices, indexBuffers, appearances);
    const int vertexCount = deformablePositions(vertices, "MorphingMesh")->getVertexCount();
    core::Vector<core::Ref<VertexBuffer>> targets;
    core::Vector<float> weights;
    for (const M3G_MorphTarget& target : record.morphTargets) {
        VertexBuffer* buffer = m_table.resolve<VertexBuffer>(target.morphTarget);
        const VertexArray* positions = buffer->getPositions();
        if (!positions || positions->getVertexCount() != vertexCount)
            fail("Morph target positions do not match the base in MorphingMesh.");
        targets.add(core::Ref<VertexBuffer>(buffer));
        weights.add(target.initialWeight);
    }
    core::Ref<MorphingMesh> mesh = VORNA3D_NEW MorphingMesh(vertices, indexBuffers, appearances, targets);
    setToClass(static_cast<const M3G_Node&>(record), *mesh);
    mesh->setWeights(weights);
    return mesh;
}

void M3G_ObjectReader::parseSkinnedMesh(core::DataIO& in, M3G_SkinnedMesh& record)
{
    parseMesh(in, record);
    record.skeleton = in.readUInt32();
    if (record.skeleton == 0)
        fail("No skeleton set for SkinnedMesh.");
    const uint32_t count = readCount(in, 16, "Transform reference");
    record.transformReferences.reserve(static_cast<int>(count));
    for (uint32_t i = 0; i < count; ++i) {
        M3G_TransformReference reference;
        reference.transformNode = in.readUInt32();
        reference.firstVertex = in.readUInt32();
        reference.vertexCount = in.readUInt32();
        reference.weight = in.readInt32();
        if (reference.transformNode == 0)
            fail("Transform node is 0 in SkinnedMesh.");
        record.transformReferences.add(reference);
    }
}

core::Ref<SkinnedMesh> M3G_ObjectReader::setToClass(const M3G_SkinnedMesh& record)
{
    VertexBuffer* vertices = nullptr;
    core::Vector<core::Ref<IndexBuffer>> indexBuffers;
    core::Vector<core::Ref<Appearance>> appearances;
    resolveMeshParts(record, vertices, indexBuffers, appearances);
    const uint64_t vertexCount = uint64_t(deformablePositions(vertices, "SkinnedMesh")->getVertexCount());
    Group* skeleton = m_table.resolve<Group>(record.skeleton);
    if (dynamic_cast<World*>(skeleton))
        fail("The skeleton of a SkinnedMesh can not be a World.");
    if (skeleton->getParent())
        fail("The skeleton of a SkinnedMesh already has a parent.");
    core::Ref<SkinnedMesh> mesh = VORNA3D_NEW SkinnedMesh(vertices, indexBuffers, appearances, skeleton);
    setToClass(static_cast<const M3G_Node&>(record), *mesh);
    for (const M3G_TransformReference& reference : record.transformReferences) {
        Node* bone = m_table.resolve<Node>(reference.transformNode);
        const Node* n = bone;
        while (n && n != skeleton)
            n = n->getParent();
        if (!n)
            fail("A transform node of a SkinnedMesh is not in its skeleton.");
        if (uint64_t(reference.firstVertex) + reference.vertexCount > vertexCount)
            fail("A transform reference of a SkinnedMesh goes beyond its vertices.");
        try {
            mesh->addTransform(bone, reference.weight, static_cast<int>(reference.firstVertex),
                               static_cast<int>(reference.vertexCount));
        } catch (const ArithmeticException&) {
            fail("A bone transform of a SkinnedMesh is not invertible.");
        }
    }
    return mesh;
}

} // namespace render
