#include "MeshPreview.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Paint.h"
#include "render/appearance/Appearance.h"
#include "render/geometry/IndexBuffer.h"
#include "render/appearance/Material.h"
#include "render/scene/Mesh.h"
#include "render/appearance/PolygonMode.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"

namespace bake {

namespace {

constexpr int SS = 2;

struct Vertex {
    Vec3 position; // world
    Color color; // lit colour
    Vec2 uv;
};

// Screen-space vertex: x, y in pixels, z the view depth, w = 1 / depth.
struct ScreenVertex {
    float x, y, z, w;
    Color color;
    Vec2 uv;
};

Color colorOf(uint32_t argb)
{
    return Color{((argb >> 16) & 0xFF) / 255.f, ((argb >> 8) & 0xFF) / 255.f, (argb & 0xFF) / 255.f,
                 ((argb >> 24) & 0xFF) / 255.f};
}

std::vector<short> shorts(render::VertexArray* array)
{
    std::vector<short> values(static_cast<size_t>(array->getVertexCount() * array->getComponentCount()));
    array->get(0, array->getVertexCount(), values.data());
    return values;
}

std::vector<char> bytes(render::VertexArray* array)
{
    std::vector<char> values(static_cast<size_t>(array->getVertexCount() * array->getComponentCount()));
    array->get(0, array->getVertexCount(), values.data());
    return values;
}

// Per-vertex lighting as the fixed-function pipeline does it: emissive +
// ambient + diffuse, plus white specular, from one directional light and a
// weak ambient light.
std::vector<Vertex> lightVertices(render::Mesh& mesh, float scaleY, const Vec3& eye)
{
    render::VertexBuffer* vb = mesh.getVertexBuffer();
    float sb[4] = {1.f, 0.f, 0.f, 0.f};
    render::VertexArray* positions = vb->getPositions(sb);
    const std::vector<short> p = shorts(positions);
    std::vector<short> n;
    if (vb->getNormals())
        n = shorts(vb->getNormals());
    std::vector<char> colors;
    int colorComponents = 0;
    if (vb->getColors()) {
        colors = bytes(vb->getColors());
        colorComponents = vb->getColors()->getComponentCount();
    }
    std::vector<short> uv;
    float tsb[4] = {1.f, 0.f, 0.f, 0.f};
    if (vb->getTexCoordCount() > 0 && vb->getTexCoords(0, tsb))
        uv = shorts(vb->getTexCoords(0, tsb));

    render::Appearance* look = mesh.getAppearance(0);
    render::Material* material = look ? look->getMaterial() : nullptr;
    const bool twoSided = look && look->getPolygonMode() && look->getPolygonMode()->isTwoSidedLightingEnabled();
    const Vec3 light = normalized(Vec3{-0.5f, 0.7f, 0.6f});

    std::vector<Vertex> out;
    const int count = positions->getVertexCount();
    for (int i = 0; i < count; ++i) {
        Vertex v;
        v.position =
            Vec3{p[i * 3] * sb[0] + sb[1], (p[i * 3 + 1] * sb[0] + sb[2]) * scaleY, p[i * 3 + 2] * sb[0] + sb[3]};
        Color base{1.f, 1.f, 1.f, 1.f};
        if (colorComponents > 0) {
            const auto* c = reinterpret_cast<const unsigned char*>(colors.data()) + i * colorComponents;
            base = Color{c[0] / 255.f, c[1] / 255.f, c[2] / 255.f, colorComponents == 4 ? c[3] / 255.f : 1.f};
        }
        if (material && !n.empty()) {
            Vec3 normal = normalized(Vec3{static_cast<float>(n[i * 3]), static_cast<float>(n[i * 3 + 1]) * scaleY,
                                          static_cast<float>(n[i * 3 + 2])});
            const Vec3 toEye = normalized(eye - v.position);
            if (twoSided && dot(normal, toEye) < 0.f)
                normal = normal * -1.f;
            const bool tracking = material->isVertexColorTrackingEnabled();
            const Color ambient = tracking ? base : colorOf(material->getColor(render::Material::AMBIENT));
            const Color diffuse = tracking ? base : colorOf(material->getColor(render::Material::DIFFUSE));
            const Color emissive = colorOf(material->getColor(render::Material::EMISSIVE));
            const Color specular = colorOf(material->getColor(render::Material::SPECULAR));
            const float lambert = std::max(0.f, dot(normal, light));
            const Vec3 halfway = normalized(light + toEye);
            const float shininess = material->getShininess();
            const float highlight =
                lambert > 0.f && shininess > 0.f ? std::pow(std::max(0.f, dot(normal, halfway)), shininess) : 0.f;
            const float ambientLight = 0.35f;
            v.color =
                Color{emissive.r + ambient.r * ambientLight + diffuse.r * lambert + specular.r * highlight,
                      emissive.g + ambient.g * ambientLight + diffuse.g * lambert + specular.g * highlight,
                      emissive.b + ambient.b * ambientLight + diffuse.b * lambert + specular.b * highlight, diffuse.a};
        } else {
            v.color = base;
        }
        if (!uv.empty())
            v.uv = Vec2{uv[i * 2] * tsb[0] + tsb[1], uv[i * 2 + 1] * tsb[0] + tsb[2]};
        out.push_back(v);
    }
    return out;
}

// Triangles of the mesh's first submesh in front-face winding.
std::vector<std::array<int, 3>> trianglesOf(render::Mesh& mesh)
{
    render::IndexBuffer* ib = mesh.getIndexBuffer(0);
    const unsigned short* idx = ib->getPtr();
    const int count = ib->getIndexCount();
    std::vector<std::array<int, 3>> out;
    if (ib->getPrimitiveType() == render::IndexBuffer::TRIANGLE_STRIP) {
        for (int i = 2; i < count; ++i) {
            std::array<int, 3> t = {idx[i - 2], idx[i - 1], idx[i]};
            if (i % 2 == 1)
                std::swap(t[0], t[1]);
            if (t[0] != t[1] && t[1] != t[2] && t[0] != t[2])
                out.push_back(t);
        }
    } else if (ib->getPrimitiveType() == render::IndexBuffer::TRIANGLE_LIST) {
        for (int i = 0; i + 2 < count; i += 3)
            out.push_back({idx[i], idx[i + 1], idx[i + 2]});
    }
    return out;
}

Color sampleTexture(const Canvas& texture, Vec2 uv)
{
    // Repeat wrapping, bilinear.
    const float u = uv.x - std::floor(uv.x), v = uv.y - std::floor(uv.y);
    const Pixel p = texture.sample(u * static_cast<float>(texture.width()), v * static_cast<float>(texture.height()));
    if (p.a <= 0.f)
        return Color{0.f, 0.f, 0.f, 0.f};
    return Color{p.r / p.a, p.g / p.a, p.b / p.a, p.a};
}

} // namespace

Canvas renderPreview(const std::vector<PreviewItem>& items, const PreviewView& view, int width, int height)
{
    const int w = width * SS, h = height * SS;
    Canvas frame(w, h);
    paintEach(frame, [&](float, float y) {
        return mix(view.background, scaled(view.background, 0.4f), y / static_cast<float>(h));
    });
    std::vector<float> depth(static_cast<size_t>(w) * h, std::numeric_limits<float>::infinity());

    // Camera basis.
    const Vec3 forward = normalized(view.target - view.eye);
    const Vec3 right = normalized(cross(forward, Vec3{0.f, 1.f, 0.f}));
    const Vec3 up = cross(right, forward);
    const float focal = static_cast<float>(h) * 0.5f / std::tan(view.fovY * PI / 360.f);

    for (const PreviewItem& item : items) {
        const std::vector<Vertex> vertices = lightVertices(*item.mesh, item.scaleY, view.eye);
        render::Appearance* look = item.mesh->getAppearance(0);
        const bool cullBack =
            !(look && look->getPolygonMode() && look->getPolygonMode()->getCulling() == render::PolygonMode::CULL_NONE);
        std::vector<ScreenVertex> screen;
        for (const Vertex& v : vertices) {
            const Vec3 rel = v.position - view.eye;
            const float z = dot(rel, forward);
            const float zc = std::max(z, 0.01f);
            screen.push_back(ScreenVertex{static_cast<float>(w) * 0.5f + dot(rel, right) * focal / zc,
                                          static_cast<float>(h) * 0.5f - dot(rel, up) * focal / zc, z, 1.f / zc,
                                          v.color, v.uv});
        }
        for (std::array<int, 3> t : trianglesOf(*item.mesh)) {
            if (item.scaleY < 0.f)
                std::swap(t[1], t[2]); // mirroring turns the winding over
            const ScreenVertex& a = screen[t[0]];
            const ScreenVertex& b = screen[t[1]];
            const ScreenVertex& c = screen[t[2]];
            if (a.z < 1.f || b.z < 1.f || c.z < 1.f)
                continue; // no near-plane clipping: drop what crosses it
            // Screen y grows downwards, so a counter-clockwise front face has a negative area here.
            const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
            if (area == 0.f || (cullBack && area > 0.f))
                continue;
            const int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.x, b.x, c.x}))));
            const int x1 = std::min(w - 1, static_cast<int>(std::ceil(std::max({a.x, b.x, c.x}))));
            const int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.y, b.y, c.y}))));
            const int y1 = std::min(h - 1, static_cast<int>(std::ceil(std::max({a.y, b.y, c.y}))));
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x) {
                    const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
                    float l0 = ((b.x - px) * (c.y - py) - (c.x - px) * (b.y - py)) / area;
                    float l1 = ((c.x - px) * (a.y - py) - (a.x - px) * (c.y - py)) / area;
                    float l2 = 1.f - l0 - l1;
                    if (l0 < 0.f || l1 < 0.f || l2 < 0.f)
                        continue;
                    // Perspective-correct weights.
                    const float q0 = l0 * a.w, q1 = l1 * b.w, q2 = l2 * c.w;
                    const float qs = q0 + q1 + q2;
                    const float z = 1.f / qs;
                    float& stored = depth[static_cast<size_t>(y) * w + x];
                    if (z >= stored)
                        continue;
                    const float k0 = q0 / qs, k1 = q1 / qs, k2 = q2 / qs;
                    Color col{a.color.r * k0 + b.color.r * k1 + c.color.r * k2,
                              a.color.g * k0 + b.color.g * k1 + c.color.g * k2,
                              a.color.b * k0 + b.color.b * k1 + c.color.b * k2,
                              a.color.a * k0 + b.color.a * k1 + c.color.a * k2};
                    if (item.texture) {
                        const Color tex = sampleTexture(
                            *item.texture,
                            Vec2{a.uv.x * k0 + b.uv.x * k1 + c.uv.x * k2, a.uv.y * k0 + b.uv.y * k1 + c.uv.y * k2});
                        col = Color{col.r * tex.r, col.g * tex.g, col.b * tex.b, col.a * tex.a};
                    }
                    if (col.a < item.alphaThreshold)
                        continue;
                    stored = z;
                    col.a = 1.f;
                    frame.set(x, y,
                              Color{clampf(col.r, 0.f, 1.f), clampf(col.g, 0.f, 1.f), clampf(col.b, 0.f, 1.f), 1.f});
                }
        }
    }
    return frame.downsampled(SS);
}

} // namespace bake
