#pragma once
// RayIntersection: the result of a pick. Node::handlePick fills it with the
// nearest hit found so far: the node hit, the world-space ray, the distance
// along it, the submesh and the normal of the triangle hit.

#include "core/Object.h"
#include "core/Ref.h"
#include "slmath/slmath.h"

namespace render {

class Node;

class RayIntersection : public core::Object {
public:
    // No hit yet: no node, distance 0.
    RayIntersection();
    ~RayIntersection() noexcept(false) override;

    // The node hit (held by a reference while the record describes it), or null.
    Node* getIntersected() const { return m_intersected.get(); }
    // The world-space origin the pick was given.
    const slmath::vec3& getRayOrigin() const { return m_rayOrigin; }
    // The world-space direction the pick was given, normalised.
    const slmath::vec3& getRayDirection() const { return m_rayDirection; }
    // For a triangle hit: the cross product of the triangle's edges in the
    // mesh's vertex-array units, not normalised (0 for a bounding-box hit).
    const slmath::vec3& getNormal() const { return m_normal; }
    // The submesh hit; 0 for a bounding-box hit.
    int getSubmeshIndex() const { return m_submeshIndex; }
    // World-space distance from the origin to the hit.
    float getDistance() const { return m_distance; }

    // Describes a hit (used by the pick traversal).
    void set(Node* intersected, const slmath::vec3& origin, const slmath::vec3& direction, float distance,
             int submeshIndex, const slmath::vec3& normal);

private:
    core::Ref<Node> m_intersected;
    slmath::vec3 m_rayOrigin;
    slmath::vec3 m_rayDirection;
    slmath::vec3 m_normal;
    int m_submeshIndex = 0;
    float m_distance = 0.f;
};

} // namespace render
