#include "Geometry.h"

#include <algorithm>
#include <stdexcept>

namespace bake {

uint16_t MeshData::addVertex(Vec3 position, Vec3 normal, Vec2 uv, Color color)
{
    if (positions.size() >= 65535)
        throw std::runtime_error("MeshData: more than 65535 vertices");
    positions.push_back(position);
    normals.push_back(normalized(normal));
    if (withTexCoords)
        texCoords.push_back(uv);
    if (withColors)
        colors.push_back(color);
    return static_cast<uint16_t>(positions.size() - 1);
}

std::vector<std::array<int, 3>> MeshData::triangles() const
{
    std::vector<std::array<int, 3>> result;
    for (const std::vector<uint16_t>& strip : strips)
        for (size_t i = 2; i < strip.size(); ++i) {
            std::array<int, 3> t = {strip[i - 2], strip[i - 1], strip[i]};
            if ((i - 2) % 2 == 1)
                std::swap(t[0], t[1]); // every second triangle of a strip is wound the other way
            if (t[0] != t[1] && t[1] != t[2] && t[0] != t[2])
                result.push_back(t);
        }
    return result;
}

void MeshData::bounds(Vec3& min, Vec3& max) const
{
    min = max = positions.empty() ? Vec3{} : positions[0];
    for (const Vec3& p : positions) {
        min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
        max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
    }
}

} // namespace bake
