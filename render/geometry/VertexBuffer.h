#pragma once
// VertexBuffer: the arrays that make up one vertex format: positions (3
// components, with a scale and a bias), normals (3 components), colours (3 or
// 4 byte components; without them every vertex has the default colour) and
// texture coordinates per texture unit (2 or 3 components, each unit with
// its own scale and bias). All arrays present hold the same number of
// vertices.

#include <cstdint>

#include "core/Object.h"
#include "core/Ref.h"
#include "core/Vector.h"
#include "render/scene/Object3D.h"
#include "render/geometry/VertexArray.h"
#include "slmath/slmath.h"

namespace render {

class VertexBuffer : public Object3D {
public:
    // The texture coordinates of one unit with their scale and bias.
    class TexCoordContainer : public core::Object {
    public:
        core::Ref<VertexArray> texCoords;
        float scale = 1.f;
        float bias[3] = {0.f, 0.f, 0.f};
    };

    // No arrays, default colour 0xFFFFFFFF (opaque white), position scale 1.
    VertexBuffer();
    ~VertexBuffer() noexcept(false) override;

    // A new buffer with copies of every array (arrays are not shared), the
    // same scales, biases and default colour.
    VertexBuffer* duplicate() const override;

    // Lists the animation tracks, then the arrays (see getRefsVertexBuffer).
    int getReferences(core::Vector<Object3D*>* refs) override;

    // Sets the positions (null clears them) with their scale and bias (null
    // bias = zero), and computes their bounds. Requires 3 components, the
    // vertex count of the other arrays, and finite scale and bias; every
    // texture unit's array must match ("setTexCoords WTF? position length !=
    // texture coordinates length"). Nothing changes when a check fails.
    void setPositions(VertexArray* positions, float scale, const float* bias);
    // Sets the normals (null clears them). Requires 3 components and the
    // vertex count of the other arrays.
    void setNormals(VertexArray* normals);
    // Sets the colours (null clears them). Requires byte components, 3 or 4
    // of them, and the vertex count of the other arrays.
    void setColors(VertexArray* colors);
    // Sets the coordinates of texture unit `index` (null clears the unit)
    // with their scale and bias: bias gives as many values as the array has
    // components (the rest stay 0; null means all 0). Requires index >= 0,
    // 2 or 3 components and the vertex count of the other arrays.
    void setTexCoords(int index, VertexArray* texCoords, float scale, const float* bias);
    // Changes the scale and bias of a unit set before. Requires
    // 0 <= index < getTexCoordCount() and coordinates in the unit ("No
    // texture coordinete set to given index. Use setTexCoords before calling
    // this method.").
    void setTexScaleBias(int index, float scale, const float* bias);

    VertexArray* getPositions() const { return m_positions.get(); }
    // The positions; writes scale, bias x, y, z to scaleBias when it is given.
    VertexArray* getPositions(float* scaleBias) const;
    VertexArray* getNormals() const { return m_normals.get(); }
    VertexArray* getColors() const { return m_colors.get(); }
    // The coordinates of unit `index`, or null; writes scale, bias x, y, z to
    // scaleBias when it is given and the unit is set. Requires
    // 0 <= index < getTexCoordCount().
    VertexArray* getTexCoords(int index, float* scaleBias) const;
    // Number of texture-unit slots (some may be empty).
    int getTexCoordCount() const { return m_texCoords.size(); }

    // 0xAARRGGBB.
    uint32_t getDefaultColor() const { return m_defaultColor; }
    void setDefaultColor(uint32_t argb) { m_defaultColor = argb; }

    // The vertex count of the positions, else the normals, else the colours,
    // else the first texture unit with coordinates; 0 without arrays.
    int getVertexCount() const;

protected:
    VertexBuffer(const VertexBuffer& other);

private:
    // Array slots in the order getVertexCount() consults them; texture unit
    // u is slot TEXCOORD_SLOT + u.
    enum { POSITION_SLOT = 0, NORMAL_SLOT = 1, COLOR_SLOT = 2, TEXCOORD_SLOT = 3 };
    // getVertexCount() ignoring slot `replaced`, which a setter is about to
    // fill: the count the new array has to match (0 = any count).
    int vertexCountWithout(int replaced) const;
    // Whether every texture unit's coordinates have `vertexCount` vertices.
    bool texCoordsMatch(int vertexCount) const;

    core::Ref<VertexArray> m_positions;
    core::Ref<VertexArray> m_normals;
    core::Ref<VertexArray> m_colors;
    core::Vector<core::Ref<TexCoordContainer>> m_texCoords;
    uint32_t m_defaultColor = 0xFFFFFFFFu;
    float m_positionScale = 1.f;
    slmath::vec3 m_positionBias;
};

} // namespace render
