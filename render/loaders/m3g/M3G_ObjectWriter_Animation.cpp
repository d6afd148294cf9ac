// Animation and deformable-mesh records: AnimationController,
// AnimationTrack, KeyframeSequence (written with float keyframes, encoding
// 0, which holds every value exactly), MorphingMesh and SkinnedMesh.

#include "core/Debug.h"
#include "render/animation/AnimationController.h"
#include "render/animation/AnimationTrack.h"
#include "render/scene/Group.h"
#include "render/animation/KeyframeSequence.h"
#include "render/loaders/m3g/M3G_ObjectWriter.h"
#include "render/scene/MorphingMesh.h"
#include "render/scene/SkinnedMesh.h"
#include "render/geometry/VertexBuffer.h"

namespace render {

// ---- AnimationController ----

void M3G_ObjectWriter::setToStruct(AnimationController& controller, M3G_AnimationController& record)
{
    setToStruct(static_cast<Object3D&>(controller), record);
    record.speed = controller.getSpeed();
    record.weight = controller.getWeight();
    record.activeIntervalStart = controller.getActiveIntervalStart();
    record.activeIntervalEnd = controller.getActiveIntervalEnd();
    record.referenceSequenceTime = controller.getRefSequenceTime();
    record.referenceWorldTime = controller.getRefWorldTime();
}

void M3G_ObjectWriter::saveAnimationController(const M3G_AnimationController& record, core::DataIO& out)
{
    saveObject3D(record, out);
    out.writeFloat32(record.speed);
    out.writeFloat32(record.weight);
    out.writeInt32(record.activeIntervalStart);
    out.writeInt32(record.activeIntervalEnd);
    out.writeFloat32(record.referenceSequenceTime);
    out.writeInt32(record.referenceWorldTime);
}

// ---- AnimationTrack ----

void M3G_ObjectWriter::setToStruct(AnimationTrack& track, M3G_AnimationTrack& record)
{
    setToStruct(static_cast<Object3D&>(track), record);
    record.keyframeSequence = indexOf(track.getKeyframeSequence());
    record.animationController = indexOf(track.getController());
    record.propertyID = static_cast<uint32_t>(track.getTargetProperty());
}

void M3G_ObjectWriter::saveAnimationTrack(const M3G_AnimationTrack& record, core::DataIO& out)
{
    saveObject3D(record, out);
    out.writeUInt32(record.keyframeSequence);
    out.writeUInt32(record.animationController);
    out.writeUInt32(record.propertyID);
}

// ---- KeyframeSequence ----

void M3G_ObjectWriter::setToStruct(KeyframeSequence& sequence, M3G_KeyframeSequence& record)
{
    setToStruct(static_cast<Object3D&>(sequence), record);
    // A file's sequence has a duration and a time for every keyframe.
    if (!sequence.isDurationSet())
        fail("KeyframeSequence duration not set.");
    record.interpolation = static_cast<uint8_t>(sequence.getInterpolationType());
    record.repeatMode = static_cast<uint8_t>(sequence.getRepeatMode());
    record.encoding = M3G_KeyframeSequence::ENCODING_FLOAT32;
    record.duration = static_cast<uint32_t>(sequence.getDuration());
    record.validRangeFirst = static_cast<uint32_t>(sequence.getValidRangeFirst());
    record.validRangeLast = static_cast<uint32_t>(sequence.getValidRangeLast());
    record.componentCount = static_cast<uint32_t>(sequence.getComponentCount());
    record.keyframeCount = static_cast<uint32_t>(sequence.getKeyframeCount());
    if (record.keyframeCount == 0)
        fail("Keyframe count is less than or equal to zero in KeyframeSequence.");
    const int components = sequence.getComponentCount();
    record.float32Keys.times.reserve(sequence.getKeyframeCount());
    record.float32Keys.values.reserve(sequence.getKeyframeCount() * components);
    for (int k = 0; k < sequence.getKeyframeCount(); ++k) {
        const int time = sequence.keyframeTime(k);
        if (time < 0)
            fail("KeyframeSequence keyframe time not set.");
        record.float32Keys.times.add(static_cast<uint32_t>(time));
        const float* values = sequence.keyframeValues(k);
        for (int c = 0; c < components; ++c)
            record.float32Keys.values.add(values[c]);
    }
}

void M3G_ObjectWriter::saveKeyframeSequence(const M3G_KeyframeSequence& record, core::DataIO& out)
{
    saveObject3D(record, out);
    out.writeByte(record.interpolation);
    out.writeByte(record.repeatMode);
    out.writeByte(record.encoding);
    out.writeUInt32(record.duration);
    out.writeUInt32(record.validRangeFirst);
    out.writeUInt32(record.validRangeLast);
    out.writeUInt32(record.componentCount);
    out.writeUInt32(record.keyframeCount);
    const int components = static_cast<int>(record.componentCount);
    for (int k = 0; k < static_cast<int>(record.keyframeCount); ++k) {
        switch (record.encoding) {
        case M3G_KeyframeSequence::ENCODING_FLOAT32:
            out.writeUInt32(record.float32Keys.times[k]);
            for (int c = 0; c < components; ++c)
                out.writeFloat32(record.float32Keys.values[k * components + c]);
            break;
        case M3G_KeyframeSequence::ENCODING_BYTE:
            if (k == 0) {
                for (float bias : record.byteKeys.bias)
                    out.writeFloat32(bias);
                for (float scale : record.byteKeys.scale)
                    out.writeFloat32(scale);
            }
            out.writeUInt32(record.byteKeys.times[k]);
            for (int c = 0; c < components; ++c)
                out.writeByte(record.byteKeys.values[k * components + c]);
            break;
        default:
            if (k == 0) {
                for (float bias : record.uint16Keys.bias)
                    out.writeFloat32(bias);
                for (float scale : record.uint16Keys.scale)
                    out.writeFloat32(scale);
            }
            out.writeUInt32(record.uint16Keys.times[k]);
            for (int c = 0; c < components; ++c)
                out.writeUInt16(record.uint16Keys.values[k * components + c]);
            break;
        }
    }
}

// ---- MorphingMesh ----

void M3G_ObjectWriter::setToStruct(MorphingMesh& mesh, M3G_MorphingMesh& record)
{
    setToStruct(static_cast<Mesh&>(mesh), record);
    for (int i = 0; i < mesh.getMorphTargetCount(); ++i) {
        M3G_MorphTarget target;
        target.morphTarget = indexOf(mesh.getMorphTarget(i));
        target.initialWeight = mesh.getWeights()[i];
        record.morphTargets.add(target);
    }
}

void M3G_ObjectWriter::saveMorphingMesh(const M3G_MorphingMesh& record, core::DataIO& out)
{
    saveMesh(record, out);
    out.writeUInt32(static_cast<uint32_t>(record.morphTargets.size()));
    for (const M3G_MorphTarget& target : record.morphTargets) {
        out.writeUInt32(target.morphTarget);
        out.writeFloat32(target.initialWeight);
    }
}

// ---- SkinnedMesh ----

void M3G_ObjectWriter::setToStruct(SkinnedMesh& mesh, M3G_SkinnedMesh& record)
{
    setToStruct(static_cast<Mesh&>(mesh), record);
    if (!mesh.hasSkeleton())
        fail("No skeleton set for SkinnedMesh.");
    record.skeleton = indexOf(mesh.getSkeleton());
    for (int i = 0; i < mesh.getTransformReferenceCount(); ++i) {
        const SkinnedMesh::TransformReference& reference = mesh.getTransformReference(i);
        M3G_TransformReference out;
        out.transformNode = indexOf(reference.bone);
        out.firstVertex = static_cast<uint32_t>(reference.firstVertex);
        out.vertexCount = static_cast<uint32_t>(reference.vertexCount);
        out.weight = reference.weight;
        record.transformReferences.add(out);
    }
}

void M3G_ObjectWriter::saveSkinnedMesh(const M3G_SkinnedMesh& record, core::DataIO& out)
{
    saveMesh(record, out);
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "SkinnedMesh:\n");
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "Skeleton: %d\n", static_cast<int>(record.skeleton));
    out.writeUInt32(record.skeleton);
    out.writeUInt32(static_cast<uint32_t>(record.transformReferences.size()));
    for (const M3G_TransformReference& reference : record.transformReferences) {
        core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "transformNode:%d, weight:%d, firstVertex:%d, vertexCount:%d\n",
                            static_cast<int>(reference.transformNode), reference.weight,
                            static_cast<int>(reference.firstVertex), static_cast<int>(reference.vertexCount));
        out.writeUInt32(reference.transformNode);
        out.writeUInt32(reference.firstVertex);
        out.writeUInt32(reference.vertexCount);
        out.writeInt32(reference.weight);
    }
}

} // namespace render
