#pragma once
// The geometry of picking: ray-triangle and segment-box tests and the
// bounds of a transformed box. Plain float code on values the caller has
// checked; every comparison is written so that a NaN means "no hit".

#include "slmath/slmath.h"

namespace render {
namespace pick {

// The Moller-Trumbore test of the ray o + t d (t >= 0) against the
// triangle (p0, p1, p2), from either side. On a hit writes t and returns
// true; a triangle whose determinant is within FLT_MIN of 0 (degenerate, or
// parallel to the ray) is never hit.
bool intersectTriangle(const slmath::vec3& o, const slmath::vec3& d, const slmath::vec3& p0, const slmath::vec3& p1,
                       const slmath::vec3& p2, float* t);

// Whether o lies strictly inside the box on all three axes.
bool strictlyInside(const slmath::vec3& o, const slmath::vec3& boxMin, const slmath::vec3& boxMax);

// The slab test of the segment o -> o + d against the box: false when the
// per-axis intervals do not overlap, when the segment ends before it
// enters (entry >= 1) or starts after it leaves (exit <= 0). An axis along
// which d is 0 constrains nothing when o lies within the box's range on it
// and misses otherwise. A box of zero thickness can be met.
bool segmentMeetsBox(const slmath::vec3& o, const slmath::vec3& d, const slmath::vec3& boxMin,
                     const slmath::vec3& boxMax);

// The smallest t >= 0 at which the ray o + t d crosses one of the box's 12
// face triangles; false when it crosses none. Calls `onImprove` with each
// better t.
template <class OnImprove>
bool nearestBoxFace(const slmath::vec3& o, const slmath::vec3& d, const slmath::vec3& boxMin,
                    const slmath::vec3& boxMax, float* t, OnImprove onImprove);

// The corner of the box [boxMin, boxMax] with bit 0, 1, 2 of `index`
// choosing max over min on x, y, z.
inline slmath::vec3 boxCorner(const slmath::vec3& boxMin, const slmath::vec3& boxMax, int index)
{
    return slmath::vec3((index & 1) ? boxMax.x : boxMin.x, (index & 2) ? boxMax.y : boxMin.y,
                        (index & 4) ? boxMax.z : boxMin.z);
}

// The axis-aligned bounds of the box's eight corners transformed by `m`,
// written back into boxMin and boxMax.
void transformBox(const slmath::mat4& m, slmath::vec3* boxMin, slmath::vec3* boxMax);

template <class OnImprove>
bool nearestBoxFace(const slmath::vec3& o, const slmath::vec3& d, const slmath::vec3& boxMin,
                    const slmath::vec3& boxMax, float* t, OnImprove onImprove)
{
    // Two triangles per face, by corner index (bit 0 x, bit 1 y, bit 2 z).
    static constexpr int FACES[12][3] = {{0, 1, 3}, {0, 3, 2}, {4, 6, 7}, {4, 7, 5}, // z min, z max
                                         {0, 4, 5}, {0, 5, 1}, {2, 3, 7}, {2, 7, 6}, // y min, y max
                                         {0, 2, 6}, {0, 6, 4}, {1, 5, 7}, {1, 7, 3}}; // x min, x max
    bool hit = false;
    float best = 0.f;
    for (const auto& face : FACES) {
        float faceT;
        if (intersectTriangle(o, d, boxCorner(boxMin, boxMax, face[0]), boxCorner(boxMin, boxMax, face[1]),
                              boxCorner(boxMin, boxMax, face[2]), &faceT) &&
            (!hit || faceT < best)) {
            hit = true;
            best = faceT;
            onImprove(best);
        }
    }
    if (hit)
        *t = best;
    return hit;
}

} // namespace pick
} // namespace render
