#pragma once
// Mesh: a node that draws geometry: one VertexBuffer shared by one or more
// submeshes, each an IndexBuffer with its own Appearance (which may be
// null: the renderer's defaults). Rendering hands each submesh to the
// renderer with the mesh's world transform. Picking tests the ray against
// the mesh's transformed bounding box, then against every triangle of the
// triangle strips and lists (Mesh_Picking.cpp).

#include "core/Ref.h"
#include "core/Vector.h"
#include "render/scene/Node.h"
#include "slmath/slmath.h"

namespace render {

class Appearance;
class IndexBuffer;
class VertexBuffer;

class Mesh : public Node {
public:
    // Pick-flag bits: stop after the bounding box; stop at the first triangle hit.
    static constexpr int PICK_BOX_ONLY = 1;
    static constexpr int PICK_FIRST_HIT = 2;

    // One submesh. Requires " vertices " and " submesh ".
    Mesh(VertexBuffer* vertices, IndexBuffer* submesh, Appearance* appearance = nullptr);
    // One submesh per index buffer, with the appearance of the same index
    // (entries may be null). Requires " vertices ", at least one submesh,
    // appearances.size() == submeshes.size() and every submesh (" submeshes[i].ptr() ").
    Mesh(VertexBuffer* vertices, const core::Vector<core::Ref<IndexBuffer>>& submeshes,
         const core::Vector<core::Ref<Appearance>>& appearances);
    ~Mesh() noexcept(false) override;

    // A deep copy: duplicates of the vertex buffer, every index buffer and
    // every appearance (a null appearance stays null).
    Mesh* duplicate() const override;

    // Lists the animation tracks, then per submesh its appearance and index
    // buffer, then the vertex buffer.
    int getReferences(core::Vector<Object3D*>* refs) override;

    VertexBuffer* getVertexBuffer() const { return m_vertexBuffer.get(); }
    int getSubmeshCount() const { return m_submeshes.size(); }
    // Both require " (index >= 0) && (index < getSubmeshCount() ) ".
    IndexBuffer* getIndexBuffer(int index) const;
    Appearance* getAppearance(int index) const;
    // Requires " (index >= 0) && (index < getSubmeshCount()) "; null allowed.
    void setAppearance(int index, Appearance* appearance);

    // Hands every submesh, in order, to g3d with the world transform
    // `transform` and this node's scope. Requires " g3d " and the transform.
    void render(Graphics3D* g3d, const Transform* transform, int flags) override;

    // The bounds of the positions, scaled and biased, per component (a
    // negative scale swaps the ends); with a transform, the axis-aligned
    // bounds of the eight transformed corners. Asserts "getBoundingBox
    // failed because parameter min is 0" / "... max is 0", and requires a
    // vertex buffer (" vb ") with positions (" va ").
    void getBoundingBox(slmath::vec3* min, slmath::vec3* max, const Transform* transform) override;

    // Picks the mesh placed by the world transform `parentTransform` (see
    // Node::handlePick). Requires " minDistance ", a non-zero direction
    // (" dx || dy || dz ") and " ri ". A mesh with picking disabled or a
    // scope sharing no bit with `scope` is not hit; nor are positions or
    // indices held in static GPU buffers. Asserts "pick failed. VertexArray
    // does not provide short array" for 8-bit positions and "pick failed.
    // IndexBuffer uses unsupported data" for index buffers other than
    // triangle strips and lists. Indices beyond the vertex count are skipped.
    bool handlePick(int scope, float ox, float oy, float oz, float dx, float dy, float dz, RayIntersection* ri,
                    const Transform* parentTransform, int pickFlags, float* minDistance) override;

protected:
    Mesh(const Mesh& other);

private:
    // The scaled and biased bounds of the positions. Requires vb and va.
    void localBox(slmath::vec3* boxMin, slmath::vec3* boxMax) const;
    // The box stage: whether the segment o -> o + d meets the world box
    // (or starts inside it) and the ray crosses one of its faces, at *boxT.
    bool rayCollisionToMeshVertexArrayBox(const slmath::vec3& o, const slmath::vec3& d, const Transform& world,
                                          float* boxT) const;
    // The triangle stage: the nearest triangle nearer than *minDistance.
    bool findMeshPolygon(const slmath::vec3& o, const slmath::vec3& d, RayIntersection* ri, const Transform& world,
                         int pickFlags, float* minDistance);

    core::Ref<VertexBuffer> m_vertexBuffer;
    core::Vector<core::Ref<IndexBuffer>> m_submeshes;
    core::Vector<core::Ref<Appearance>> m_appearances;
};

} // namespace render
