#include "render/scene/SkinnedMesh.h"

#include <cmath>
#include <cstdint>

#include "core/Debug.h"
#include "render/Graphics3D.h"
#include "render/scene/Group.h"
#include "render/scene/Object3D_References.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "render/scene/World.h"

namespace render {

namespace {

// The child indices that lead from `root` down to `node`; false when
// `node` is not below `root` (or is `root`, with an empty path).
bool pathFrom(const Group* root, const Node* node, core::Vector<int>& path)
{
    path.clear();
    for (const Node* n = node; n != root; n = n->getParent()) {
        const Group* parent = dynamic_cast<const Group*>(n->getParent());
        if (!parent)
            return false;
        int index = 0;
        while (index < parent->getChildCount() && parent->getChild(index) != n)
            ++index;
        if (index == parent->getChildCount())
            return false; // the parent is a skinned mesh holding this skeleton
        path.add(index);
    }
    return true;
}

} // namespace

SkinnedMesh::SkinnedMesh(VertexBuffer* vertices, IndexBuffer* submesh, Appearance* appearance, Group* skeleton)
    : Mesh(vertices, submesh, appearance)
{
    initSkinnedMeshBuffers(skeleton);
}

SkinnedMesh::SkinnedMesh(VertexBuffer* vertices, const core::Vector<core::Ref<IndexBuffer>>& submeshes,
                         const core::Vector<core::Ref<Appearance>>& appearances, Group* skeleton)
    : Mesh(vertices, submeshes, appearances)
{
    initSkinnedMeshBuffers(skeleton);
}

SkinnedMesh::SkinnedMesh(const SkinnedMesh& other)
    : Mesh(other), m_boneRestTransforms(other.m_boneRestTransforms), m_weightedBases(other.m_weightedBases),
      m_restPositions(other.m_restPositions), m_skinnedPositions(other.m_skinnedPositions),
      m_boneMatrices(other.m_boneMatrices), m_vertexCount(other.m_vertexCount)
{
    ASSERT_MSG(other.m_skeleton.get(), " m_skeleton.ptr() ");
    core::Ref<Group> skeleton = other.m_skeleton->duplicate();
    adoptSkeleton(skeleton.get());
    // Each bone of the copy is the node at the same place in the copied skeleton.
    core::Vector<int> path;
    for (const core::Ref<Node>& bone : other.m_bones) {
        const bool below = pathFrom(other.m_skeleton.get(), bone.get(), path);
        ASSERT_MSG(below, "bone is not the skeleton or a node below it");
        Node* copy = m_skeleton.get();
        for (int i = path.size() - 1; i >= 0; --i)
            copy = static_cast<Group*>(copy)->getChild(path[i]);
        m_bones.add(core::Ref<Node>(copy));
    }
    for (const TransformReference& reference : other.m_transformReferences) {
        TransformReference copy = reference;
        copy.bone = m_bones[other.findBone(reference.bone)].get();
        m_transformReferences.add(copy);
    }
}

SkinnedMesh::~SkinnedMesh() noexcept(false)
{
    if (m_skeleton)
        m_skeleton->m_parent = nullptr;
}

SkinnedMesh* SkinnedMesh::duplicate() const
{
    return VORNA3D_NEW SkinnedMesh(*this);
}

int SkinnedMesh::getReferences(core::Vector<Object3D*>* refs)
{
    const int count = Mesh::getReferences(refs);
    ASSERT_MSG(m_skeleton.get(), " m_skeleton.ptr() ");
    return count + appendRef(m_skeleton.get(), refs);
}

void SkinnedMesh::adoptSkeleton(Group* skeleton)
{
    ASSERT(skeleton);
    ASSERT_MSG(!skeleton->getParent(), "skeleton already has a parent");
    ASSERT_MSG(!dynamic_cast<World*>(skeleton), "skeleton can not be a World");
    m_skeleton = skeleton;
    skeleton->m_parent = this;
}

void SkinnedMesh::initSkinnedMeshBuffers(Group* skeleton)
{
    ASSERT(skeleton);
    VertexBuffer* vertexBuffer = getVertexBuffer();
    ASSERT_MSG(vertexBuffer, " m_vertexBuffer ");
    float scaleBias[4];
    VertexArray* vertexArray = vertexBuffer->getPositions(scaleBias);
    ASSERT_MSG(vertexArray, " m_vertexArray.ptr() ");
    ASSERT_MSG(vertexArray->getComponentCount() == 3, " m_vertexArray->getComponentCount() == 3 ");
    ASSERT_MSG(vertexArray->getComponentType() == 2, " m_vertexArray->getComponentType() == 2 ");
    ASSERT_MSG(!vertexArray->isStatic(), "SkinnedMesh positions are in a static buffer");
    adoptSkeleton(skeleton);

    m_vertexCount = vertexArray->getVertexCount();
    core::Vector<short> source;
    source.setSizeForNativeType(3 * m_vertexCount);
    vertexArray->get(0, m_vertexCount, source.data());
    m_restPositions.setSize(m_vertexCount);
    for (int v = 0; v < m_vertexCount; ++v) {
        const short* p = source.data() + 3 * v;
        m_restPositions[v] = slmath::vec4(p[0] * scaleBias[0] + scaleBias[1], p[1] * scaleBias[0] + scaleBias[2],
                                          p[2] * scaleBias[0] + scaleBias[3], 1.f);
    }
    m_skinnedPositions.setSize(m_vertexCount);
    m_weightedBases.setSize(m_vertexCount);
}

Group* SkinnedMesh::getSkeleton() const
{
    ASSERT_MSG(m_skeleton.get(), " m_skeleton.ptr() ");
    return m_skeleton.get();
}

Node* SkinnedMesh::getBone(int index) const
{
    ASSERT(index >= 0 && index < m_bones.size());
    return m_bones[index].get();
}

const SkinnedMesh::TransformReference& SkinnedMesh::getTransformReference(int index) const
{
    ASSERT(index >= 0 && index < m_transformReferences.size());
    return m_transformReferences[index];
}

int SkinnedMesh::findBone(const Node* bone) const
{
    for (int i = 0; i < m_bones.size(); ++i)
        if (m_bones[i].get() == bone)
            return i;
    return -1;
}

slmath::mat4 SkinnedMesh::boneToSkeleton(const Node* bone) const
{
    Transform composite;
    slmath::mat4 m;
    for (const Node* n = bone; n != m_skeleton.get(); n = n->getParent()) {
        ASSERT_MSG(n, "bone is not the skeleton or a node below it");
        n->getCompositeTransform(&composite);
        m = composite.getMatrix() * m;
    }
    return m;
}

void SkinnedMesh::addTransform(Node* bone, int weight, int firstVertex, int vertexCount)
{
    ASSERT(bone);
    ASSERT(m_skeleton);
    ASSERT_MSG(firstVertex >= 0 && vertexCount >= 0 && int64_t(firstVertex) + vertexCount <= m_vertexCount,
               "vertex range is outside the positions");
    // Everything that can fail comes before the mesh changes. The vertex
    // goes into the bone's rest space: (S0 * B0)^-1 * p, where B0 is the
    // identity when the skeleton itself is the bone.
    Transform skeletonRest;
    m_skeleton->getCompositeTransform(&skeletonRest);
    const Transform boneRest(boneToSkeleton(bone));
    Transform toBoneSpace(skeletonRest);
    toBoneSpace.postMultiply(boneRest);
    toBoneSpace.invert();
    const slmath::mat4& toBone = toBoneSpace.getMatrix();

    int boneIndex = findBone(bone);
    if (boneIndex < 0) {
        boneIndex = m_bones.size();
        m_bones.add(core::Ref<Node>(bone));
        m_boneRestTransforms.add(boneRest);
        ASSERT(m_bones.size() == m_boneRestTransforms.size());
        m_boneMatrices.setSizeForNativeType(16 * m_bones.size());
        core::Debug::printf(core::DEBUG_LEVEL_RENDER, "(skeleton : %d) add bone %d \n", m_skeleton->getUserID(),
                            bone->getUserID());
    }
    TransformReference reference;
    reference.bone = bone;
    reference.weight = weight;
    reference.firstVertex = firstVertex;
    reference.vertexCount = vertexCount;
    m_transformReferences.add(reference);

    for (int v = firstVertex; v < firstVertex + vertexCount; ++v) {
        WeightInfo info;
        info.position = toBone * m_restPositions[v];
        info.boneIndex = boneIndex;
        info.weight = float(weight);
        m_weightedBases[v].add(info);
    }
}

int SkinnedMesh::getBoneVertices(Node* bone, core::Vector<WeightData>& out) const
{
    ASSERT_MSG(bone, "getBoneVertices failed because bone parameter is 0");
    out.clear();
    const int boneIndex = findBone(bone);
    if (boneIndex < 0) {
        core::Debug::printf(core::DEBUG_LEVEL_RENDER, "SkinnedMesh does not include this bone! (ID : %d)\n",
                            bone->getUserID());
        return 0;
    }
    for (int v = 0; v < m_weightedBases.size(); ++v) {
        for (const WeightInfo& info : m_weightedBases[v]) {
            if (info.boneIndex != boneIndex)
                continue;
            WeightData data;
            data.weight = static_cast<int>(info.weight);
            data.firstVertex = v;
            data.vertexCount = 1;
            out.add(data);
        }
    }
    return out.size();
}

int SkinnedMesh::animate(int worldTime)
{
    Mesh::animate(worldTime);
    recalcVertices();
    return 0;
}

void SkinnedMesh::recalcVertices()
{
    ASSERT_MSG(m_skeleton.get(), " m_skeleton ");
    Transform composite;
    m_skeleton->getCompositeTransform(&composite);
    const slmath::mat4 skeleton = composite.getMatrix();
    for (int b = 0; b < m_bones.size(); ++b)
        (skeleton * boneToSkeleton(m_bones[b].get())).toRowMajor(m_boneMatrices.data() + 16 * b);

    ASSERT(m_weightedBases.size() == m_vertexCount);
    // The blend in plain floats: the checked vector operations would
    // dominate the cost. A non-finite result is caught below.
    float largest = 1.f;
    const float* matrices = m_boneMatrices.data();
    for (int v = 0; v < m_vertexCount; ++v) {
        float sum[4] = {0.f, 0.f, 0.f, 0.f};
        float weights = 0.f;
        for (const WeightInfo& info : m_weightedBases[v]) {
            const float* m = matrices + 16 * info.boneIndex;
            const slmath::vec4& p = info.position;
            for (int row = 0; row < 4; ++row)
                sum[row] += info.weight *
                    (m[4 * row] * p.x + m[4 * row + 1] * p.y + m[4 * row + 2] * p.z + m[4 * row + 3] * p.w);
            weights += info.weight;
        }
        slmath::vec4& out = m_skinnedPositions[v];
        if (weights == 0.f) {
            out = m_restPositions[v]; // no bone moves this vertex
        } else {
            out = slmath::vec4(sum[0] / weights, sum[1] / weights, sum[2] / weights, sum[3] / weights);
        }
        for (int i = 0; i < 4; ++i)
            largest = std::fmax(largest, std::fabs(out[i]));
    }

    VertexBuffer* vertexBuffer = getVertexBuffer();
    VertexArray* positions = vertexBuffer->getPositions();
    ASSERT_MSG(positions, " m_vertexArray.ptr() ");
    ASSERT(positions->getComponentCount() == 3 && positions->getComponentType() == 2);
    ASSERT_MSG(!positions->isStatic(), "SkinnedMesh positions are in a static buffer");
    ASSERT(positions->getVertexCount() >= m_vertexCount);
    // Fetched now, not kept: the array's storage moves when it grows.
    short* dst = positions->getShortDataArrayPtr()->data();
    ASSERT_MSG(dst, " m_dstBufferPtr ");
    const float toShort = 32767.f / largest;
    for (int v = 0; v < m_vertexCount; ++v) {
        const slmath::vec4& p = m_skinnedPositions[v];
        dst[3 * v] = static_cast<short>(p.x * toShort);
        dst[3 * v + 1] = static_cast<short>(p.y * toShort);
        dst[3 * v + 2] = static_cast<short>(p.z * toShort);
    }
    const float bias[3] = {0.f, 0.f, 0.f};
    vertexBuffer->setPositions(positions, largest / 32767.f, bias);
}

void SkinnedMesh::render(Graphics3D* g3d, const Transform* transform, int flags)
{
    ASSERT(g3d);
    ASSERT(transform);
    Mesh::render(g3d, transform, flags);
    ASSERT_MSG(m_skeleton, "SkinnedMesh does not provide skeleton");
    Transform skeleton;
    m_skeleton->getCompositeTransform(&skeleton);
    Transform placed(*transform);
    placed.postMultiply(skeleton);
    m_skeleton->render(g3d, &placed, flags);
}

bool SkinnedMesh::handlePick(int scope, float ox, float oy, float oz, float dx, float dy, float dz, RayIntersection* ri,
                             const Transform* parentTransform, int pickFlags, float* minDistance)
{
    ASSERT(minDistance);
    ASSERT(ri);
    ASSERT(parentTransform);
    const bool meshHit = Mesh::handlePick(scope, ox, oy, oz, dx, dy, dz, ri, parentTransform, pickFlags, minDistance);
    ASSERT_MSG(m_skeleton.get(), " m_skeleton.ptr() ");
    Transform skeleton;
    m_skeleton->getCompositeTransform(&skeleton);
    Transform placed(*parentTransform);
    placed.postMultiply(skeleton);
    const bool skeletonHit = m_skeleton->handlePick(scope, ox, oy, oz, dx, dy, dz, ri, &placed, pickFlags, minDistance);
    return meshHit || skeletonHit;
}

} // namespace render
