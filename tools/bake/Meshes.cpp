#include "Meshes.h"

#include <cmath>

#include "Extrude.h"
#include "Paint.h"

namespace bake {

MeshData sphere(float radius, int slices, int stacks, float uRepeat, float vRepeat, bool inward)
{
    MeshData mesh;
    mesh.withTexCoords = true;
    // Rows of slices + 1 vertices (the seam doubled for the texture), from
    // the north pole (stack 0) to the south pole.
    for (int j = 0; j <= stacks; ++j) {
        const float polar = PI * static_cast<float>(j) / static_cast<float>(stacks);
        // Exact poles, so that the triangles meeting there collapse cleanly.
        const float ring = (j == 0 || j == stacks) ? 0.f : std::sin(polar);
        const float height = j == 0 ? 1.f : (j == stacks ? -1.f : std::cos(polar));
        for (int i = 0; i <= slices; ++i) {
            const float azimuth = 2.f * PI * static_cast<float>(i) / static_cast<float>(slices);
            const Vec3 n{ring * std::cos(azimuth), height, -ring * std::sin(azimuth)};
            const Vec2 uv{uRepeat * static_cast<float>(i) / static_cast<float>(slices),
                          vRepeat * static_cast<float>(j) / static_cast<float>(stacks)};
            mesh.addVertex(n * radius, inward ? n * -1.f : n, uv);
        }
    }
    // Each stack is one strip zig-zagging between its two rows. Seen from
    // outside, i runs to the right, so the row above comes first for a
    // counter-clockwise front face.
    for (int j = 0; j < stacks; ++j) {
        std::vector<uint16_t> strip;
        for (int i = 0; i <= slices; ++i) {
            const auto upper = static_cast<uint16_t>(j * (slices + 1) + i);
            const auto lower = static_cast<uint16_t>((j + 1) * (slices + 1) + i);
            if (inward) {
                strip.push_back(lower);
                strip.push_back(upper);
            } else {
                strip.push_back(upper);
                strip.push_back(lower);
            }
        }
        mesh.strips.push_back(strip);
    }
    return mesh;
}

MeshData helixBar(float length, float thickness)
{
    MeshData mesh;
    mesh.withColors = true;
    const float r = thickness * 0.5f;
    const float half = length * 0.5f;
    const int around = 20; // a multiple of four: the bar is exactly as thick as asked in y and z
    // The profile along x: (x, radius, outward normal's x part), from the
    // left tip over the cylinder to the right tip.
    struct Ring {
        float x, radius, nx;
    };
    std::vector<Ring> rings;
    const int capSteps = 6;
    for (int k = 0; k <= capSteps; ++k) {
        const float a = PI * 0.5f * static_cast<float>(k) / static_cast<float>(capSteps); // 0 at the tip
        rings.push_back({-half + r - r * std::cos(a), r * std::sin(a), -std::cos(a)});
    }
    const int body = 24;
    for (int k = 1; k < body; ++k) {
        const float x = -half + r + (length - 2.f * r) * static_cast<float>(k) / static_cast<float>(body);
        rings.push_back({x, r, 0.f});
    }
    for (int k = capSteps; k >= 0; --k) {
        const float a = PI * 0.5f * static_cast<float>(k) / static_cast<float>(capSteps);
        rings.push_back({half - r + r * std::cos(a), r * std::sin(a), std::cos(a)});
    }

    // Colours along the bar: two base colours of a DNA rung with a light
    // joint, each half brighter towards its outer end.
    const Color warmEnd = rgb(0xFFB347), warmIn = rgb(0xE8432E);
    const Color coolEnd = rgb(0x6FE3FF), coolIn = rgb(0x2E5BE8);
    const Color joint = rgb(0xFFF4E0);
    auto colourAt = [&](float x) {
        const float t = x / half; // -1 .. 1
        const float band = 1.f - smoothstep(0.03f, 0.12f, std::fabs(t));
        const Color side =
            t < 0.f ? mix(warmIn, warmEnd, smoothstep(0.f, 1.f, -t)) : mix(coolIn, coolEnd, smoothstep(0.f, 1.f, t));
        return mix(side, joint, band);
    };

    for (const Ring& ring : rings)
        for (int i = 0; i <= around; ++i) {
            const float a = 2.f * PI * static_cast<float>(i) / static_cast<float>(around);
            const float cy = std::cos(a), cz = std::sin(a);
            const float radial = std::sqrt(std::max(0.f, 1.f - ring.nx * ring.nx));
            mesh.addVertex({ring.x, ring.radius * cy, ring.radius * cz}, {ring.nx, radial * cy, radial * cz}, {},
                           colourAt(ring.x));
        }
    // Seen from outside with x growing to the right and the angle turning
    // from +y towards +z, the next ring first gives counter-clockwise faces.
    for (size_t k = 0; k + 1 < rings.size(); ++k) {
        std::vector<uint16_t> strip;
        for (int i = 0; i <= around; ++i) {
            strip.push_back(static_cast<uint16_t>((k + 1) * (around + 1) + i));
            strip.push_back(static_cast<uint16_t>(k * (around + 1) + i));
        }
        mesh.strips.push_back(strip);
    }
    return mesh;
}

namespace {

// The letters on a grid 40 units high with strokes 8 to 9 units thick,
// rounded outer corners; V at x 0..34, 3 at 40..70, D at 76..110.
void letterV(Shape2D& s, float x)
{
    // Two strokes meeting on a flat foot; their inner edges meet at the notch.
    const float notch = 40.f - 8.f / 0.3f;
    s.addConvex({{x + 0.f, 40.f}, {x + 12.f, 0.f}, {x + 17.f, 0.f}, {x + 17.f, notch}, {x + 9.f, 40.f}});
    s.addConvex({{x + 17.f, 0.f}, {x + 22.f, 0.f}, {x + 34.f, 40.f}, {x + 25.f, 40.f}, {x + 17.f, notch}});
}

void letter3(Shape2D& s, float x)
{
    const int arc = 8;
    s.addRect(x + 0.f, 32.f, x + 20.f, 40.f); // top bar
    s.addRingSector({x + 20.f, 30.f}, 2.f, 10.f, 0.f, 90.f, arc); // top right corner
    s.addRect(x + 22.f, 24.f, x + 30.f, 30.f); // upper spine
    s.addRect(x + 22.f, 16.f, x + 30.f, 24.f); // spine at the middle bar
    s.addRect(x + 8.f, 16.f, x + 22.f, 24.f); // middle bar
    s.addRect(x + 22.f, 10.f, x + 30.f, 16.f); // lower spine
    s.addRingSector({x + 20.f, 10.f}, 2.f, 10.f, -90.f, 0.f, arc); // bottom right corner
    s.addRect(x + 0.f, 0.f, x + 20.f, 8.f); // bottom bar
}

void letterD(Shape2D& s, float x)
{
    const int arc = 8;
    s.addRect(x + 0.f, 0.f, x + 8.f, 8.f); // stem, split where the bars join it
    s.addRect(x + 0.f, 8.f, x + 8.f, 32.f);
    s.addRect(x + 0.f, 32.f, x + 8.f, 40.f);
    s.addRect(x + 8.f, 32.f, x + 24.f, 40.f); // top bar
    s.addRingSector({x + 24.f, 30.f}, 2.f, 10.f, 0.f, 90.f, arc);
    s.addRect(x + 26.f, 10.f, x + 34.f, 30.f); // right side
    s.addRingSector({x + 24.f, 10.f}, 2.f, 10.f, -90.f, 0.f, arc);
    s.addRect(x + 8.f, 0.f, x + 24.f, 8.f); // bottom bar
}

} // namespace

MeshData logoLetters(float width, float depth)
{
    Shape2D shape;
    letterV(shape, 0.f);
    letter3(shape, 40.f);
    letterD(shape, 76.f);
    const float k = width / 110.f;
    shape.transform(-55.f, 0.f, k);
    return extrude(shape, depth, {-width * 0.5f, 0.f}, {width * 0.5f, 40.f * k}, 30.f, 1.2f * k);
}

} // namespace bake
