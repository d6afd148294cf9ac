// The record dispatch of the writer, the parts every record shares
// (Object3D, Transformable, Node) and the writing helpers.

#include "render/loaders/m3g/M3G_ObjectWriter.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "core/Debug.h"
#include "render/animation/AnimationController.h"
#include "render/animation/AnimationTargets.h"
#include "render/animation/AnimationTrack.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/appearance/CompositingMode.h"
#include "render/appearance/Fog.h"
#include "render/appearance/Image2D.h"
#include "render/animation/KeyframeSequence.h"
#include "render/scene/Light.h"
#include "render/loaders/Loader.h"
#include "render/loaders/m3g/M3G_ObjectTypes.h"
#include "render/appearance/Material.h"
#include "render/scene/Mesh.h"
#include "render/scene/MorphingMesh.h"
#include "render/appearance/PolygonMode.h"
#include "render/scene/SkinnedMesh.h"
#include "render/appearance/Texture2D.h"
#include "render/scene/Transform.h"
#include "render/geometry/TriangleListArray.h"
#include "render/geometry/TriangleStripArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "render/scene/World.h"

namespace render {

M3G_ObjectWriter::M3G_ObjectWriter(const IndexTable& indices, const core::String& streamName, bool deltaEncode)
    : m_indices(indices), m_streamName(streamName), m_deltaEncode(deltaEncode)
{
}

int M3G_ObjectWriter::write(Object3D* object, core::DataIO& out)
{
    ASSERT(object);
    // Subclasses before their bases, as getM3GType tests them.
    if (World* world = dynamic_cast<World*>(object)) {
        M3G_World record;
        setToStruct(*world, record);
        saveWorld(record, out);
        return M3G_WORLD;
    }
    if (Group* group = dynamic_cast<Group*>(object)) {
        M3G_Group record;
        setToStruct(*group, record);
        saveGroup(record, out);
        return M3G_GROUP;
    }
    if (SkinnedMesh* skinned = dynamic_cast<SkinnedMesh*>(object)) {
        M3G_SkinnedMesh record;
        setToStruct(*skinned, record);
        saveSkinnedMesh(record, out);
        return M3G_SKINNED_MESH;
    }
    if (MorphingMesh* morphing = dynamic_cast<MorphingMesh*>(object)) {
        M3G_MorphingMesh record;
        setToStruct(*morphing, record);
        saveMorphingMesh(record, out);
        return M3G_MORPHING_MESH;
    }
    if (Mesh* mesh = dynamic_cast<Mesh*>(object)) {
        M3G_Mesh record;
        setToStruct(*mesh, record);
        saveMesh(record, out);
        return M3G_MESH;
    }
    if (Camera* camera = dynamic_cast<Camera*>(object)) {
        M3G_Camera record;
        setToStruct(*camera, record);
        saveCamera(record, out);
        return M3G_CAMERA;
    }
    if (Light* light = dynamic_cast<Light*>(object)) {
        M3G_Light record;
        setToStruct(*light, record);
        saveLight(record, out);
        return M3G_LIGHT;
    }
    if (Appearance* appearance = dynamic_cast<Appearance*>(object)) {
        M3G_Appearance record;
        setToStruct(*appearance, record);
        saveAppearance(record, out);
        return M3G_APPEARANCE;
    }
    if (Background* background = dynamic_cast<Background*>(object)) {
        M3G_Background record;
        setToStruct(*background, record);
        saveBackground(record, out);
        return M3G_BACKGROUND;
    }
    if (CompositingMode* compositing = dynamic_cast<CompositingMode*>(object)) {
        M3G_CompositingMode record;
        setToStruct(*compositing, record);
        saveCompositingMode(record, out);
        return M3G_COMPOSITING_MODE;
    }
    if (Fog* fog = dynamic_cast<Fog*>(object)) {
        M3G_Fog record;
        setToStruct(*fog, record);
        saveFog(record, out);
        return M3G_FOG;
    }
    if (PolygonMode* polygon = dynamic_cast<PolygonMode*>(object)) {
        M3G_PolygonMode record;
        setToStruct(*polygon, record);
        savePolygonMode(record, out);
        return M3G_POLYGON_MODE;
    }
    if (Material* material = dynamic_cast<Material*>(object)) {
        M3G_Material record;
        setToStruct(*material, record);
        saveMaterial(record, out);
        return M3G_MATERIAL;
    }
    if (Image2D* image = dynamic_cast<Image2D*>(object)) {
        M3G_Image2D record;
        setToStruct(*image, record);
        saveImage2D(record, out);
        return M3G_IMAGE2D;
    }
    if (Texture2D* texture = dynamic_cast<Texture2D*>(object)) {
        M3G_Texture2D record;
        setToStruct(*texture, record);
        saveTexture2D(record, out);
        return M3G_TEXTURE2D;
    }
    if (TriangleStripArray* strips = dynamic_cast<TriangleStripArray*>(object)) {
        M3G_TriangleStripArray record;
        setToStruct(*strips, record);
        saveTriangleStripArray(record, out);
        return M3G_TRIANGLE_STRIP_ARRAY;
    }
    if (TriangleListArray* triangles = dynamic_cast<TriangleListArray*>(object)) {
        M3G_TriangleStripArray record;
        setToStruct(*triangles, record);
        saveTriangleListArray(record, out);
        return M3G_TRIANGLE_STRIP_ARRAY;
    }
    if (VertexArray* array = dynamic_cast<VertexArray*>(object)) {
        M3G_VertexArray record;
        setToStruct(*array, record);
        saveVertexArray(record, out);
        return M3G_VERTEX_ARRAY;
    }
    if (VertexBuffer* buffer = dynamic_cast<VertexBuffer*>(object)) {
        M3G_VertexBuffer record;
        setToStruct(*buffer, record);
        saveVertexBuffer(record, out);
        return M3G_VERTEX_BUFFER;
    }
    if (AnimationController* controller = dynamic_cast<AnimationController*>(object)) {
        M3G_AnimationController record;
        setToStruct(*controller, record);
        saveAnimationController(record, out);
        return M3G_ANIMATION_CONTROLLER;
    }
    if (AnimationTrack* track = dynamic_cast<AnimationTrack*>(object)) {
        M3G_AnimationTrack record;
        setToStruct(*track, record);
        saveAnimationTrack(record, out);
        return M3G_ANIMATION_TRACK;
    }
    if (KeyframeSequence* sequence = dynamic_cast<KeyframeSequence*>(object)) {
        M3G_KeyframeSequence record;
        setToStruct(*sequence, record);
        saveKeyframeSequence(record, out);
        return M3G_KEYFRAME_SEQUENCE;
    }
    char message[128];
    std::snprintf(message, sizeof message, "Object type %s can not be written.", getM3GClassName(object));
    fail(message);
}

// ---- Object3D ----

void M3G_ObjectWriter::setToStruct(Object3D& object, M3G_Object3D& record)
{
    record.userID = static_cast<uint32_t>(object.getUserID());
    for (int i = 0; i < object.getAnimationTrackCount(); ++i) {
        AnimationTrack* track = object.getAnimationTrack(i);
        // The reader refuses a track that cannot animate its object.
        const int count = track->getKeyframeSequence()->getComponentCount();
        if (!acceptsAnimatedValue(&object, track->getTargetProperty(), count)) {
            char message[160];
            std::snprintf(message, sizeof message, "An animation track of %d components for %s does not apply to a %s.",
                          count, AnimationTrack::getTargetPropertyName(track->getTargetProperty()),
                          getM3GClassName(&object));
            fail(message);
        }
        record.animationTracks.add(indexOf(track));
    }
    const Object3D::UserParameterTable* table = object.getUserParameters();
    if (!table)
        return;
    // In ascending ID order, so that the same object always gives the same bytes.
    for (int i = 0; i < table->size(); ++i) {
        M3G_UserParameter parameter;
        int id = 0;
        table->get(i, parameter.value, id);
        parameter.parameterID = static_cast<uint32_t>(id);
        int at = record.userParameters.size();
        record.userParameters.add(parameter);
        while (at > 0 && record.userParameters[at - 1].parameterID > parameter.parameterID) {
            record.userParameters[at] = record.userParameters[at - 1];
            --at;
        }
        record.userParameters[at] = parameter;
    }
}

void M3G_ObjectWriter::saveObject3D(const M3G_Object3D& record, core::DataIO& out)
{
    out.writeUInt32(record.userID);
    saveIndices(record.animationTracks, out);
    out.writeUInt32(static_cast<uint32_t>(record.userParameters.size()));
    for (const M3G_UserParameter& parameter : record.userParameters) {
        out.writeUInt32(parameter.parameterID);
        out.writeUInt32(static_cast<uint32_t>(parameter.value.size()));
        out.writeBytes(parameter.value.data(), static_cast<uint32_t>(parameter.value.size()));
    }
}

// ---- Transformable ----

void M3G_ObjectWriter::setToStruct(Transformable& object, M3G_Transformable& record)
{
    setToStruct(static_cast<Object3D&>(object), record);
    const slmath::vec3 t = object.getTranslation();
    const slmath::vec3 s = object.getScale();
    float angleAxis[4];
    object.getOrientation(angleAxis);
    record.translation[0] = t.x;
    record.translation[1] = t.y;
    record.translation[2] = t.z;
    record.scale[0] = s.x;
    record.scale[1] = s.y;
    record.scale[2] = s.z;
    record.orientationAngle = angleAxis[0];
    for (int i = 0; i < 3; ++i)
        record.orientationAxis[i] = angleAxis[1 + i];
    // Only a transform that does something is written.
    record.hasComponentTransform =
        t.x != 0 || t.y != 0 || t.z != 0 || s.x != 1 || s.y != 1 || s.z != 1 || angleAxis[0] != 0;
    Transform general;
    object.getTransform(&general);
    general.get(record.transform);
    record.hasGeneralTransform = false;
    for (int i = 0; i < 16; ++i)
        if (record.transform[i] != ((i % 5 == 0) ? 1.f : 0.f))
            record.hasGeneralTransform = true;
}

void M3G_ObjectWriter::saveTransformable(const M3G_Transformable& record, core::DataIO& out)
{
    saveObject3D(record, out);
    out.writeBoolean(record.hasComponentTransform);
    if (record.hasComponentTransform) {
        for (float value : record.translation)
            out.writeFloat32(value);
        for (float value : record.scale)
            out.writeFloat32(value);
        out.writeFloat32(record.orientationAngle);
        for (float value : record.orientationAxis)
            out.writeFloat32(value);
    }
    out.writeBoolean(record.hasGeneralTransform);
    if (record.hasGeneralTransform)
        for (float value : record.transform)
            out.writeFloat32(value);
}

// ---- Node ----

void M3G_ObjectWriter::setToStruct(Node& node, M3G_Node& record)
{
    setToStruct(static_cast<Transformable&>(node), record);
    record.enableRendering = node.isRenderingEnabled();
    record.enablePicking = node.isPickingEnabled();
    const float alpha = node.getAlphaFactor();
    if (!(alpha >= 0.f && alpha <= 1.f))
        fail("Invalid alpha factor in Node");
    record.alphaFactor = static_cast<uint8_t>(std::lround(alpha * 255.f));
    record.scope = static_cast<uint32_t>(node.getScope());
    // Alignment has no file form here: the node is written without it.
    if (node.getZTarget() != Node::NONE || node.getYTarget() != Node::NONE)
        warn("Node aligment not supported.");
    record.hasAlignment = false;
}

void M3G_ObjectWriter::saveNode(const M3G_Node& record, core::DataIO& out)
{
    saveTransformable(record, out);
    out.writeBoolean(record.enableRendering);
    out.writeBoolean(record.enablePicking);
    out.writeByte(record.alphaFactor);
    out.writeUInt32(record.scope);
    out.writeBoolean(record.hasAlignment);
    if (record.hasAlignment) {
        out.writeByte(record.zTarget);
        out.writeByte(record.yTarget);
        out.writeUInt32(record.zReference);
        out.writeUInt32(record.yReference);
    }
}

// ---- Helpers ----

uint32_t M3G_ObjectWriter::indexOf(const Object3D* object) const
{
    if (!object)
        return 0;
    const uint32_t* index = m_indices.find(reinterpret_cast<uintptr_t>(object));
    if (!index) {
        char message[96];
        std::snprintf(message, sizeof message, "Object reference 0x%" PRIXPTR " not yet added to index table.",
                      reinterpret_cast<uintptr_t>(object));
        fail(message);
    }
    return *index;
}

void M3G_ObjectWriter::saveColorRGB(uint32_t rgb, core::DataIO& out)
{
    out.writeByte(static_cast<uint8_t>(rgb >> 16));
    out.writeByte(static_cast<uint8_t>(rgb >> 8));
    out.writeByte(static_cast<uint8_t>(rgb));
}

void M3G_ObjectWriter::saveColorRGBA(uint32_t argb, core::DataIO& out)
{
    saveColorRGB(argb, out);
    out.writeByte(static_cast<uint8_t>(argb >> 24));
}

void M3G_ObjectWriter::saveIndices(const core::Vector<uint32_t>& indices, core::DataIO& out)
{
    out.writeUInt32(static_cast<uint32_t>(indices.size()));
    for (uint32_t index : indices)
        out.writeUInt32(index);
}

void M3G_ObjectWriter::warn(const char* message)
{
    core::Debug::printf(core::DEBUG_LEVEL_WARNING, "Parse warning: \"%s\"\n", message);
}

void M3G_ObjectWriter::fail(const char* message) const
{
    throwParseError(m_streamName, message);
}

} // namespace render
