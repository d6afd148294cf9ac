#include "render/geometry/VertexBuffer.h"

#include "render/scene/Object3D_References.h"

namespace render {

namespace {

// The first `count` values of `bias` (all zero when it is null), checked to
// be finite; the rest zero.
slmath::vec3 biasOf(const float* bias, int count)
{
    if (!bias)
        return slmath::vec3();
    return slmath::vec3(bias[0], count > 1 ? bias[1] : 0.f, count > 2 ? bias[2] : 0.f);
}

// The unit's copy of `source`: its own duplicate of the coordinates.
core::Ref<VertexBuffer::TexCoordContainer> duplicateUnit(const VertexBuffer::TexCoordContainer& source)
{
    core::Ref<VertexBuffer::TexCoordContainer> copy = VORNA3D_NEW VertexBuffer::TexCoordContainer();
    copy->texCoords = source.texCoords ? source.texCoords->duplicate() : nullptr;
    copy->scale = source.scale;
    for (int i = 0; i < 3; ++i)
        copy->bias[i] = source.bias[i];
    return copy;
}

} // namespace

VertexBuffer::VertexBuffer() = default;

VertexBuffer::VertexBuffer(const VertexBuffer& other)
    : Object3D(other), m_defaultColor(other.m_defaultColor), m_positionScale(other.m_positionScale),
      m_positionBias(other.m_positionBias)
{
    if (other.m_positions)
        m_positions = other.m_positions->duplicate();
    if (other.m_normals)
        m_normals = other.m_normals->duplicate();
    if (other.m_colors)
        m_colors = other.m_colors->duplicate();
    m_texCoords.setSize(other.m_texCoords.size());
    for (int unit = 0; unit < other.m_texCoords.size(); ++unit)
        if (other.m_texCoords[unit])
            m_texCoords[unit] = duplicateUnit(*other.m_texCoords[unit]);
}

VertexBuffer::~VertexBuffer() noexcept(false) = default;

VertexBuffer* VertexBuffer::duplicate() const
{
    return VORNA3D_NEW VertexBuffer(*this);
}

int VertexBuffer::getReferences(core::Vector<Object3D*>* refs)
{
    const int tracks = getRefsObject3D(this, refs);
    return tracks + getRefsVertexBuffer(this, refs);
}

int VertexBuffer::vertexCountWithout(int replaced) const
{
    if (replaced != POSITION_SLOT && m_positions)
        return m_positions->getVertexCount();
    if (replaced != NORMAL_SLOT && m_normals)
        return m_normals->getVertexCount();
    if (replaced != COLOR_SLOT && m_colors)
        return m_colors->getVertexCount();
    for (int unit = 0; unit < m_texCoords.size(); ++unit)
        if (replaced != TEXCOORD_SLOT + unit && m_texCoords[unit] && m_texCoords[unit]->texCoords)
            return m_texCoords[unit]->texCoords->getVertexCount();
    return 0;
}

int VertexBuffer::getVertexCount() const
{
    return vertexCountWithout(-1);
}

bool VertexBuffer::texCoordsMatch(int vertexCount) const
{
    for (const core::Ref<TexCoordContainer>& unit : m_texCoords)
        if (unit && unit->texCoords && unit->texCoords->getVertexCount() != vertexCount)
            return false;
    return true;
}

void VertexBuffer::setPositions(VertexArray* positions, float scale, const float* bias)
{
    ASSERT(positions == 0 || positions->getComponentCount() == 3);
    const int others = vertexCountWithout(POSITION_SLOT);
    ASSERT_MSG(positions == 0 || (others == 0 || positions->getVertexCount() == others),
               " positions == 0 || (getVertexCount() == 0 || positions->getVertexCount() == getVertexCount()) ");
    ASSERT(slmath::check(scale));
    const slmath::vec3 positionBias = biasOf(bias, 3);
    // Texture units are checked on their own as well: an array may have
    // grown since it was set.
    ASSERT_MSG(positions == 0 || texCoordsMatch(positions->getVertexCount()),
               "setTexCoords WTF? position length != texture coordinates length");
    if (positions)
        positions->findMaxAndMin();
    m_positions = positions;
    m_positionScale = scale;
    m_positionBias = positionBias;
}

void VertexBuffer::setNormals(VertexArray* normals)
{
    ASSERT(normals == 0 || normals->getComponentCount() == 3);
    const int others = vertexCountWithout(NORMAL_SLOT);
    ASSERT_MSG(normals == 0 || (others == 0 || normals->getVertexCount() == others),
               " normals == 0 || (getVertexCount() == 0 || normals->getVertexCount() == getVertexCount()) ");
    m_normals = normals;
}

void VertexBuffer::setColors(VertexArray* colors)
{
    ASSERT(colors == 0 || colors->getComponentType() == 1);
    ASSERT(colors == 0 || colors->getComponentCount() == 3 || colors->getComponentCount() == 4);
    const int others = vertexCountWithout(COLOR_SLOT);
    ASSERT_MSG(colors == 0 || (others == 0 || colors->getVertexCount() == others),
               " colors == 0 || (getVertexCount() == 0 || colors->getVertexCount() == getVertexCount()) ");
    m_colors = colors;
}

void VertexBuffer::setTexCoords(int index, VertexArray* texCoords, float scale, const float* bias)
{
    ASSERT((0 <= index));
    ASSERT(texCoords == 0 || texCoords->getComponentCount() == 2 || texCoords->getComponentCount() == 3);
    const int others = vertexCountWithout(TEXCOORD_SLOT + index);
    ASSERT_MSG(texCoords == 0 || (others == 0 || texCoords->getVertexCount() == others),
               " texCoords == 0 || (getVertexCount() == 0 || texCoords->getVertexCount() == getVertexCount()) ");
    ASSERT_MSG(texCoords == 0 || !m_positions || m_positions->getVertexCount() == texCoords->getVertexCount(),
               "setTexCoords WTF? position length != texture coordinates length");
    if (!texCoords) {
        if (index < m_texCoords.size())
            m_texCoords[index] = nullptr;
        return;
    }
    ASSERT(slmath::check(scale));
    const slmath::vec3 unitBias = biasOf(bias, texCoords->getComponentCount());

    core::Ref<TexCoordContainer> unit = VORNA3D_NEW TexCoordContainer();
    unit->texCoords = texCoords;
    unit->scale = scale;
    unit->bias[0] = unitBias.x;
    unit->bias[1] = unitBias.y;
    unit->bias[2] = unitBias.z;
    if (m_texCoords.size() < index + 1)
        m_texCoords.setSize(index + 1);
    m_texCoords[index] = unit;
}

void VertexBuffer::setTexScaleBias(int index, float scale, const float* bias)
{
    ASSERT((0 <= index) && (index < m_texCoords.size()));
    TexCoordContainer* unit = m_texCoords[index].get();
    ASSERT_MSG(unit && unit->texCoords,
               "No texture coordinete set to given index. Use setTexCoords before calling this method.");
    ASSERT(slmath::check(scale));
    const slmath::vec3 unitBias = biasOf(bias, unit->texCoords->getComponentCount());
    unit->scale = scale;
    unit->bias[0] = unitBias.x;
    unit->bias[1] = unitBias.y;
    unit->bias[2] = unitBias.z;
}

VertexArray* VertexBuffer::getPositions(float* scaleBias) const
{
    if (scaleBias && m_positions) {
        scaleBias[0] = m_positionScale;
        scaleBias[1] = m_positionBias.x;
        scaleBias[2] = m_positionBias.y;
        scaleBias[3] = m_positionBias.z;
    }
    return m_positions.get();
}

VertexArray* VertexBuffer::getTexCoords(int index, float* scaleBias) const
{
    ASSERT((0 <= index) && (index < m_texCoords.size()));
    const TexCoordContainer* unit = m_texCoords[index].get();
    if (!unit || !unit->texCoords)
        return nullptr;
    if (scaleBias) {
        scaleBias[0] = unit->scale;
        for (int i = 0; i < 3; ++i)
            scaleBias[1 + i] = unit->bias[i];
    }
    return unit->texCoords.get();
}

} // namespace render
