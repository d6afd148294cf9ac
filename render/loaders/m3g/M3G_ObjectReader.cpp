// The record dispatch, the parts every record shares (Object3D,
// Transformable, Node) and the reading helpers.

#include "render/loaders/m3g/M3G_ObjectReader.h"

#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/Debug.h"
#include "core/String.h"
#include "render/animation/AnimationController.h"
#include "render/animation/AnimationTrack.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/appearance/CompositingMode.h"
#include "render/appearance/Fog.h"
#include "render/appearance/Image2D.h"
#include "render/animation/KeyframeSequence.h"
#include "render/scene/Light.h"
#include "render/loaders/m3g/M3G_ObjectTypes.h"
#include "render/appearance/Material.h"
#include "render/scene/Mesh.h"
#include "render/scene/MorphingMesh.h"
#include "render/scene/Node.h"
#include "render/appearance/PolygonMode.h"
#include "render/scene/SkinnedMesh.h"
#include "render/appearance/Texture2D.h"
#include "render/scene/Transform.h"
#include "render/scene/Transformable.h"
#include "render/geometry/TriangleStripArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "render/scene/World.h"

namespace render {

M3G_ObjectReader::M3G_ObjectReader(M3G_ObjectTable& table) : m_table(table)
{
}

core::Ref<Object3D> M3G_ObjectReader::read(int type, core::DataIO& in)
{
    switch (type) {
    case M3G_APPEARANCE: {
        M3G_Appearance record;
        parseAppearance(in, record);
        return setToClass(record);
    }
    case M3G_BACKGROUND: {
        M3G_Background record;
        parseBackground(in, record);
        return setToClass(record);
    }
    case M3G_CAMERA: {
        M3G_Camera record;
        parseCamera(in, record);
        return setToClass(record);
    }
    case M3G_COMPOSITING_MODE: {
        M3G_CompositingMode record;
        parseCompositingMode(in, record);
        return setToClass(record);
    }
    case M3G_FOG: {
        M3G_Fog record;
        parseFog(in, record);
        return setToClass(record);
    }
    case M3G_POLYGON_MODE: {
        M3G_PolygonMode record;
        parsePolygonMode(in, record);
        return setToClass(record);
    }
    case M3G_GROUP: {
        M3G_Group record;
        parseGroup(in, record);
        return setToClass(record);
    }
    case M3G_IMAGE2D: {
        M3G_Image2D record;
        parseImage2D(in, record);
        return setToClass(record);
    }
    case M3G_TRIANGLE_STRIP_ARRAY: {
        M3G_TriangleStripArray record;
        parseTriangleStripArray(in, record);
        return setToClass(record);
    }
    case M3G_LIGHT: {
        M3G_Light record;
        parseLight(in, record);
        return setToClass(record);
    }
    case M3G_MATERIAL: {
        M3G_Material record;
        parseMaterial(in, record);
        return setToClass(record);
    }
    case M3G_MESH: {
        M3G_Mesh record;
        parseMesh(in, record);
        return setToClass(record);
    }
    case M3G_TEXTURE2D: {
        M3G_Texture2D record;
        parseTexture2D(in, record);
        return setToClass(record);
    }
    case M3G_VERTEX_ARRAY: {
        M3G_VertexArray record;
        parseVertexArray(in, record);
        return setToClass(record);
    }
    case M3G_VERTEX_BUFFER: {
        M3G_VertexBuffer record;
        parseVertexBuffer(in, record);
        return setToClass(record);
    }
    case M3G_WORLD: {
        M3G_World record;
        parseWorld(in, record);
        return setToClass(record);
    }
    case M3G_SPRITE3D:
        fail("No implementation yet.");
    case M3G_ANIMATION_CONTROLLER: {
        M3G_AnimationController record;
        parseAnimationController(in, record);
        return setToClass(record);
    }
    case M3G_ANIMATION_TRACK: {
        M3G_AnimationTrack record;
        parseAnimationTrack(in, record);
        return setToClass(record);
    }
    case M3G_MORPHING_MESH: {
        M3G_MorphingMesh record;
        parseMorphingMesh(in, record);
        return setToClass(record);
    }
    case M3G_SKINNED_MESH: {
        M3G_SkinnedMesh record;
        parseSkinnedMesh(in, record);
        return setToClass(record);
    }
    case M3G_KEYFRAME_SEQUENCE: {
        M3G_KeyframeSequence record;
        parseKeyframeSequence(in, record);
        return setToClass(record);
    }
    default:
        fail("Object type is not valid in object chunk.");
    }
}

// ---- Object3D ----

void M3G_ObjectReader::parseObject3D(core::DataIO& in, M3G_Object3D& record)
{
    record.userID = in.readUInt32();
    const uint32_t trackCount = readCount(in, 4, "Animation track");
    readIndices(in, trackCount, record.animationTracks);

    // Each parameter takes at least its ID and its length.
    const uint32_t parameterCount = readCount(in, 8, "User parameter");
    record.userParameters.reserve(static_cast<int>(parameterCount));
    core::Vector<unsigned char> bytes;
    for (uint32_t i = 0; i < parameterCount; ++i) {
        M3G_UserParameter parameter;
        parameter.parameterID = in.readUInt32();
        for (const M3G_UserParameter& earlier : record.userParameters)
            if (earlier.parameterID == parameter.parameterID)
                failf("User parameter ID %u appears twice.", parameter.parameterID);
        const uint32_t length = readCount(in, 1, "User parameter byte");
        in.readBytes(bytes, length);
        parameter.value.setSizeForNativeType(static_cast<int>(length));
        if (length > 0)
            std::memcpy(parameter.value.data(), bytes.data(), length);
        record.userParameters.add(parameter);
    }
}

void M3G_ObjectReader::setToClass(const M3G_Object3D& record, Object3D& object)
{
    object.setUserID(static_cast<int>(record.userID));
    for (uint32_t index : record.animationTracks) {
        AnimationTrack* track = m_table.resolve<AnimationTrack>(index);
        if (!track)
            fail("Animation track reference is 0.");
        checkAnimationTarget(object, *track);
        object.addAnimationTrack(track);
    }
    if (!record.userParameters.isEmpty()) {
        core::Ref<Object3D::UserParameterTable> table =
            VORNA3D_NEW Object3D::UserParameterTable(record.userParameters.size(), 0.75f);
        for (const M3G_UserParameter& parameter : record.userParameters)
            table->put(static_cast<int>(parameter.parameterID), parameter.value);
        object.setUserObject(table);
    }
}

// ---- Transformable ----

void M3G_ObjectReader::parseTransformable(core::DataIO& in, M3G_Transformable& record)
{
    parseObject3D(in, record);
    record.hasComponentTransform = in.readBoolean();
    if (record.hasComponentTransform) {
        for (float& value : record.translation)
            value = in.readFloat32();
        for (float& value : record.scale)
            value = in.readFloat32();
        record.orientationAngle = in.readFloat32();
        for (float& value : record.orientationAxis)
            value = in.readFloat32();
        // Any axis goes with a zero angle; a zero axis only with one.
        const float* axis = record.orientationAxis;
        const bool zeroAxis =
            std::fabs(axis[0]) < FLT_MIN && std::fabs(axis[1]) < FLT_MIN && std::fabs(axis[2]) < FLT_MIN;
        if (zeroAxis && std::fabs(record.orientationAngle) >= FLT_MIN)
            fail("Orientation axis is zero and the angle is not.");
    }
    record.hasGeneralTransform = in.readBoolean();
    if (record.hasGeneralTransform)
        for (float& value : record.transform)
            value = in.readFloat32();
}

void M3G_ObjectReader::setToClass(const M3G_Transformable& record, Transformable& object)
{
    setToClass(static_cast<const M3G_Object3D&>(record), object);
    if (record.hasComponentTransform) {
        object.setTranslation(record.translation[0], record.translation[1], record.translation[2]);
        object.setScale(record.scale[0], record.scale[1], record.scale[2]);
        // The axis is normalised here in double precision: a float
        // normalisation of a very long or very short (but not zero) axis
        // could overflow or underflow.
        const double x = record.orientationAxis[0], y = record.orientationAxis[1], z = record.orientationAxis[2];
        const double length = std::sqrt(x * x + y * y + z * z);
        const bool zeroAxis = std::fabs(record.orientationAxis[0]) < FLT_MIN &&
            std::fabs(record.orientationAxis[1]) < FLT_MIN && std::fabs(record.orientationAxis[2]) < FLT_MIN;
        if (zeroAxis || length == 0.0)
            object.setOrientation(0.f, 0.f, 0.f, 0.f);
        else
            object.setOrientation(record.orientationAngle, static_cast<float>(x / length),
                                  static_cast<float>(y / length), static_cast<float>(z / length));
    }
    if (record.hasGeneralTransform) {
        Transform transform;
        transform.set(record.transform);
        object.setTransform(transform);
    }
}

// ---- Node ----

void M3G_ObjectReader::parseNode(core::DataIO& in, M3G_Node& record)
{
    parseTransformable(in, record);
    record.enableRendering = in.readBoolean();
    record.enablePicking = in.readBoolean();
    record.alphaFactor = in.readByte();
    record.scope = in.readUInt32();
    record.hasAlignment = in.readBoolean();
    if (record.hasAlignment) {
        record.zTarget = in.readByte();
        record.yTarget = in.readByte();
        record.zReference = in.readUInt32();
        record.yReference = in.readUInt32();
        if (record.zTarget != Node::NONE && record.zTarget != Node::ORIGIN && record.zTarget != Node::Z_AXIS)
            fail("Node aligment: Invalid z-target axis");
        if (record.yTarget != Node::NONE && record.yTarget != Node::ORIGIN && record.yTarget != Node::Y_AXIS)
            fail("Node aligment: Invalid y-target axis");
    }
}

void M3G_ObjectReader::setToClass(const M3G_Node& record, Node& node)
{
    setToClass(static_cast<const M3G_Transformable&>(record), node);
    node.setRenderingEnable(record.enableRendering);
    node.setPickingEnable(record.enablePicking);
    node.setAlphaFactor(record.alphaFactor / 255.f);
    node.setScope(static_cast<int>(record.scope));
    if (!record.hasAlignment)
        return;
    // The alignment references are not counted by the node: they do not
    // make their targets stop being roots, so a target that nothing else
    // holds is handed to the caller instead of dying with the load.
    Node* zReference = m_table.resolve<Node>(record.zReference, false);
    Node* yReference = m_table.resolve<Node>(record.yReference, false);
    int zTarget = record.zTarget;
    int yTarget = record.yTarget;
    // An axis aligned to nothing cannot be aligned: it is left unaligned.
    if (zTarget == Node::Z_AXIS && !zReference) {
        warn("Node aligment: z-axis reference object is 0 when z-target is Z_AXIS");
        zTarget = Node::NONE;
    }
    if (yTarget == Node::Y_AXIS && !yReference) {
        warn("Node aligment: y-axis reference object is 0 when y-target is Y_AXIS");
        yTarget = Node::NONE;
    }
    if (zTarget == Node::ORIGIN && zReference)
        warn("Node aligment: z-axis reference object is not 0 when z-target is ORIGIN");
    if (yTarget == Node::ORIGIN && yReference)
        warn("Node aligment: y-axis reference object is not 0 when y-target is ORIGIN");
    node.setAlignment(zReference, zTarget, yReference, yTarget);
}

// ---- Helpers ----

uint32_t M3G_ObjectReader::readCount(core::DataIO& in, uint32_t bytesPerElement, const char* what)
{
    const uint32_t count = in.readUInt32();
    const uint64_t needed = uint64_t(count) * bytesPerElement;
    if (needed > in.getByteCount())
        failf("%s count %u does not fit in the %u bytes left of the object.", what, count, in.getByteCount());
    return count;
}

uint32_t M3G_ObjectReader::readColorRGB(core::DataIO& in)
{
    const uint32_t r = in.readByte();
    const uint32_t g = in.readByte();
    const uint32_t b = in.readByte();
    return (r << 16) | (g << 8) | b;
}

uint32_t M3G_ObjectReader::readColorRGBA(core::DataIO& in)
{
    const uint32_t rgb = readColorRGB(in);
    const uint32_t a = in.readByte();
    return (a << 24) | rgb;
}

void M3G_ObjectReader::readIndices(core::DataIO& in, uint32_t count, core::Vector<uint32_t>& out)
{
    out.reserve(out.size() + static_cast<int>(count));
    for (uint32_t i = 0; i < count; ++i)
        out.add(in.readUInt32());
}

void M3G_ObjectReader::warn(const char* message)
{
    core::Debug::printf(core::DEBUG_LEVEL_WARNING, "Parse warning: \"%s\"\n", message);
}

void M3G_ObjectReader::failf(const char* format, ...) const
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    fail(text);
}

} // namespace render
