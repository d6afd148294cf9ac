// Mesh picking: the bounding-box stage and the triangle stage of
// Mesh::handlePick. The triangle stage works on the 16-bit positions in
// place, in the vertex array's own units: the ray is brought there instead
// of the vertices into the world. A ray parameter t means the same point in
// both spaces (the mapping is affine), so distances come out as t * |d|.

#include <cfloat>
#include <cmath>

#include "core/Debug.h"
#include "render/ArithmeticException.h"
#include "render/geometry/IndexBuffer.h"
#include "render/scene/Mesh.h"
#include "render/scene/PickGeometry.h"
#include "render/scene/RayIntersection.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"

namespace render {

namespace {

// Position `index` of a 16-bit array with `stride` components per vertex.
slmath::vec3 vertexAt(const short* data, int stride, int index)
{
    const short* p = data + stride * index;
    return slmath::vec3(static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2]));
}

} // namespace

bool Mesh::handlePick(int scope, float ox, float oy, float oz, float dx, float dy, float dz, RayIntersection* ri,
                      const Transform* parentTransform, int pickFlags, float* minDistance)
{
    ASSERT(minDistance);
    ASSERT(dx || dy || dz);
    ASSERT(ri);
    ASSERT(parentTransform);
    if (!isPickingEnabled() || (scope & getScope()) == 0)
        return false;

    const slmath::vec3 o(ox, oy, oz);
    const slmath::vec3 d(dx, dy, dz);
    float boxT = 0.f;
    if (!rayCollisionToMeshVertexArrayBox(o, d, *parentTransform, &boxT))
        return false;

    if (pickFlags & PICK_BOX_ONLY) {
        const float distance = boxT * slmath::length(d);
        if (!(distance < *minDistance))
            return false;
        *minDistance = distance;
        ri->set(this, o, slmath::normalize(d), distance, 0, slmath::vec3());
        core::Debug::printf(core::DEBUG_LEVEL_RENDER, "pick distance : %.2f \n", distance);
        return true;
    }
    return findMeshPolygon(o, d, ri, *parentTransform, pickFlags, minDistance);
}

bool Mesh::rayCollisionToMeshVertexArrayBox(const slmath::vec3& o, const slmath::vec3& d, const Transform& world,
                                            float* boxT) const
{
    const VertexBuffer* vb = m_vertexBuffer.get();
    ASSERT(vb);
    const VertexArray* va = vb->getPositions();
    ASSERT(va);
    if (va->isStatic())
        return false;

    slmath::vec3 boxMin, boxMax;
    localBox(&boxMin, &boxMax);
    pick::transformBox(world.getMatrix(), &boxMin, &boxMax);

    if (!pick::strictlyInside(o, boxMin, boxMax) && !pick::segmentMeetsBox(o, d, boxMin, boxMax))
        return false;
    return pick::nearestBoxFace(o, d, boxMin, boxMax, boxT,
                                [](float) { core::Debug::printf(core::DEBUG_LEVEL_RENDER, "pick hit (box only)\n"); });
}

bool Mesh::findMeshPolygon(const slmath::vec3& o, const slmath::vec3& d, RayIntersection* ri, const Transform& world,
                           int pickFlags, float* minDistance)
{
    ASSERT(ri);
    VertexBuffer* vb = m_vertexBuffer.get();
    ASSERT(vb);
    float scaleBias[4];
    VertexArray* positions = vb->getPositions(scaleBias);
    if (!positions || positions->isStatic())
        return false;
    // Read in place: getPtr does not mark the array changed.
    const short* vertex_data =
        positions->getComponentType() == 2 ? static_cast<const short*>(positions->getPtr()) : nullptr;
    ASSERT_MSG(vertex_data, "pick failed. VertexArray does not provide short array");
    const int stride = positions->getComponentCount();
    const int vertexCount = positions->getVertexCount();

    // The ray in vertex-array units. A world transform or position scale
    // that flattens the mesh leaves nothing to hit.
    const float scale = scaleBias[0];
    if (!(std::fabs(scale) >= FLT_MIN))
        return false;
    Transform toLocal(world);
    try {
        toLocal.invert();
    } catch (const ArithmeticException&) {
        return false;
    }
    const slmath::vec3 bias(scaleBias[1], scaleBias[2], scaleBias[3]);
    const slmath::vec3 localO = (toLocal.transform(slmath::vec4(o, 1.f)).xyz() - bias) / scale;
    const slmath::vec3 localD = toLocal.transform(slmath::vec4(d, 0.f)).xyz() / scale;

    const float dirLength = slmath::length(d);
    float bestT = *minDistance / dirLength; // only hits nearer than the caller's best count
    bool hit = false;
    for (int submesh = 0; submesh < m_submeshes.size(); ++submesh) {
        const IndexBuffer* ib = m_submeshes[submesh].get();
        ASSERT(ib);
        const int type = ib->getPrimitiveType();
        ASSERT_MSG(type == IndexBuffer::TRIANGLE_STRIP || type == IndexBuffer::TRIANGLE_LIST,
                   "pick failed. IndexBuffer uses unsupported data");
        if (ib->isStatic())
            continue;
        const unsigned short* index_data = ib->getPtr();
        const int count = ib->getIndexCount();
        if (!index_data || count < 3)
            continue;
        // A strip has a triangle at every position, a list at every third.
        const int step = type == IndexBuffer::TRIANGLE_STRIP ? 1 : 3;
        for (int i = 0; i + 2 < count; i += step) {
            int a = index_data[i], b = index_data[i + 1], c = index_data[i + 2];
            if (a >= vertexCount || b >= vertexCount || c >= vertexCount)
                continue;
            // Odd strip triangles are drawn reversed: keep their front side.
            if (step == 1 && (i & 1)) {
                const int swap = a;
                a = c;
                c = swap;
            }
            const slmath::vec3 p0 = vertexAt(vertex_data, stride, a);
            const slmath::vec3 p1 = vertexAt(vertex_data, stride, b);
            const slmath::vec3 p2 = vertexAt(vertex_data, stride, c);
            float t;
            if (!pick::intersectTriangle(localO, localD, p0, p1, p2, &t) || !(t < bestT))
                continue;
            bestT = t;
            hit = true;
            const float distance = t * dirLength;
            *minDistance = distance;
            ri->set(this, o, slmath::normalize(d), distance, submesh, slmath::cross(p1 - p0, p2 - p0));
            core::Debug::printf(core::DEBUG_LEVEL_RENDER, "pick hit (polygon)\n");
            if (pickFlags & PICK_FIRST_HIT)
                return true;
        }
    }
    return hit;
}

} // namespace render
