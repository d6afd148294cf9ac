#include "examples/viewer/TorusMesh.h"

#include <cmath>

#include "core/Vector.h"
#include "render/geometry/TriangleListArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"

namespace viewer {

namespace {

// Fixed-point scales of the 16-bit arrays: positions up to 4 units, texture
// coordinates up to 30 repeats, normals as fractions of 32767.
constexpr float POSITION_UNITS = 8192.f;
constexpr float TEXCOORD_UNITS = 1024.f;
constexpr float NORMAL_UNITS = 32767.f;
constexpr float TWO_PI = 6.28318530718f;

short fixed(float value, float units)
{
    return static_cast<short>(std::lround(value * units));
}

} // namespace

core::Ref<render::Mesh> createTorus(const TorusShape& shape)
{
    ASSERT_MSG(shape.rings >= 3 && shape.rings <= 180 && shape.sides >= 3 && shape.sides <= 180 &&
                   shape.majorRadius > 0.f && shape.minorRadius > 0.f && shape.majorRadius + shape.minorRadius < 4.f &&
                   shape.repeatsAround > 0.f && shape.repeatsAround <= 30.f && shape.repeatsAcross > 0.f &&
                   shape.repeatsAcross <= 30.f,
               " shape is valid ");
    // One more vertex than segments each way: the texture seam needs both
    // coordinates 0 and 1 at the same place.
    const int columns = shape.rings + 1;
    const int rows = shape.sides + 1;
    const int vertexCount = columns * rows;

    core::Vector<short> positions;
    core::Vector<short> normals;
    core::Vector<short> texCoords;
    positions.reserve(vertexCount * 3);
    normals.reserve(vertexCount * 3);
    texCoords.reserve(vertexCount * 2);
    for (int i = 0; i < columns; ++i) {
        const float u = float(i) / float(shape.rings);
        const float theta = u * TWO_PI;
        for (int j = 0; j < rows; ++j) {
            const float v = float(j) / float(shape.sides);
            const float phi = v * TWO_PI;
            const float ring = shape.majorRadius + shape.minorRadius * std::cos(phi);
            const float nx = std::cos(phi) * std::cos(theta);
            const float ny = std::cos(phi) * std::sin(theta);
            const float nz = std::sin(phi);
            positions.add(fixed(ring * std::cos(theta), POSITION_UNITS));
            positions.add(fixed(ring * std::sin(theta), POSITION_UNITS));
            positions.add(fixed(shape.minorRadius * nz, POSITION_UNITS));
            normals.add(fixed(nx, NORMAL_UNITS));
            normals.add(fixed(ny, NORMAL_UNITS));
            normals.add(fixed(nz, NORMAL_UNITS));
            texCoords.add(fixed(u * shape.repeatsAround, TEXCOORD_UNITS));
            texCoords.add(fixed(v * shape.repeatsAcross, TEXCOORD_UNITS));
        }
    }

    // Going +theta then +phi turns counter-clockwise about the outward normal.
    core::Vector<unsigned short> indices;
    indices.reserve(shape.rings * shape.sides * 6);
    for (int i = 0; i < shape.rings; ++i) {
        for (int j = 0; j < shape.sides; ++j) {
            const auto at = [rows](int c, int r) { return static_cast<unsigned short>(c * rows + r); };
            const unsigned short a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            const unsigned short quad[6] = {a, b, c, a, c, d};
            for (unsigned short index : quad)
                indices.add(index);
        }
    }

    core::Ref<render::VertexArray> positionArray = VORNA3D_NEW render::VertexArray(vertexCount, 3, 2, 0);
    positionArray->set(vertexCount, positions.data());
    core::Ref<render::VertexArray> normalArray = VORNA3D_NEW render::VertexArray(vertexCount, 3, 2, 0);
    normalArray->set(vertexCount, normals.data());
    core::Ref<render::VertexArray> texCoordArray = VORNA3D_NEW render::VertexArray(vertexCount, 2, 2, 0);
    texCoordArray->set(vertexCount, texCoords.data());

    core::Ref<render::VertexBuffer> vertices = VORNA3D_NEW render::VertexBuffer();
    vertices->setPositions(positionArray.get(), 1.f / POSITION_UNITS, nullptr);
    vertices->setNormals(normalArray.get());
    vertices->setTexCoords(0, texCoordArray.get(), 1.f / TEXCOORD_UNITS, nullptr);
    core::Ref<render::TriangleListArray> triangles =
        VORNA3D_NEW render::TriangleListArray(indices.data(), indices.size());
    return core::Ref<render::Mesh>(VORNA3D_NEW render::Mesh(vertices.get(), triangles.get()));
}

} // namespace viewer
