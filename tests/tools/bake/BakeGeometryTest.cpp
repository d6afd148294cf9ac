// The mesh builders of the bake tool: closed solids with their faces
// turned outward, and the sizes the demo draws them at.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>

#include "Extrude.h"
#include "Geometry.h"
#include "Meshes.h"

namespace bake_test {

namespace {

using bake::MeshData;
using bake::Vec3;

// Directed edges between vertex positions (vertices at the same place
// count as one): a closed surface has every edge once in each direction.
bool isClosed(const MeshData& mesh, std::string& why)
{
    std::map<std::tuple<long, long, long>, int> ids;
    auto id = [&](int v) {
        const Vec3& p = mesh.positions[static_cast<size_t>(v)];
        const auto key =
            std::make_tuple(std::lround(p.x * 1000.f), std::lround(p.y * 1000.f), std::lround(p.z * 1000.f));
        return ids.emplace(key, static_cast<int>(ids.size())).first->second;
    };
    std::map<std::pair<int, int>, int> edges;
    for (const auto& t : mesh.triangles()) {
        const int v[3] = {id(t[0]), id(t[1]), id(t[2])};
        if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2])
            continue; // collapsed at a sphere's pole: covers nothing
        for (int i = 0; i < 3; ++i)
            ++edges[{v[i], v[(i + 1) % 3]}];
    }
    for (const auto& [edge, count] : edges) {
        const auto back = edges.find({edge.second, edge.first});
        if (count != 1 || back == edges.end() || back->second != 1) {
            why = "edge " + std::to_string(edge.first) + "-" + std::to_string(edge.second) + " used " +
                std::to_string(count) + " times, reverse " + std::to_string(back == edges.end() ? 0 : back->second);
            return false;
        }
    }
    return true;
}

// Triangles whose winding disagrees with their vertices' normals.
int wrongWay(const MeshData& mesh)
{
    int wrong = 0;
    for (const auto& t : mesh.triangles()) {
        const Vec3 a = mesh.positions[t[0]], b = mesh.positions[t[1]], c = mesh.positions[t[2]];
        const Vec3 face = bake::cross(b - a, c - a);
        if (bake::length(face) < 1e-6f)
            continue; // collapsed at a pole
        const Vec3 n = mesh.normals[t[0]] + mesh.normals[t[1]] + mesh.normals[t[2]];
        wrong += bake::dot(face, n) <= 0.f ? 1 : 0;
    }
    return wrong;
}

} // namespace

TEST(BakeMeshes, LogoLettersAreAClosedSolidStandingOnTheFloor)
{
    const MeshData letters = bake::logoLetters(100.f, 12.f);
    std::string why;
    EXPECT_TRUE(isClosed(letters, why)) << why;
    EXPECT_EQ(wrongWay(letters), 0);
    Vec3 min, max;
    letters.bounds(min, max);
    EXPECT_NEAR(max.x - min.x, 100.f, 0.01f);
    EXPECT_NEAR(min.x + max.x, 0.f, 0.01f);
    EXPECT_NEAR(min.y, 0.f, 0.01f);
    EXPECT_NEAR(max.y, 40.f * 100.f / 110.f, 0.01f);
    EXPECT_NEAR(min.z, -6.f, 0.01f);
    EXPECT_NEAR(max.z, 6.f, 0.01f);
    // Texture coordinates span the letters: u left to right, v from the
    // tops (0) to the feet (1).
    ASSERT_TRUE(letters.withTexCoords);
    for (size_t i = 0; i < letters.positions.size(); ++i) {
        EXPECT_NEAR(letters.texCoords[i].x, (letters.positions[i].x + 50.f) / 100.f, 1e-4f);
        EXPECT_NEAR(letters.texCoords[i].y, 1.f - letters.positions[i].y / max.y, 1e-4f);
    }
}

TEST(BakeMeshes, HelixRungIsAClosedColouredBar)
{
    const MeshData bar = bake::helixBar(120.f, 12.f);
    std::string why;
    EXPECT_TRUE(isClosed(bar, why)) << why;
    EXPECT_EQ(wrongWay(bar), 0);
    Vec3 min, max;
    bar.bounds(min, max);
    EXPECT_NEAR(max.x - min.x, 120.f, 0.01f);
    EXPECT_NEAR(max.y - min.y, 12.f, 0.01f);
    EXPECT_NEAR(max.z - min.z, 12.f, 0.01f);
    ASSERT_TRUE(bar.withColors);
    ASSERT_EQ(bar.colors.size(), bar.positions.size());
    // Warm at one end, cool at the other.
    const bake::Color& left = bar.colors.front();
    const bake::Color& right = bar.colors.back();
    EXPECT_GT(left.r, left.b);
    EXPECT_GT(right.b, right.r);
}

TEST(BakeMeshes, SpheresFaceOutOrInAsAsked)
{
    for (bool inward : {false, true}) {
        const MeshData ball = bake::sphere(40.f, 24, 12, 2.f, 1.f, inward);
        std::string why;
        EXPECT_TRUE(isClosed(ball, why)) << why;
        EXPECT_EQ(wrongWay(ball), 0);
        // The winding agrees with the direction asked for.
        for (const auto& t : ball.triangles()) {
            const Vec3 a = ball.positions[t[0]], b = ball.positions[t[1]], c = ball.positions[t[2]];
            const Vec3 face = bake::cross(b - a, c - a);
            if (bake::length(face) < 1e-6f)
                continue;
            ASSERT_EQ(bake::dot(face, a + b + c) > 0.f, !inward);
        }
        for (const Vec3& p : ball.positions)
            ASSERT_NEAR(bake::length(p), 40.f, 1e-3f);
        EXPECT_EQ(ball.strips.size(), 12u);
    }
}

TEST(BakeMeshes, ShapesRejectClockwiseOrTooSmallPolygons)
{
    bake::Shape2D shape;
    EXPECT_THROW(shape.addConvex({{0.f, 0.f}, {1.f, 0.f}}), std::runtime_error);
    EXPECT_THROW(shape.addConvex({{0.f, 0.f}, {0.f, 1.f}, {1.f, 0.f}}), std::runtime_error);
    // Two squares side by side share an edge: the outline leaves it out.
    shape.addRect(0.f, 0.f, 1.f, 1.f);
    shape.addRect(1.f, 0.f, 2.f, 1.f);
    EXPECT_EQ(shape.points().size(), 6u);
    EXPECT_EQ(shape.outline().size(), 6u);
}

} // namespace bake_test
