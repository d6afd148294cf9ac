#include "render/scene/RayIntersection.h"

#include "render/scene/Node.h"

namespace render {

RayIntersection::RayIntersection() = default;

RayIntersection::~RayIntersection() noexcept(false) = default;

void RayIntersection::set(Node* intersected, const slmath::vec3& origin, const slmath::vec3& direction, float distance,
                          int submeshIndex, const slmath::vec3& normal)
{
    m_intersected = intersected;
    m_rayOrigin = origin;
    m_rayDirection = direction;
    m_distance = distance;
    m_submeshIndex = submeshIndex;
    m_normal = normal;
}

} // namespace render
