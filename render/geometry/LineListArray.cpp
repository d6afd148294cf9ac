#include "render/geometry/LineListArray.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace render {

LineListArray::LineListArray(int firstIndex, int indexCount) : IndexBuffer(LINE_LIST)
{
    ASSERT(firstIndex >= 0);
    ASSERT(indexCount >= 0);
    ASSERT(!(indexCount&0x01));
    // Summed in 64 bits, so that two large values cannot wrap into a small one.
    ASSERT_MSG(int64_t(firstIndex) + indexCount < USHRT_MAX, " firstIndex + indexCount < USHRT_MAX ");
    m_buffer.setSizeForNativeType(indexCount);
    for (int i = 0; i < indexCount; ++i)
        m_buffer[i] = static_cast<unsigned short>(firstIndex + i);
}

LineListArray::LineListArray(const unsigned short* indices, int indexCount) : IndexBuffer(LINE_LIST)
{
    ASSERT(indices);
    ASSERT(indexCount >= 0);
    ASSERT(!(indexCount&0x01));
    m_buffer.setSizeForNativeType(indexCount);
    if (indexCount > 0)
        std::memcpy(m_buffer.data(), indices, sizeof(unsigned short) * static_cast<size_t>(indexCount));
}

LineListArray::LineListArray(const LineListArray& other) = default;

LineListArray::~LineListArray() noexcept(false) = default;

LineListArray* LineListArray::duplicate() const
{
    return VORNA3D_NEW LineListArray(*this);
}

} // namespace render
