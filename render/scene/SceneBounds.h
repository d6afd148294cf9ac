#pragma once
// SceneBounds: the axis-aligned box that holds the geometry of a scene
// subtree in the coordinates of its root's parent, for framing a view. It
// is the union of the mesh boxes (Mesh::getBoundingBox: the positions'
// extent, which a skinned mesh keeps deformed) placed by the composite
// transforms from the root down, the skeletons of skinned meshes included.
// Nodes with rendering disabled, and meshes without positions, add nothing.

#include "slmath/slmath.h"

namespace render {

class Node;
class Transform;

class SceneBounds {
public:
    // Nothing yet: empty() is true.
    SceneBounds() = default;

    // Adds the subtree of `node` placed by `parentTransform` * the node's
    // composite (identity parent when null). Requires node.
    void add(Node* node, const Transform* parentTransform = nullptr);
    // Adds the box [boxMin, boxMax].
    void add(const slmath::vec3& boxMin, const slmath::vec3& boxMax);

    // Whether nothing with a size or place has been added.
    bool empty() const { return m_empty; }
    // The box; both (0, 0, 0) while empty.
    const slmath::vec3& getMin() const { return m_min; }
    const slmath::vec3& getMax() const { return m_max; }
    slmath::vec3 getCenter() const { return (m_min + m_max) * 0.5f; }
    // Half the box's diagonal: the radius of a sphere around the centre
    // that holds the box.
    float getRadius() const;

private:
    void addPlaced(Node* node, const Transform& world);

    slmath::vec3 m_min;
    slmath::vec3 m_max;
    bool m_empty = true;
};

} // namespace render
