#include "render/scene/PickGeometry.h"

#include <cfloat>
#include <cmath>

namespace render {
namespace pick {

bool intersectTriangle(const slmath::vec3& o, const slmath::vec3& d, const slmath::vec3& p0, const slmath::vec3& p1,
                       const slmath::vec3& p2, float* t)
{
    const float e1x = p1.x - p0.x, e1y = p1.y - p0.y, e1z = p1.z - p0.z;
    const float e2x = p2.x - p0.x, e2y = p2.y - p0.y, e2z = p2.z - p0.z;
    // h = d x e2, det = e1 . h
    const float hx = d.y * e2z - d.z * e2y;
    const float hy = d.z * e2x - d.x * e2z;
    const float hz = d.x * e2y - d.y * e2x;
    const float det = e1x * hx + e1y * hy + e1z * hz;
    if (!(std::fabs(det) > FLT_MIN))
        return false;
    const float inv = 1.f / det;
    const float sx = o.x - p0.x, sy = o.y - p0.y, sz = o.z - p0.z;
    const float u = (sx * hx + sy * hy + sz * hz) * inv;
    if (!(u >= 0.f && u <= 1.f))
        return false;
    // q = s x e1
    const float qx = sy * e1z - sz * e1y;
    const float qy = sz * e1x - sx * e1z;
    const float qz = sx * e1y - sy * e1x;
    const float v = (d.x * qx + d.y * qy + d.z * qz) * inv;
    if (!(v >= 0.f && u + v <= 1.f))
        return false;
    const float hitT = (e2x * qx + e2y * qy + e2z * qz) * inv;
    if (!(hitT >= 0.f && hitT <= FLT_MAX))
        return false;
    *t = hitT;
    return true;
}

bool strictlyInside(const slmath::vec3& o, const slmath::vec3& boxMin, const slmath::vec3& boxMax)
{
    return o.x > boxMin.x && o.x < boxMax.x && o.y > boxMin.y && o.y < boxMax.y && o.z > boxMin.z && o.z < boxMax.z;
}

bool segmentMeetsBox(const slmath::vec3& o, const slmath::vec3& d, const slmath::vec3& boxMin,
                     const slmath::vec3& boxMax)
{
    const float origin[3] = {o.x, o.y, o.z};
    const float dir[3] = {d.x, d.y, d.z};
    const float lo[3] = {boxMin.x, boxMin.y, boxMin.z};
    const float hi[3] = {boxMax.x, boxMax.y, boxMax.z};
    float entry = -FLT_MAX;
    float exit = FLT_MAX;
    for (int axis = 0; axis < 3; ++axis) {
        if (dir[axis] == 0.f) {
            // Parallel to this pair of planes: inside the slab or never.
            if (origin[axis] < lo[axis] || origin[axis] > hi[axis])
                return false;
            continue;
        }
        // Dividing (rather than multiplying by 1/d) keeps a tiny d from
        // turning 0 * infinity into NaN.
        float tNear = (lo[axis] - origin[axis]) / dir[axis];
        float tFar = (hi[axis] - origin[axis]) / dir[axis];
        if (dir[axis] < 0.f) {
            const float swap = tNear;
            tNear = tFar;
            tFar = swap;
        }
        if (tNear > entry)
            entry = tNear;
        if (tFar < exit)
            exit = tFar;
        if (entry > exit)
            return false;
    }
    return entry < 1.f && exit > 0.f;
}

void transformBox(const slmath::mat4& m, slmath::vec3* boxMin, slmath::vec3* boxMax)
{
    const slmath::vec3 lo = *boxMin;
    const slmath::vec3 hi = *boxMax;
    for (int i = 0; i < 8; ++i) {
        const slmath::vec3 p = (m * slmath::vec4(boxCorner(lo, hi, i), 1.f)).xyz();
        if (i == 0) {
            *boxMin = p;
            *boxMax = p;
            continue;
        }
        boxMin->x = std::fmin(boxMin->x, p.x);
        boxMin->y = std::fmin(boxMin->y, p.y);
        boxMin->z = std::fmin(boxMin->z, p.z);
        boxMax->x = std::fmax(boxMax->x, p.x);
        boxMax->y = std::fmax(boxMax->y, p.y);
        boxMax->z = std::fmax(boxMax->z, p.z);
    }
}

} // namespace pick
} // namespace render
