#pragma once
// SkinnedMesh: a mesh whose positions follow a skeleton. The skeleton is a
// group owned by the mesh (its parent is the mesh); bones are the skeleton
// or nodes below it. Each vertex is bound to bones with integer weights
// (addTransform); animating the mesh moves every vertex to the weighted
// blend of its positions carried along by its bones:
//     p' = S * (sum of w * (B * B0^-1 * S0^-1 * p)) / (sum of w)
// where p is the vertex at set-up (scaled and biased), S the skeleton's
// composite transform, B a bone's transform relative to the skeleton (the
// composites from the skeleton's child down to the bone; identity for the
// skeleton itself) and B0, S0 those transforms when the bone was added.
// The result is written back into the mesh's own 16-bit position array
// with a scale that fits the largest coordinate (bias 0), so rendering and
// picking see the deformed shape. A vertex without weight (no bones, or
// weights summing to 0) keeps its set-up position. Only positions deform.

#include "core/Ref.h"
#include "core/Vector.h"
#include "render/scene/Mesh.h"
#include "render/scene/Transform.h"
#include "slmath/slmath.h"

namespace render {

class Group;

class SkinnedMesh : public Mesh {
public:
    // One influence of a bone, as getBoneVertices reports it.
    struct WeightData {
        int weight = 0;
        int firstVertex = 0;
        int vertexCount = 1;
        float reserved[2] = {0.f, 0.f};
    };
    // One addTransform call, as the mesh keeps it for writing.
    struct TransformReference {
        Node* bone = nullptr;
        int weight = 0;
        int firstVertex = 0;
        int vertexCount = 0;
    };

    // A skinned mesh with one submesh, deforming the positions of
    // `vertices` by `skeleton`, which becomes its child. Requires
    // " skeleton " without a parent ("skeleton already has a parent"),
    // not a World, and positions of 3 components of 16 bits in a
    // non-static array (" m_vertexArray.ptr() ", " m_vertexArray->
    // getComponentCount() == 3 ", " m_vertexArray->getComponentType() == 2 ").
    SkinnedMesh(VertexBuffer* vertices, IndexBuffer* submesh, Appearance* appearance, Group* skeleton);
    // The same with one submesh per index buffer (see Mesh).
    SkinnedMesh(VertexBuffer* vertices, const core::Vector<core::Ref<IndexBuffer>>& submeshes,
                const core::Vector<core::Ref<Appearance>>& appearances, Group* skeleton);
    // Releases the skeleton (its parent is cleared).
    ~SkinnedMesh() noexcept(false) override;

    // A deep copy (see Mesh::duplicate) with a duplicate of the skeleton;
    // the copy's bones are the nodes at the same places in the copied skeleton.
    SkinnedMesh* duplicate() const override;

    // Lists the mesh's references (see Mesh), then the skeleton.
    int getReferences(core::Vector<Object3D*>* refs) override;

    // Asserts " m_skeleton.ptr() ".
    Group* getSkeleton() const;
    bool hasSkeleton() const { return m_skeleton.get() != nullptr; }

    // Binds vertices firstVertex .. firstVertex + vertexCount - 1 to `bone`
    // with `weight`, at the bone's and skeleton's current transforms (each
    // call captures them for its own vertices). A bone added again gains
    // more influences; it is listed once. Logs "(skeleton : %d) add bone
    // %d \n" (user IDs) for a new bone. Requires " bone ", " m_skeleton ",
    // a bone that is the skeleton or below it ("bone is not the skeleton or
    // a node below it"), the range inside the positions ("vertex range is
    // outside the positions") and invertible composites
    // (ArithmeticException otherwise).
    void addTransform(Node* bone, int weight, int firstVertex, int vertexCount);

    // Replaces `out` with one entry per influence of `bone` (weight, vertex,
    // 1) and returns their number. Asserts "getBoneVertices failed because
    // bone parameter is 0"; a node that is not a bone logs "SkinnedMesh
    // does not include this bone! (ID : %d)\n" and gives 0.
    int getBoneVertices(Node* bone, core::Vector<WeightData>& out) const;

    // The addTransform calls in order.
    int getTransformReferenceCount() const { return m_transformReferences.size(); }
    const TransformReference& getTransformReference(int index) const;
    int getBoneCount() const { return m_bones.size(); }
    Node* getBone(int index) const;

    // Animates the mesh and everything it references (the skeleton
    // included), then recalculates the positions.
    int animate(int worldTime) override;
    // Deforms the positions by the bones' current transforms (see the class
    // note). Requires the skeleton and the position array of the set-up
    // vertex count or more, not static.
    void recalcVertices();

    // Renders the mesh, then the skeleton placed by transform * its
    // composite. Requires " g3d ".
    void render(Graphics3D* g3d, const Transform* transform, int flags) override;
    // Picks the mesh, then the skeleton (see Node::handlePick).
    bool handlePick(int scope, float ox, float oy, float oz, float dx, float dy, float dz, RayIntersection* ri,
                    const Transform* parentTransform, int pickFlags, float* minDistance) override;

protected:
    SkinnedMesh(const SkinnedMesh& other);

private:
    struct WeightInfo {
        slmath::vec4 position; // the vertex in the bone's rest space
        int boneIndex = 0;
        float weight = 0.f;
    };

    void initSkinnedMeshBuffers(Group* skeleton);
    // The bone's transform relative to the skeleton. Asserts when the bone
    // is not the skeleton or below it.
    slmath::mat4 boneToSkeleton(const Node* bone) const;
    // The index of `bone` in m_bones, or -1.
    int findBone(const Node* bone) const;
    // Makes `skeleton` this mesh's child.
    void adoptSkeleton(Group* skeleton);

    core::Ref<Group> m_skeleton;
    core::Vector<core::Ref<Node>> m_bones;
    core::Vector<Transform> m_boneRestTransforms;
    core::Vector<TransformReference> m_transformReferences;
    core::Vector<core::Vector<WeightInfo>> m_weightedBases;
    core::Vector<slmath::vec4> m_restPositions;
    core::Vector<slmath::vec4> m_skinnedPositions;
    // Per bone, per recalculation: S * B, 16 floats row by row.
    core::Vector<float> m_boneMatrices;
    int m_vertexCount = 0;
};

} // namespace render
