#pragma once
// Procedural painting helpers: smooth steps, deterministic noise and shapes
// given by signed distance functions (negative inside, in pixels), painted
// with an anti-aliased edge one pixel wide. Everything is a pure function of
// its arguments, so a picture comes out the same on every run.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Canvas.h"

namespace bake {

constexpr float PI = 3.14159265358979f;

inline float clampf(float v, float lo, float hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

// 0 below e0, 1 above e1, a smooth cubic between.
inline float smoothstep(float e0, float e1, float x)
{
    const float t = clampf((x - e0) / (e1 - e0), 0.f, 1.f);
    return t * t * (3.f - 2.f * t);
}

// A well-mixed 32-bit hash of two integers and a seed.
uint32_t hash(int x, int y, uint32_t seed);
// hash() mapped to [0, 1).
float hash01(int x, int y, uint32_t seed);

// Smooth gradient noise in about [-1, 1] with features one unit apart.
// With period > 0 the noise repeats every `period` units in x and y.
float noise(float x, float y, uint32_t seed, int period = 0);
// Fractal sum of `octaves` noise layers, each twice the frequency and
// `gain` times the amplitude of the one before; normalised to about [-1, 1].
float fbm(float x, float y, int octaves, float gain, uint32_t seed, int period = 0);
// Cellular pattern: the distance from (x, y) to the nearest of one jittered
// point per unit cell, and to the second nearest (F1, F2). Repeats every
// `period` cells when period > 0.
void cells(float x, float y, uint32_t seed, float& f1, float& f2, int period = 0);

// Signed distances (pixels or any unit), negative inside.
inline float sdCircle(float px, float py, float cx, float cy, float r)
{
    return std::hypot(px - cx, py - cy) - r;
}

// An axis-aligned box centred at (cx, cy) with half sides hx, hy and
// rounded corners of radius `round`.
inline float sdBox(float px, float py, float cx, float cy, float hx, float hy, float round = 0.f)
{
    const float qx = std::fabs(px - cx) - hx + round;
    const float qy = std::fabs(py - cy) - hy + round;
    const float outside = std::hypot(std::max(qx, 0.f), std::max(qy, 0.f));
    return outside + std::min(std::max(qx, qy), 0.f) - round;
}

// An ellipse with radii rx, ry (a close approximation away from the
// centre, exact on the axes: enough for anti-aliased edges).
inline float sdEllipse(float px, float py, float cx, float cy, float rx, float ry)
{
    const float dx = (px - cx) / rx, dy = (py - cy) / ry;
    const float k0 = std::hypot(dx, dy);
    const float k1 = std::hypot(dx / rx, dy / ry);
    if (k1 <= 0.f)
        return -std::min(rx, ry);
    return k0 * (k0 - 1.f) / k1;
}

// A segment from (ax, ay) to (bx, by) thickened by radius r (a capsule).
inline float sdCapsule(float px, float py, float ax, float ay, float bx, float by, float r)
{
    const float pax = px - ax, pay = py - ay, bax = bx - ax, bay = by - ay;
    const float h = clampf((pax * bax + pay * bay) / (bax * bax + bay * bay), 0.f, 1.f);
    return std::hypot(pax - bax * h, pay - bay * h) - r;
}

// A triangle (any winding).
float sdTriangle(float px, float py, float ax, float ay, float bx, float by, float cx, float cy);

// Coverage of a pixel whose centre lies `d` from an edge: 1 inside, 0
// outside, a linear ramp `feather` pixels wide across the edge.
inline float coverage(float d, float feather = 1.f)
{
    return clampf(0.5f - d / feather, 0.f, 1.f);
}

// Paints the shape `sdf(x, y)` (pixel centres at +0.5) inside the box
// [x0, x1) x [y0, y1), each pixel coloured by `shader(x, y)`, blended over
// the canvas with its coverage.
template <class Sdf, class Shader>
void paintShape(Canvas& canvas, int x0, int y0, int x1, int y1, Sdf sdf, Shader shader, float feather = 1.f)
{
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, canvas.width());
    y1 = std::min(y1, canvas.height());
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
            const float c = coverage(sdf(px, py), feather);
            if (c > 0.f)
                canvas.blend(x, y, shader(px, py), c);
        }
}

// Runs `shader(x, y)` for every pixel and blends its colour over the canvas.
template <class Shader> void paintEach(Canvas& canvas, Shader shader)
{
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            canvas.blend(x, y, shader(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f));
}

// A soft round glow: `color` with alpha falling from the centre as a
// Gaussian of the given radius (sigma = radius / 2), added as light.
void glow(Canvas& canvas, float cx, float cy, float radius, const Color& color, float strength);

} // namespace bake
