#pragma once
// MorphingMesh: a mesh whose positions blend from a base shape towards
// morph targets. The base shape is the mesh's own position array as it was
// at construction; each target is a vertex buffer whose positions have the
// same vertex count. setWeights recomputes the positions in place (in the
// mesh's 16-bit position array, which rendering and picking read):
//     position = base + (sum over active targets of w * (target - base)) / n
// where the active targets are those with |w| > 0.01 and n is their count.
// The displacement is averaged over the active targets (this engine's
// blend, not a plain sum); results beyond the 16-bit range saturate.
// Only positions morph: normals, colours and texture coordinates stay.

#include <cstdint>

#include "core/Ref.h"
#include "core/Vector.h"
#include "render/scene/Mesh.h"

namespace render {

class MorphingMesh : public Mesh {
public:
    // A morphing mesh with one submesh. Requires a base vertex buffer whose
    // positions have 3 components of 16 bits, non-static (" vb ",
    // " vertexArray ", " vertexArray->getComponentCount() == 3 ",
    // " vertexArray->getComponentType() == 2 "), at least one target
    // ("MorphingMesh failed because targets size is 0"), no null target
    // ("targets element is 0"), and targets whose positions have 3
    // components, 8 or 16 bits, and the base's vertex count ("MorphingMesh
    // target positions do not match the base positions"). The weights
    // start at 0.
    MorphingMesh(VertexBuffer* base, IndexBuffer* submesh, Appearance* appearance,
                 const core::Vector<core::Ref<VertexBuffer>>& targets);
    // The same with one submesh per index buffer (see Mesh).
    MorphingMesh(VertexBuffer* base, const core::Vector<core::Ref<IndexBuffer>>& submeshes,
                 const core::Vector<core::Ref<Appearance>>& appearances,
                 const core::Vector<core::Ref<VertexBuffer>>& targets);
    ~MorphingMesh() noexcept(false) override;

    // A deep copy as Mesh::duplicate makes it (the base vertex buffer
    // duplicated) that keeps this mesh's base shape, weights and targets
    // (the targets are shared: morphing only reads them).
    MorphingMesh* duplicate() const override;

    // Lists the mesh's references (see Mesh), then the targets in order.
    int getReferences(core::Vector<Object3D*>* refs) override;

    int getMorphTargetCount() const { return m_targets.size(); }
    // Asserts "MorphingMesh getMorphTarget failed because index is invalid".
    VertexBuffer* getMorphTarget(int index) const;
    const core::Vector<float>& getWeights() const { return m_weights; }

    // Sets one weight per target and reblends the positions when a weight
    // changed. Asserts "MorphingMesh setWeights failed because weights.size
    // < getMorphTargetCount()" for too few and " weights.size() ==
    // m_targets.size() " for too many, " check(weights[i]) " for a value
    // that is not finite.
    void setWeights(const core::Vector<float>& weights);
    // Sets the weights from `count` values: targets beyond `count` get 0,
    // values beyond the target count are ignored (the animation's form).
    // Requires values unless count is 0, and finite values.
    void setWeights(const float* values, int count);

    // The base shape's position values (x, y, z per vertex).
    const core::Vector<short>& getBasePositions() const { return m_basePositions; }

    // Writes the base shape into the position array and keeps the weights,
    // for a file writer: a file holds the base shape and the weights.
    // reapplyWeights() blends the weights into the positions again.
    void showBaseShape();
    void reapplyWeights();

protected:
    MorphingMesh(const MorphingMesh& other);

private:
    void initMorphingMeshBuffers(const core::Vector<core::Ref<VertexBuffer>>& targets);
    // Adds weight * (target - base) per component to the accumulator.
    void handleTarget(VertexBuffer* target, float weight);
    // Writes the blend of the current weights into the position array.
    void blend();

    core::Vector<float> m_weights;
    core::Vector<core::Ref<VertexBuffer>> m_targets;
    core::Vector<short> m_basePositions;
    core::Vector<int32_t> m_results;
    int m_vertexCount = 0;
};

} // namespace render
