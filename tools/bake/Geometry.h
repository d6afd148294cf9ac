#pragma once
// Plain geometry for the baked meshes, before it becomes engine objects:
// vertices with normals, optional colours and texture coordinates, and
// triangle strips. Front faces wind counter-clockwise.

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Canvas.h"

namespace bake {

struct Vec2 {
    float x = 0.f, y = 0.f;
};

struct Vec3 {
    float x = 0.f, y = 0.f, z = 0.f;
};

inline Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, float k)
{
    return {a.x * k, a.y * k, a.z * k};
}
inline float dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float length(Vec3 a)
{
    return std::sqrt(dot(a, a));
}
// `a` scaled to length 1 (the zero vector stays zero).
inline Vec3 normalized(Vec3 a)
{
    const float l = length(a);
    return l > 0.f ? a * (1.f / l) : a;
}

struct MeshData {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals; // one per position, unit length
    std::vector<Color> colors; // one per position when withColors
    std::vector<Vec2> texCoords; // one per position when withTexCoords
    std::vector<std::vector<uint16_t>> strips;
    bool withColors = false;
    bool withTexCoords = false;

    int vertexCount() const { return static_cast<int>(positions.size()); }
    // Appends a vertex (its colour and texture coordinates are kept when
    // the mesh has them); returns its index. std::runtime_error past 65535.
    uint16_t addVertex(Vec3 position, Vec3 normal, Vec2 uv = {}, Color color = {});
    // Every triangle of the strips in its front-face winding; triangles with
    // a repeated index are left out.
    std::vector<std::array<int, 3>> triangles() const;
    // The axis-aligned bounds of the positions.
    void bounds(Vec3& min, Vec3& max) const;
};

} // namespace bake
