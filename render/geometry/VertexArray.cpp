#include "render/geometry/VertexArray.h"

#include <cstdint>
#include <cstring>

#include "core/Debug.h"

namespace render {

VertexArray::VertexArray(int numVertices, int numComponents, int componentSize, int fill)
{
    ASSERT(numVertices >= 1 && numVertices <= 65535);
    ASSERT(numComponents >= 2 && numComponents <= 4);
    ASSERT(componentSize == 1 || componentSize == 2);
    m_numComponents = numComponents;
    m_invNumComponents = 1.f / float(numComponents);
    m_componentSize = componentSize;
    const int count = numVertices * numComponents;
    if (componentSize == 1)
        m_byteBuffer = VORNA3D_NEW core::Vector<char>();
    else
        m_shortBuffer = VORNA3D_NEW core::Vector<short>();
    if (m_byteBuffer)
        m_byteBuffer->setSize(count, static_cast<char>(fill));
    else
        m_shortBuffer->setSize(count, static_cast<short>(fill));
    findMaxAndMin();
}

VertexArray::VertexArray(const VertexArray& other)
    : Object3D(other), m_min(other.m_min), m_max(other.m_max), m_invNumComponents(other.m_invNumComponents),
      m_numComponents(other.m_numComponents), m_componentSize(other.m_componentSize), m_dirty(other.m_dirty)
{
    if (other.m_byteBuffer)
        m_byteBuffer = VORNA3D_NEW core::Vector<char>(*other.m_byteBuffer);
    if (other.m_shortBuffer)
        m_shortBuffer = VORNA3D_NEW core::Vector<short>(*other.m_shortBuffer);
}

VertexArray::~VertexArray() noexcept(false) = default;

VertexArray* VertexArray::duplicate() const
{
    return VORNA3D_NEW VertexArray(*this);
}

void VertexArray::set(int numVertices, const char* values)
{
    ASSERT(m_staticID == INVALID_STATIC_ID);
    ASSERT(values);
    ASSERT(m_componentSize == 1);
    ASSERT_MSG(!m_shortBuffer, " m_shortBuffer == 0 ");
    ASSERT(numVertices >= 0 && numVertices <= 65535);
    const int count = numVertices * m_numComponents;
    if (!m_byteBuffer)
        m_byteBuffer = VORNA3D_NEW core::Vector<char>();
    if (m_byteBuffer->size() < count)
        m_byteBuffer->setSizeForNativeType(count);
    if (count > 0)
        std::memcpy(m_byteBuffer->data(), values, static_cast<size_t>(count));
    m_dirty = true;
}

void VertexArray::set(int numVertices, const short* values)
{
    ASSERT(m_staticID == INVALID_STATIC_ID);
    ASSERT(values);
    ASSERT(m_componentSize == 2);
    ASSERT_MSG(!m_byteBuffer, " m_byteBuffer == 0 ");
    ASSERT(numVertices >= 0 && numVertices <= 65535);
    const int count = numVertices * m_numComponents;
    if (!m_shortBuffer)
        m_shortBuffer = VORNA3D_NEW core::Vector<short>();
    if (m_shortBuffer->size() < count)
        m_shortBuffer->setSizeForNativeType(count);
    if (count > 0)
        std::memcpy(m_shortBuffer->data(), values, sizeof(short) * static_cast<size_t>(count));
    m_dirty = true;
}

template <class T>
void VertexArray::copyOut(const core::Vector<T>& buffer, int firstVertex, int numVertices, T* values) const
{
    const int count = numVertices * m_numComponents;
    if (count > 0)
        std::memcpy(values, buffer.data() + firstVertex * m_numComponents, sizeof(T) * static_cast<size_t>(count));
}

void VertexArray::get(int firstVertex, int numVertices, char* values) const
{
    ASSERT(values);
    ASSERT(m_componentSize == 1);
    ASSERT(numVertices >= 0);
    ASSERT(firstVertex >= 0);
    // Summed in 64 bits: two large counts must not wrap into a small one.
    ASSERT_MSG(int64_t(firstVertex) + numVertices <= bufferVertexCount(),
               " getVertexCount() >= firstVertex + numVertices ");
    ASSERT_MSG(!m_shortBuffer, " m_shortBuffer == 0 ");
    copyOut(*m_byteBuffer, firstVertex, numVertices, values);
}

void VertexArray::get(int firstVertex, int numVertices, short* values) const
{
    ASSERT(values);
    ASSERT(m_componentSize == 2);
    ASSERT(numVertices >= 0);
    ASSERT(firstVertex >= 0);
    ASSERT_MSG(int64_t(firstVertex) + numVertices <= bufferVertexCount(),
               " getVertexCount() >= firstVertex + numVertices ");
    ASSERT_MSG(!m_byteBuffer, " m_byteBuffer == 0 ");
    copyOut(*m_shortBuffer, firstVertex, numVertices, values);
}

int VertexArray::getVertexCount() const
{
    if (m_staticID != INVALID_STATIC_ID)
        return m_staticVertexCount;
    return bufferVertexCount();
}

int VertexArray::bufferVertexCount() const
{
    // The count comes from the stored reciprocal; it is exact for every
    // array size the constructor allows, and the check proves it.
    if (m_byteBuffer) {
        const int size = int(float(m_byteBuffer->size()) * m_invNumComponents);
        ASSERT(size == m_byteBuffer->size() / m_numComponents && (m_byteBuffer->size() % m_numComponents) == 0);
        return size;
    }
    if (m_shortBuffer) {
        const int size = int(float(m_shortBuffer->size()) * m_invNumComponents);
        ASSERT(size == m_shortBuffer->size() / m_numComponents && (m_shortBuffer->size() % m_numComponents) == 0);
        return size;
    }
    return 0;
}

int VertexArray::getComponentType() const
{
    ASSERT(m_componentSize == 1 || m_componentSize == 2);
    return m_componentSize;
}

core::Vector<char>* VertexArray::getCharDataArrayPtr()
{
    ASSERT(m_staticID == INVALID_STATIC_ID);
    m_dirty = true;
    return m_byteBuffer.get();
}

core::Vector<short>* VertexArray::getShortDataArrayPtr()
{
    ASSERT(m_staticID == INVALID_STATIC_ID);
    m_dirty = true;
    return m_shortBuffer.get();
}

void* VertexArray::getPtr()
{
    ASSERT(m_staticID == INVALID_STATIC_ID);
    if (m_byteBuffer)
        return m_byteBuffer->data();
    if (m_shortBuffer)
        return m_shortBuffer->data();
    return nullptr;
}

void VertexArray::setComponentType(int componentSize)
{
    ASSERT(m_staticID == INVALID_STATIC_ID);
    // Widening bytes to shorts is the one conversion: shorts cannot be
    // narrowed without losing values.
    ASSERT_MSG(componentSize == m_componentSize || (componentSize == 2 && m_componentSize == 1),
               "setComponentType failed. invalid parameters");
    if (componentSize == m_componentSize)
        return;
    ASSERT(m_byteBuffer);
    ASSERT_MSG(!m_shortBuffer, " m_shortBuffer == 0 ");
    core::Debug::printf(core::DEBUG_LEVEL_RENDER, "VertexBuffer : convert byte array to short array\n");
    const core::Vector<char>& bytes = *m_byteBuffer;
    core::Ref<core::Vector<short>> shorts = VORNA3D_NEW core::Vector<short>();
    shorts->setSizeForNativeType(bytes.size());
    for (int i = 0; i < bytes.size(); ++i)
        (*shorts)[i] = static_cast<signed char>(bytes[i]);
    m_shortBuffer = shorts;
    m_byteBuffer = nullptr;
    m_componentSize = 2;
    m_dirty = true;
}

template <class T> void VertexArray::computeBounds(const core::Vector<T>& buffer)
{
    const int vertices = bufferVertexCount();
    const T* e = buffer.data();
    for (int v = 0; v < vertices; ++v, e += m_numComponents) {
        // Byte elements are signed whatever the platform's char is.
        auto value = [e](int i) {
            if constexpr (sizeof(T) == 1)
                return float(static_cast<signed char>(e[i]));
            else
                return float(e[i]);
        };
        const float x = value(0);
        const float y = value(1);
        const float z = m_numComponents == 3 ? value(2) : 0.f;
        if (v == 0) {
            m_min = slmath::vec3(x, y, z);
            m_max = m_min;
            continue;
        }
        m_min = slmath::vec3(x < m_min.x ? x : m_min.x, y < m_min.y ? y : m_min.y, z < m_min.z ? z : m_min.z);
        m_max = slmath::vec3(x > m_max.x ? x : m_max.x, y > m_max.y ? y : m_max.y, z > m_max.z ? z : m_max.z);
    }
}

void VertexArray::findMaxAndMin()
{
    if (!m_dirty)
        return;
    // The flag is cleared only once the bounds are known: a failed check
    // leaves the array marked for the next attempt.
    ASSERT(m_staticID == INVALID_STATIC_ID);
    ASSERT(m_shortBuffer || m_byteBuffer);
    ASSERT(m_componentSize == 1 || m_componentSize == 2);
    if (m_numComponents != 4) {
        if (m_byteBuffer)
            computeBounds(*m_byteBuffer);
        else
            computeBounds(*m_shortBuffer);
    }
    m_dirty = false;
}

const slmath::vec3& VertexArray::getMin()
{
    findMaxAndMin();
    return m_min;
}

const slmath::vec3& VertexArray::getMax()
{
    findMaxAndMin();
    return m_max;
}

void VertexArray::setStaticID(int staticID, int vertexCount)
{
    ASSERT(m_staticID == INVALID_STATIC_ID);
    ASSERT(staticID != INVALID_STATIC_ID);
    ASSERT(vertexCount >= 0);
    findMaxAndMin();
    m_staticID = staticID;
    m_staticVertexCount = vertexCount;
}

int VertexArray::getStaticID() const
{
    ASSERT(m_staticID != INVALID_STATIC_ID);
    return m_staticID;
}

} // namespace render
