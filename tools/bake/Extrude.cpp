#include "Extrude.h"

#include <cmath>
#include <stdexcept>

#include "Paint.h"

namespace bake {

int Shape2D::pointIndex(Vec2 p)
{
    const std::pair<long, long> key(std::lround(p.x * 1000.f), std::lround(p.y * 1000.f));
    const auto found = m_lookup.find(key);
    if (found != m_lookup.end())
        return found->second;
    m_points.push_back(p);
    const int index = static_cast<int>(m_points.size()) - 1;
    m_lookup.emplace(key, index);
    return index;
}

void Shape2D::addConvex(const std::vector<Vec2>& corners)
{
    if (corners.size() < 3)
        throw std::runtime_error("Shape2D: a polygon needs three corners");
    float area = 0.f;
    for (size_t i = 0; i < corners.size(); ++i) {
        const Vec2& a = corners[i];
        const Vec2& b = corners[(i + 1) % corners.size()];
        area += a.x * b.y - b.x * a.y;
    }
    if (area <= 0.f)
        throw std::runtime_error("Shape2D: polygon corners must run counter-clockwise");
    std::vector<int> indices;
    for (const Vec2& c : corners)
        indices.push_back(pointIndex(c));
    for (size_t i = 1; i + 1 < indices.size(); ++i)
        m_triangles.push_back({indices[0], indices[i], indices[i + 1]});
}

void Shape2D::addRingSector(Vec2 centre, float rInner, float rOuter, float a0, float a1, int segments)
{
    auto at = [&](float r, float degrees) {
        const float a = degrees * PI / 180.f;
        return Vec2{centre.x + r * std::cos(a), centre.y + r * std::sin(a)};
    };
    for (int i = 0; i < segments; ++i) {
        const float s0 = a0 + (a1 - a0) * static_cast<float>(i) / static_cast<float>(segments);
        const float s1 = a0 + (a1 - a0) * static_cast<float>(i + 1) / static_cast<float>(segments);
        addConvex({at(rInner, s0), at(rOuter, s0), at(rOuter, s1), at(rInner, s1)});
    }
}

void Shape2D::addRect(float x0, float y0, float x1, float y1)
{
    addConvex({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

void Shape2D::transform(float dx, float dy, float k)
{
    for (Vec2& p : m_points)
        p = Vec2{(p.x + dx) * k, (p.y + dy) * k};
    m_lookup.clear();
    for (size_t i = 0; i < m_points.size(); ++i)
        m_lookup.emplace(std::make_pair(std::lround(m_points[i].x * 1000.f), std::lround(m_points[i].y * 1000.f)),
                         static_cast<int>(i));
}

std::vector<std::pair<int, int>> Shape2D::outline() const
{
    std::map<std::pair<int, int>, int> edges;
    for (const auto& t : m_triangles)
        for (int i = 0; i < 3; ++i)
            ++edges[{t[i], t[(i + 1) % 3]}];
    std::vector<std::pair<int, int>> result;
    for (const auto& [edge, count] : edges)
        if (edges.find({edge.second, edge.first}) == edges.end())
            for (int i = 0; i < count; ++i)
                result.push_back(edge);
    return result;
}

MeshData extrude(const Shape2D& shape, float depth, Vec2 uvMin, Vec2 uvMax, float smoothAngle, float bevel)
{
    MeshData mesh;
    mesh.withTexCoords = true;
    const float h = depth * 0.5f;
    const float wall = h - bevel; // the side walls' half height
    const std::vector<Vec2>& points = shape.points();
    auto uv = [&](Vec2 p) {
        return Vec2{(p.x - uvMin.x) / (uvMax.x - uvMin.x), (uvMax.y - p.y) / (uvMax.y - uvMin.y)};
    };

    // Outline edges a -> b (shape on their left) face (dy, -dx). A corner
    // between two edges is smooth when their normals differ by less than
    // smoothAngle.
    const std::vector<std::pair<int, int>> outline = shape.outline();
    std::map<int, Vec3> edgeNormalFrom, edgeNormalTo; // by start point / end point
    auto edgeNormal = [&](const std::pair<int, int>& e) {
        const Vec2 a = points[e.first], b = points[e.second];
        return normalized(Vec3{b.y - a.y, a.x - b.x, 0.f});
    };
    for (const auto& e : outline) {
        edgeNormalFrom[e.first] = edgeNormal(e);
        edgeNormalTo[e.second] = edgeNormal(e);
    }
    const float smoothCos = std::cos(smoothAngle * PI / 180.f);
    auto cornerNormal = [&](Vec3 own, const std::map<int, Vec3>& neighbours, int point) {
        const auto other = neighbours.find(point);
        if (other == neighbours.end() || dot(own, other->second) < smoothCos)
            return own;
        return normalized(own + other->second);
    };

    // The faces' points: outline points move inward along the corner's
    // bisector so that both edges end up `bevel` further in.
    std::vector<Vec2> face = points;
    if (bevel > 0.f)
        for (const auto& [point, out] : edgeNormalFrom) {
            const auto in = edgeNormalTo.find(point);
            if (in == edgeNormalTo.end())
                continue;
            const Vec3 bisector = normalized(out + in->second);
            const float offset = bevel / std::max(dot(bisector, out), 0.5f);
            face[point] = Vec2{points[point].x - bisector.x * offset, points[point].y - bisector.y * offset};
        }

    // Front (+z) and back (-z) faces: one vertex per point and face.
    std::vector<uint16_t> front, back;
    for (const Vec2& p : face) {
        front.push_back(mesh.addVertex({p.x, p.y, h}, {0.f, 0.f, 1.f}, uv(p)));
        back.push_back(mesh.addVertex({p.x, p.y, -h}, {0.f, 0.f, -1.f}, uv(p)));
    }
    for (const auto& t : shape.triangles()) {
        mesh.strips.push_back({front[t[0]], front[t[1]], front[t[2]]});
        mesh.strips.push_back({back[t[0]], back[t[2]], back[t[1]]});
    }

    for (const auto& e : outline) {
        const Vec2 a = points[e.first], b = points[e.second];
        const Vec3 n = edgeNormal(e);
        const Vec3 na = cornerNormal(n, edgeNormalTo, e.first);
        const Vec3 nb = cornerNormal(n, edgeNormalFrom, e.second);
        // The wall: strip top a, bottom a, top b, bottom b faces outward.
        const uint16_t af = mesh.addVertex({a.x, a.y, wall}, na, uv(a));
        const uint16_t ab = mesh.addVertex({a.x, a.y, -wall}, na, uv(a));
        const uint16_t bf = mesh.addVertex({b.x, b.y, wall}, nb, uv(b));
        const uint16_t bb = mesh.addVertex({b.x, b.y, -wall}, nb, uv(b));
        mesh.strips.push_back({af, ab, bf, bb});
        if (bevel <= 0.f)
            continue;
        // Chamfers from the inset faces down to the walls, half way between
        // the face's and the wall's directions.
        const Vec2 ai = face[e.first], bi = face[e.second];
        const Vec3 up{0.f, 0.f, 1.f}, down{0.f, 0.f, -1.f};
        const uint16_t fai = mesh.addVertex({ai.x, ai.y, h}, na + up, uv(ai));
        const uint16_t fao = mesh.addVertex({a.x, a.y, wall}, na + up, uv(a));
        const uint16_t fbi = mesh.addVertex({bi.x, bi.y, h}, nb + up, uv(bi));
        const uint16_t fbo = mesh.addVertex({b.x, b.y, wall}, nb + up, uv(b));
        mesh.strips.push_back({fai, fao, fbi, fbo});
        const uint16_t kai = mesh.addVertex({ai.x, ai.y, -h}, na + down, uv(ai));
        const uint16_t kao = mesh.addVertex({a.x, a.y, -wall}, na + down, uv(a));
        const uint16_t kbi = mesh.addVertex({bi.x, bi.y, -h}, nb + down, uv(bi));
        const uint16_t kbo = mesh.addVertex({b.x, b.y, -wall}, nb + down, uv(b));
        mesh.strips.push_back({kao, kai, kbo, kbi});
    }
    return mesh;
}

} // namespace bake
