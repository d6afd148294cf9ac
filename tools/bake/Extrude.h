#pragma once
// Flat shapes made of convex pieces that share their corner points, and
// their extrusion into closed solids: the front and back faces are the
// pieces' triangles, the side walls follow the shape's outline (the piece
// edges that no other piece shares).

#include <array>
#include <map>
#include <utility>
#include <vector>

#include "Geometry.h"

namespace bake {

class Shape2D {
public:
    // Adds a convex polygon, corners counter-clockwise; corners equal to an
    // earlier point (within 1e-3) are the same point. std::runtime_error
    // for fewer than three corners or a clockwise polygon.
    void addConvex(const std::vector<Vec2>& corners);
    // Adds the ring sector between radii rInner and rOuter around (cx, cy)
    // from angle a0 to a1 (degrees, counter-clockwise), as `segments` quads.
    void addRingSector(Vec2 centre, float rInner, float rOuter, float a0, float a1, int segments);
    // Adds the rectangle [x0, x1] x [y0, y1].
    void addRect(float x0, float y0, float x1, float y1);
    // Moves every point by (dx, dy) and scales it by k about the origin afterwards.
    void transform(float dx, float dy, float k);

    const std::vector<Vec2>& points() const { return m_points; }
    const std::vector<std::array<int, 3>>& triangles() const { return m_triangles; }
    // The outline: the directed triangle edges whose reverse is no edge,
    // each (from, to) with the shape on its left.
    std::vector<std::pair<int, int>> outline() const;

private:
    int pointIndex(Vec2 p);

    std::vector<Vec2> m_points;
    std::map<std::pair<long, long>, int> m_lookup;
    std::vector<std::array<int, 3>> m_triangles;
};

// The shape extruded from z = -depth / 2 to +depth / 2 as a closed solid
// with texture coordinates projected onto the x-y plane: u runs 0..1 left
// to right over uvMin.x..uvMax.x, v runs 0..1 from uvMax.y down to uvMin.y.
// Side walls are smooth across outline corners flatter than
// `smoothAngle` degrees and sharp elsewhere. With bevel > 0 the front and
// back faces are inset by that much and joined to the walls by 45-degree
// chamfers (the bevel must be well below the shape's thinnest part).
MeshData extrude(const Shape2D& shape, float depth, Vec2 uvMin, Vec2 uvMax, float smoothAngle, float bevel = 0.f);

} // namespace bake
