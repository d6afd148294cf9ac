#include "render/scene/MorphingMesh.h"

#include <cmath>
#include <cstring>

#include "render/scene/Object3D_References.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "slmath/scalar.h"

namespace render {

namespace {

// Weights whose magnitude is at most this leave their target out.
constexpr float ACTIVE_WEIGHT = 0.01f;

int32_t saturate32(double v)
{
    if (v > 2147483647.0)
        return INT32_MAX;
    if (v < -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

short saturate16(int64_t v)
{
    return static_cast<short>(v > 32767 ? 32767 : (v < -32768 ? -32768 : v));
}

// Component `i` of a target's positions, whatever their size.
int targetValue(const VertexArray* positions, const void* data, int i)
{
    if (positions->getComponentType() == 1)
        return static_cast<const signed char*>(data)[i];
    return static_cast<const short*>(data)[i];
}

} // namespace

MorphingMesh::MorphingMesh(VertexBuffer* base, IndexBuffer* submesh, Appearance* appearance,
                           const core::Vector<core::Ref<VertexBuffer>>& targets)
    : Mesh(base, submesh, appearance)
{
    initMorphingMeshBuffers(targets);
}

MorphingMesh::MorphingMesh(VertexBuffer* base, const core::Vector<core::Ref<IndexBuffer>>& submeshes,
                           const core::Vector<core::Ref<Appearance>>& appearances,
                           const core::Vector<core::Ref<VertexBuffer>>& targets)
    : Mesh(base, submeshes, appearances)
{
    initMorphingMeshBuffers(targets);
}

MorphingMesh::MorphingMesh(const MorphingMesh& other)
    : Mesh(other), m_weights(other.m_weights), m_targets(other.m_targets), m_basePositions(other.m_basePositions),
      m_vertexCount(other.m_vertexCount)
{
    m_results.setSizeForNativeType(other.m_results.size());
}

MorphingMesh::~MorphingMesh() noexcept(false) = default;

MorphingMesh* MorphingMesh::duplicate() const
{
    return VORNA3D_NEW MorphingMesh(*this);
}

int MorphingMesh::getReferences(core::Vector<Object3D*>* refs)
{
    // The targets are listed too: animation reaches their tracks, and a
    // file writer meets them before the mesh that refers to them.
    int count = Mesh::getReferences(refs);
    for (const core::Ref<VertexBuffer>& target : m_targets)
        count += appendRef(target.get(), refs);
    return count;
}

void MorphingMesh::initMorphingMeshBuffers(const core::Vector<core::Ref<VertexBuffer>>& targets)
{
    VertexBuffer* vb = getVertexBuffer();
    ASSERT(vb);
    VertexArray* vertexArray = vb->getPositions();
    ASSERT(vertexArray);
    ASSERT(vertexArray->getComponentCount() == 3);
    ASSERT(vertexArray->getComponentType() == 2);
    ASSERT_MSG(!vertexArray->isStatic(), "MorphingMesh positions are in a static buffer");
    ASSERT_MSG(targets.size() > 0, "MorphingMesh failed because targets size is 0");
    const int vertexCount = vertexArray->getVertexCount();
    for (const core::Ref<VertexBuffer>& target : targets) {
        ASSERT_MSG(target.get(), "targets element is 0");
        const VertexArray* positions = target->getPositions();
        ASSERT_MSG(positions && positions->getComponentCount() == 3 && !positions->isStatic() &&
                       positions->getVertexCount() == vertexCount,
                   "MorphingMesh target positions do not match the base positions");
    }
    m_targets = targets;
    m_weights.setSizeForNativeType(targets.size());
    m_vertexCount = vertexCount;
    m_basePositions.setSizeForNativeType(3 * vertexCount);
    vertexArray->get(0, vertexCount, m_basePositions.data());
    m_results.setSizeForNativeType(3 * vertexCount);
}

VertexBuffer* MorphingMesh::getMorphTarget(int index) const
{
    ASSERT_MSG(index >= 0 && index < m_targets.size(), "MorphingMesh getMorphTarget failed because index is invalid");
    return m_targets[index].get();
}

void MorphingMesh::setWeights(const core::Vector<float>& weights)
{
    ASSERT_MSG(weights.size() >= m_targets.size(),
               "MorphingMesh setWeights failed because weights.size < getMorphTargetCount()");
    ASSERT(weights.size() == m_targets.size());
    setWeights(weights.data(), weights.size());
}

void MorphingMesh::setWeights(const float* values, int count)
{
    ASSERT(values || count == 0);
    ASSERT(count >= 0);
    const int used = count < m_targets.size() ? count : m_targets.size();
    for (int i = 0; i < used; ++i)
        ASSERT(slmath::check(values[i]));
    bool changed = false;
    for (int i = 0; i < m_weights.size(); ++i) {
        const float w = i < used ? values[i] : 0.f;
        if (w != m_weights[i]) {
            m_weights[i] = w;
            changed = true;
        }
    }
    if (changed)
        blend();
}

void MorphingMesh::showBaseShape()
{
    VertexArray* positions = getVertexBuffer()->getPositions();
    ASSERT(positions && positions->getComponentType() == 2 && positions->getVertexCount() >= m_vertexCount);
    std::memcpy(positions->getShortDataArrayPtr()->data(), m_basePositions.data(),
                sizeof(short) * static_cast<size_t>(3 * m_vertexCount));
}

void MorphingMesh::reapplyWeights()
{
    blend();
}

void MorphingMesh::handleTarget(VertexBuffer* target, float weight)
{
    VertexArray* vertexArray = target->getPositions();
    ASSERT(vertexArray);
    ASSERT(vertexArray->getComponentCount() == 3);
    ASSERT(vertexArray->getVertexCount() >= m_vertexCount);
    const short* orig = m_basePositions.data();
    ASSERT(orig);
    ASSERT(m_results.size() == 3 * m_vertexCount);
    const void* data = vertexArray->getPtr();
    int32_t* results = m_results.data();
    for (int i = 0; i < 3 * m_vertexCount; ++i) {
        const double displacement = std::trunc(double(weight) * (targetValue(vertexArray, data, i) - orig[i]));
        results[i] = saturate32(double(results[i]) + displacement);
    }
}

void MorphingMesh::blend()
{
    VertexArray* positions = getVertexBuffer()->getPositions();
    ASSERT(positions && positions->getComponentType() == 2 && positions->getVertexCount() >= m_vertexCount);
    std::memset(m_results.data(), 0, sizeof(int32_t) * static_cast<size_t>(m_results.size()));
    int active = 0;
    for (int j = 0; j < m_targets.size(); ++j) {
        if (std::fabs(m_weights[j]) > ACTIVE_WEIGHT) {
            handleTarget(m_targets[j].get(), m_weights[j]);
            ++active;
        }
    }
    // Fetched now, not kept: the array's storage moves when it grows. The
    // accessor also marks the bounds for recomputation.
    core::Vector<short>* shorts = positions->getShortDataArrayPtr();
    ASSERT_MSG(shorts, " short_ptr ");
    short* out = shorts->data();
    const short* orig = m_basePositions.data();
    ASSERT_MSG(orig, " short_orig ");
    if (active == 0) {
        std::memcpy(out, orig, sizeof(short) * static_cast<size_t>(3 * m_vertexCount));
        return;
    }
    for (int i = 0; i < 3 * m_vertexCount; ++i)
        out[i] = saturate16(int64_t(m_results[i] / active) + orig[i]);
}

} // namespace render
