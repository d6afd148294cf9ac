// Node records: Group, World, Camera, Light and Mesh.

#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/scene/Group.h"
#include "render/geometry/IndexBuffer.h"
#include "render/scene/Light.h"
#include "render/loaders/m3g/M3G_ObjectWriter.h"
#include "render/scene/Mesh.h"
#include "render/scene/Transform.h"
#include "render/geometry/VertexBuffer.h"
#include "render/scene/World.h"

namespace render {

// ---- Group and World ----

void M3G_ObjectWriter::setToStruct(Group& group, M3G_Group& record)
{
    setToStruct(static_cast<Node&>(group), record);
    for (int i = 0; i < group.getChildCount(); ++i)
        record.children.add(indexOf(group.getChild(i)));
}

void M3G_ObjectWriter::saveGroup(const M3G_Group& record, core::DataIO& out)
{
    saveNode(record, out);
    saveIndices(record.children, out);
}

void M3G_ObjectWriter::setToStruct(World& world, M3G_World& record)
{
    setToStruct(static_cast<Group&>(world), record);
    record.activeCamera = indexOf(world.getActiveCamera());
    record.background = indexOf(world.getBackground());
}

void M3G_ObjectWriter::saveWorld(const M3G_World& record, core::DataIO& out)
{
    saveGroup(record, out);
    out.writeUInt32(record.activeCamera);
    out.writeUInt32(record.background);
}

// ---- Camera ----

void M3G_ObjectWriter::setToStruct(Camera& camera, M3G_Camera& record)
{
    setToStruct(static_cast<Node&>(camera), record);
    float params[4];
    const int type = camera.getProjection(params);
    if (type == Camera::PARALLEL || type == Camera::PERSPECTIVE) {
        record.projectionType = static_cast<uint8_t>(type);
        record.fovy = params[0];
        record.aspectRatio = params[1];
        record.nearPlane = params[2];
        record.farPlane = params[3];
        return;
    }
    // A generic camera, and this engine's parallel projection by its six
    // bounds, which a file has no type for: the projection matrix itself.
    record.projectionType = Camera::GENERIC;
    Transform projection;
    camera.getProjection(&projection);
    projection.get(record.projectionMatrix);
}

void M3G_ObjectWriter::saveCamera(const M3G_Camera& record, core::DataIO& out)
{
    saveNode(record, out);
    out.writeByte(record.projectionType);
    if (record.projectionType == Camera::GENERIC) {
        for (float value : record.projectionMatrix)
            out.writeFloat32(value);
    } else {
        out.writeFloat32(record.fovy);
        out.writeFloat32(record.aspectRatio);
        out.writeFloat32(record.nearPlane);
        out.writeFloat32(record.farPlane);
    }
}

// ---- Light ----

void M3G_ObjectWriter::setToStruct(Light& light, M3G_Light& record)
{
    setToStruct(static_cast<Node&>(light), record);
    record.attenuationConstant = light.getConstantAttenuation();
    record.attenuationLinear = light.getLinearAttenuation();
    record.attenuationQuadratic = light.getQuadraticAttenuation();
    record.color = static_cast<uint32_t>(light.getColor()) & 0x00FFFFFFu;
    if (light.getMode() < Light::AMBIENT || light.getMode() > Light::SPOT)
        fail("Too big mode in Light!");
    record.mode = static_cast<uint8_t>(light.getMode());
    record.intensity = light.getIntensity();
    record.spotAngle = light.getSpotAngle();
    record.spotExponent = light.getSpotExponent();
}

void M3G_ObjectWriter::saveLight(const M3G_Light& record, core::DataIO& out)
{
    saveNode(record, out);
    out.writeFloat32(record.attenuationConstant);
    out.writeFloat32(record.attenuationLinear);
    out.writeFloat32(record.attenuationQuadratic);
    saveColorRGB(record.color, out);
    out.writeByte(record.mode);
    out.writeFloat32(record.intensity);
    out.writeFloat32(record.spotAngle);
    out.writeFloat32(record.spotExponent);
}

// ---- Mesh ----

void M3G_ObjectWriter::setToStruct(Mesh& mesh, M3G_Mesh& record)
{
    setToStruct(static_cast<Node&>(mesh), record);
    record.vertexBuffer = indexOf(mesh.getVertexBuffer());
    for (int i = 0; i < mesh.getSubmeshCount(); ++i) {
        // A file's submesh always has an appearance (the reader insists on one).
        if (!mesh.getAppearance(i))
            fail("Not all appearances are specified for mesh.");
        M3G_SubMesh submesh;
        submesh.indexBuffer = indexOf(mesh.getIndexBuffer(i));
        submesh.appearance = indexOf(mesh.getAppearance(i));
        record.submeshes.add(submesh);
    }
}

void M3G_ObjectWriter::saveMesh(const M3G_Mesh& record, core::DataIO& out)
{
    saveNode(record, out);
    out.writeUInt32(record.vertexBuffer);
    out.writeUInt32(static_cast<uint32_t>(record.submeshes.size()));
    for (const M3G_SubMesh& submesh : record.submeshes) {
        out.writeUInt32(submesh.indexBuffer);
        out.writeUInt32(submesh.appearance);
    }
}

} // namespace render
