#include "render/scene/SceneBounds.h"

#include <cmath>

#include "core/Debug.h"
#include "render/scene/Group.h"
#include "render/scene/Mesh.h"
#include "render/scene/SkinnedMesh.h"
#include "render/scene/Transform.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"

namespace render {

namespace {

// Whether the mesh has positions whose extent can be read: a static array
// whose bounds are out of date cannot be read back.
bool hasReadablePositions(const Mesh& mesh)
{
    const VertexBuffer* vb = mesh.getVertexBuffer();
    const VertexArray* va = vb ? vb->getPositions() : nullptr;
    if (!va || va->getVertexCount() == 0 || va->getComponentCount() < 2)
        return false;
    return !(va->isStatic() && va->isDirty());
}

bool finite(const slmath::vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

void SceneBounds::add(Node* node, const Transform* parentTransform)
{
    ASSERT(node);
    Transform local;
    node->getCompositeTransform(&local);
    Transform world;
    if (parentTransform)
        world.set(*parentTransform);
    world.postMultiply(local);
    addPlaced(node, world);
}

void SceneBounds::add(const slmath::vec3& boxMin, const slmath::vec3& boxMax)
{
    if (!finite(boxMin) || !finite(boxMax))
        return;
    if (m_empty) {
        m_min = boxMin;
        m_max = boxMax;
        m_empty = false;
        return;
    }
    m_min = slmath::vec3(std::fmin(m_min.x, boxMin.x), std::fmin(m_min.y, boxMin.y), std::fmin(m_min.z, boxMin.z));
    m_max = slmath::vec3(std::fmax(m_max.x, boxMax.x), std::fmax(m_max.y, boxMax.y), std::fmax(m_max.z, boxMax.z));
}

float SceneBounds::getRadius() const
{
    return m_empty ? 0.f : 0.5f * slmath::length(m_max - m_min);
}

void SceneBounds::addPlaced(Node* node, const Transform& world)
{
    if (!node->isRenderingEnabled())
        return;
    if (Mesh* mesh = dynamic_cast<Mesh*>(node)) {
        if (hasReadablePositions(*mesh)) {
            slmath::vec3 boxMin, boxMax;
            mesh->getBoundingBox(&boxMin, &boxMax, &world);
            add(boxMin, boxMax);
        }
        // Meshes hung on the bones of a skeleton show too.
        if (SkinnedMesh* skinned = dynamic_cast<SkinnedMesh*>(mesh))
            if (skinned->hasSkeleton())
                add(skinned->getSkeleton(), &world);
        return;
    }
    if (Group* group = dynamic_cast<Group*>(node))
        for (int i = 0; i < group->getChildCount(); ++i)
            add(group->getChild(i), &world);
}

} // namespace render
