// Node records: Group, World, Camera, Light and Mesh.

#include <cfloat>
#include <cmath>

#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/scene/Group.h"
#include "render/geometry/IndexBuffer.h"
#include "render/scene/Light.h"
#include "render/loaders/m3g/M3G_ObjectReader.h"
#include "render/scene/Mesh.h"
#include "render/scene/Transform.h"
#include "render/geometry/VertexBuffer.h"
#include "render/scene/World.h"
#include "slmath/slmath.h"

namespace render {

namespace {

// Whether the camera's projection matrix for these parameters is finite.
// The expressions are the camera's own, in the same float arithmetic, so
// parameters that pass here cannot make the camera's matrix fail.
bool projectionIsFinite(int type, float fovy, float aspectRatio, float n, float f)
{
    if (std::fabs(n - f) <= FLT_MIN)
        return false;
    const float depth = f - n;
    float entries[4];
    if (type == Camera::PARALLEL) {
        entries[0] = 2.f / (fovy * aspectRatio);
        entries[1] = 2.f / fovy;
        entries[2] = -2.f / depth;
        entries[3] = -(f + n) / depth;
    } else {
        const float t = std::tan(fovy * slmath::DEG_TO_RAD / 2.f);
        entries[0] = 1.f / (t * aspectRatio);
        entries[1] = 1.f / t;
        entries[2] = -(f + n) / depth;
        entries[3] = -2.f * n * f / depth;
    }
    for (float e : entries)
        if (!std::isfinite(e))
            return false;
    return true;
}

} // namespace

// ---- Group and World ----

void M3G_ObjectReader::parseGroup(core::DataIO& in, M3G_Group& record)
{
    parseNode(in, record);
    const uint32_t count = readCount(in, 4, "Child");
    readIndices(in, count, record.children);
}

void M3G_ObjectReader::setToClass(const M3G_Group& record, Group& group)
{
    setToClass(static_cast<const M3G_Node&>(record), group);
    for (uint32_t index : record.children) {
        Node* child = m_table.resolve<Node>(index);
        if (!child)
            fail("Group child reference is 0.");
        // Checked here so that a file breaking a rule of addChild is a
        // parse error. Children come before their group in the file, so no
        // child can be an ancestor of the group.
        if (dynamic_cast<World*>(child))
            fail("A World can not be the child of a Group.");
        if (child->getParent())
            fail("A node can not be the child of two groups.");
        group.addChild(child);
    }
}

core::Ref<Group> M3G_ObjectReader::setToClass(const M3G_Group& record)
{
    core::Ref<Group> group = VORNA3D_NEW Group();
    setToClass(record, *group);
    return group;
}

void M3G_ObjectReader::parseWorld(core::DataIO& in, M3G_World& record)
{
    parseGroup(in, record);
    record.activeCamera = in.readUInt32();
    record.background = in.readUInt32();
}

core::Ref<World> M3G_ObjectReader::setToClass(const M3G_World& record)
{
    core::Ref<World> world = VORNA3D_NEW World();
    setToClass(static_cast<const M3G_Group&>(record), *world);
    if (Camera* camera = m_table.resolve<Camera>(record.activeCamera))
        world->setActiveCamera(camera);
    world->setBackground(m_table.resolve<Background>(record.background));
    return world;
}

// ---- Camera ----

void M3G_ObjectReader::parseCamera(core::DataIO& in, M3G_Camera& record)
{
    parseNode(in, record);
    record.projectionType = in.readByte();
    switch (record.projectionType) {
    case Camera::GENERIC:
        for (float& value : record.projectionMatrix)
            value = in.readFloat32();
        break;
    case Camera::PARALLEL:
    case Camera::PERSPECTIVE:
        record.fovy = in.readFloat32();
        record.aspectRatio = in.readFloat32();
        record.nearPlane = in.readFloat32();
        record.farPlane = in.readFloat32();
        break;
    default:
        fail("Camera projection type not correct.");
    }
    if (record.projectionType == Camera::PERSPECTIVE &&
        !(record.fovy > 0 && record.fovy < 180 && record.aspectRatio > 0 && record.nearPlane > 0 &&
          record.farPlane > 0))
        fail("Camera perspective projection needs 0 < fovy < 180 and a positive aspect ratio, near and far.");
    if (record.projectionType == Camera::PARALLEL && !(record.fovy > 0 && record.aspectRatio > 0))
        fail("Camera parallel projection needs a positive height and aspect ratio.");
    if (record.projectionType != Camera::GENERIC &&
        !projectionIsFinite(record.projectionType, record.fovy, record.aspectRatio, record.nearPlane, record.farPlane))
        fail("Camera projection parameters do not give a valid projection matrix.");
}

core::Ref<Camera> M3G_ObjectReader::setToClass(const M3G_Camera& record)
{
    core::Ref<Camera> camera = VORNA3D_NEW Camera();
    setToClass(static_cast<const M3G_Node&>(record), *camera);
    if (record.projectionType == Camera::GENERIC) {
        Transform projection;
        projection.set(record.projectionMatrix);
        camera->setGeneric(projection);
    } else if (record.projectionType == Camera::PARALLEL) {
        camera->setParallel(record.fovy, record.aspectRatio, record.nearPlane, record.farPlane);
    } else {
        camera->setPerspective(record.fovy, record.aspectRatio, record.nearPlane, record.farPlane);
    }
    return camera;
}

// ---- Light ----

void M3G_ObjectReader::parseLight(core::DataIO& in, M3G_Light& record)
{
    parseNode(in, record);
    record.attenuationConstant = in.readFloat32();
    record.attenuationLinear = in.readFloat32();
    record.attenuationQuadratic = in.readFloat32();
    record.color = readColorRGB(in);
    record.mode = in.readByte();
    record.intensity = in.readFloat32();
    record.spotAngle = in.readFloat32();
    record.spotExponent = in.readFloat32();
    if (record.mode < Light::AMBIENT || record.mode > Light::SPOT)
        fail("The Light mode field does not hold a valid enumerated value, as specified in the class definition.");
    const float c = record.attenuationConstant, l = record.attenuationLinear, q = record.attenuationQuadratic;
    if (c < 0 || l < 0 || q < 0 || (c == 0 && l == 0 && q == 0))
        fail("Light attenuation factors must not be negative and one of them must be positive.");
    if (record.spotAngle < 0 || record.spotAngle > 90)
        fail("Light spot angle is not in 0..90.");
    if (record.spotExponent < 0 || record.spotExponent > 128)
        fail("Light spot exponent is not in 0..128.");
}

core::Ref<Light> M3G_ObjectReader::setToClass(const M3G_Light& record)
{
    core::Ref<Light> light = VORNA3D_NEW Light();
    setToClass(static_cast<const M3G_Node&>(record), *light);
    light->setAttenuation(record.attenuationConstant, record.attenuationLinear, record.attenuationQuadratic);
    light->setColor(static_cast<int>(record.color));
    light->setMode(record.mode);
    light->setIntensity(record.intensity);
    light->setSpotAngle(record.spotAngle);
    light->setSpotExponent(record.spotExponent);
    return light;
}

// ---- Mesh ----

void M3G_ObjectReader::parseMesh(core::DataIO& in, M3G_Mesh& record)
{
    parseNode(in, record);
    record.vertexBuffer = in.readUInt32();
    const uint32_t count = readCount(in, 8, "Submesh");
    record.submeshes.reserve(static_cast<int>(count));
    for (uint32_t i = 0; i < count; ++i) {
        M3G_SubMesh submesh;
        submesh.indexBuffer = in.readUInt32();
        submesh.appearance = in.readUInt32();
        record.submeshes.add(submesh);
    }
    if (record.vertexBuffer == 0)
        fail("Vertex buffer not specified for mesh.");
    if (record.submeshes.isEmpty())
        fail("Submeshes not specified for mesh.");
    for (const M3G_SubMesh& submesh : record.submeshes) {
        if (submesh.indexBuffer == 0)
            fail("Not all index buffers are specified for mesh.");
        if (submesh.appearance == 0)
            fail("Not all appearances are specified for mesh.");
    }
}

void M3G_ObjectReader::resolveMeshParts(const M3G_Mesh& record, VertexBuffer*& vertices,
                                        core::Vector<core::Ref<IndexBuffer>>& indexBuffers,
                                        core::Vector<core::Ref<Appearance>>& appearances)
{
    vertices = m_table.resolve<VertexBuffer>(record.vertexBuffer);
    const int vertexCount = vertices->getVertexCount();
    for (const M3G_SubMesh& submesh : record.submeshes) {
        IndexBuffer* indices = m_table.resolve<IndexBuffer>(submesh.indexBuffer);
        // Every index must address a vertex: the renderer and picking index
        // the vertex arrays with them unchecked.
        const unsigned short* index = indices->getPtr();
        for (int i = 0; i < indices->getIndexCount(); ++i)
            if (index[i] >= vertexCount)
                failf("Mesh index %d is beyond the %d vertices of its vertex buffer.", index[i], vertexCount);
        indexBuffers.add(core::Ref<IndexBuffer>(indices));
        appearances.add(core::Ref<Appearance>(m_table.resolve<Appearance>(submesh.appearance)));
    }
}

core::Ref<Mesh> M3G_ObjectReader::setToClass(const M3G_Mesh& record)
{
    VertexBuffer* vertices = nullptr;
    core::Vector<core::Ref<IndexBuffer>> indexBuffers;
    core::Vector<core::Ref<Appearance>> appearances;
    resolveMeshParts(record, vertices, indexBuffers, appearances);
    core::Ref<Mesh> mesh = VORNA3D_NEW Mesh(vertices, indexBuffers, appearances);
    setToClass(static_cast<const M3G_Node&>(record), *mesh);
    return mesh;
}

} // namespace render
