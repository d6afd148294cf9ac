#include "render/geometry/IndexBuffer.h"

namespace render {

IndexBuffer::IndexBuffer(int primitiveType) : m_primitiveType(primitiveType)
{
}

IndexBuffer::IndexBuffer(const IndexBuffer& other)
    : Object3D(other), m_buffer(other.m_buffer), m_primitiveType(other.m_primitiveType)
{
}

IndexBuffer::~IndexBuffer() noexcept(false) = default;

int IndexBuffer::getIndexCount() const
{
    return m_staticID != INVALID_STATIC_ID ? m_staticIndexCount : m_buffer.size();
}

unsigned short* IndexBuffer::getPtr()
{
    ASSERT(m_staticID == INVALID_STATIC_ID);
    return m_buffer.data();
}

const unsigned short* IndexBuffer::getPtr() const
{
    ASSERT(m_staticID == INVALID_STATIC_ID);
    return m_buffer.data();
}

core::Vector<unsigned short>* IndexBuffer::getUnsignedShortDataArrayPtr()
{
    ASSERT(m_staticID == INVALID_STATIC_ID);
    return &m_buffer;
}

void IndexBuffer::setStaticID(int staticID, int indexCount)
{
    ASSERT(m_staticID == INVALID_STATIC_ID);
    ASSERT(staticID != INVALID_STATIC_ID);
    ASSERT(indexCount >= 0);
    m_staticID = staticID;
    m_staticIndexCount = indexCount;
}

int IndexBuffer::getStaticID() const
{
    ASSERT(m_staticID != INVALID_STATIC_ID);
    return m_staticID;
}

} // namespace render
