#include "render/scene/Mesh.h"

#include <cmath>

#include "render/appearance/Appearance.h"
#include "render/Graphics3D.h"
#include "render/geometry/IndexBuffer.h"
#include "render/scene/Object3D_References.h"
#include "render/scene/PickGeometry.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"

namespace render {

Mesh::Mesh(VertexBuffer* vertices, IndexBuffer* submesh, Appearance* appearance)
{
    ASSERT(vertices);
    ASSERT(submesh);
    m_vertexBuffer = vertices;
    m_submeshes.add(core::Ref<IndexBuffer>(submesh));
    m_appearances.add(core::Ref<Appearance>(appearance));
}

Mesh::Mesh(VertexBuffer* vertices, const core::Vector<core::Ref<IndexBuffer>>& submeshes,
           const core::Vector<core::Ref<Appearance>>& appearances)
{
    ASSERT(vertices);
    ASSERT(submeshes.size() > 0);
    ASSERT(appearances.size() == submeshes.size());
    for (int i = 0; i < submeshes.size(); ++i)
        ASSERT_MSG(submeshes[i].get(), " submeshes[i].ptr() ");
    m_vertexBuffer = vertices;
    m_submeshes = submeshes;
    m_appearances = appearances;
}

Mesh::Mesh(const Mesh& other) : Node(other)
{
    VertexBuffer* ovb = other.m_vertexBuffer.get();
    ASSERT(ovb);
    m_vertexBuffer = core::Ref<VertexBuffer>(ovb->duplicate());
    ASSERT(m_vertexBuffer);
    m_submeshes.reserve(other.m_submeshes.size());
    m_appearances.reserve(other.m_appearances.size());
    for (int i = 0; i < other.m_submeshes.size(); ++i) {
        IndexBuffer* oib = other.m_submeshes[i].get();
        ASSERT(oib);
        m_submeshes.add(core::Ref<IndexBuffer>(oib->duplicate()));
        Appearance* oa = other.m_appearances[i].get();
        m_appearances.add(oa ? core::Ref<Appearance>(oa->duplicate()) : core::Ref<Appearance>());
    }
}

Mesh::~Mesh() noexcept(false) = default;

Mesh* Mesh::duplicate() const
{
    return VORNA3D_NEW Mesh(*this);
}

int Mesh::getReferences(core::Vector<Object3D*>* refs)
{
    const int tracks = getRefsObject3D(this, refs);
    return tracks + getRefsMesh(this, refs);
}

IndexBuffer* Mesh::getIndexBuffer(int index) const
{
    ASSERT((index >= 0) && (index < getSubmeshCount() ));
    return m_submeshes[index].get();
}

Appearance* Mesh::getAppearance(int index) const
{
    ASSERT((index >= 0) && (index < getSubmeshCount() ));
    return m_appearances[index].get();
}

void Mesh::setAppearance(int index, Appearance* appearance)
{
    ASSERT((index >= 0) && (index < getSubmeshCount()));
    m_appearances[index] = appearance;
}

void Mesh::render(Graphics3D* g3d, const Transform* transform, int flags)
{
    ASSERT(g3d);
    ASSERT(transform);
    for (int i = 0; i < m_submeshes.size(); ++i)
        g3d->render(flags, m_vertexBuffer.get(), m_submeshes[i].get(), m_appearances[i].get(), *transform, getScope());
}

void Mesh::localBox(slmath::vec3* boxMin, slmath::vec3* boxMax) const
{
    VertexBuffer* vb = m_vertexBuffer.get();
    ASSERT(vb);
    float scaleBias[4];
    VertexArray* va = vb->getPositions(scaleBias);
    ASSERT(va);
    const slmath::vec3 lo = va->getMin();
    const slmath::vec3 hi = va->getMax();
    const float s = scaleBias[0];
    const slmath::vec3 a(lo.x * s + scaleBias[1], lo.y * s + scaleBias[2], lo.z * s + scaleBias[3]);
    const slmath::vec3 b(hi.x * s + scaleBias[1], hi.y * s + scaleBias[2], hi.z * s + scaleBias[3]);
    // A negative scale turns the array's minimum into the box's maximum.
    *boxMin = slmath::vec3(std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmin(a.z, b.z));
    *boxMax = slmath::vec3(std::fmax(a.x, b.x), std::fmax(a.y, b.y), std::fmax(a.z, b.z));
}

void Mesh::getBoundingBox(slmath::vec3* min, slmath::vec3* max, const Transform* transform)
{
    ASSERT_MSG(min, "getBoundingBox failed because parameter min is 0");
    ASSERT_MSG(max, "getBoundingBox failed because parameter max is 0");
    localBox(min, max);
    if (transform)
        pick::transformBox(transform->getMatrix(), min, max);
}

} // namespace render
