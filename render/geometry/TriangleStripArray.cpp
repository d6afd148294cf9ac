#include "render/geometry/TriangleStripArray.h"

#include <cstdint>

#include "render/geometry/TriangleListArray.h"

namespace render {

TriangleStripArray::TriangleStripArray() : IndexBuffer(TRIANGLE_STRIP)
{
}

TriangleStripArray::TriangleStripArray(const unsigned short* indices, const int* stripLengths, int stripCount)
    : IndexBuffer(TRIANGLE_STRIP)
{
    ASSERT(indices);
    ASSERT(stripLengths);
    // Without a strip there is no first index to start the joined strip with.
    ASSERT(stripCount > 0);
    for (int i = 0; i < stripCount; ++i)
        ASSERT(stripLengths[i] >= 3);
    join(
        indices, [stripLengths](int i) { return stripLengths[i]; }, stripCount);
}

TriangleStripArray::TriangleStripArray(const TriangleStripArray& other) = default;

TriangleStripArray::~TriangleStripArray() noexcept(false) = default;

TriangleStripArray* TriangleStripArray::duplicate() const
{
    return VORNA3D_NEW TriangleStripArray(*this);
}

template <class StripLength>
void TriangleStripArray::join(const unsigned short* indices, StripLength stripLength, int stripCount)
{
    int64_t total = 2;
    for (int i = 0; i < stripCount; ++i) {
        const int length = stripLength(i);
        total += length + 2 + (length % 2);
    }
    ASSERT(total <= core::Vector<unsigned short>::MAX_LENGTH);
    m_buffer.setSizeForNativeType(static_cast<int>(total));

    unsigned short* out = m_buffer.data();
    *out++ = indices[0];
    *out++ = indices[0];
    const unsigned short* in = indices;
    for (int i = 0; i < stripCount; ++i) {
        const int length = stripLength(i);
        for (int k = 0; k < length; ++k)
            *out++ = *in++;
        const unsigned short last = in[-1];
        *out++ = last;
        if (length % 2)
            *out++ = last;
        *out++ = i + 1 < stripCount ? *in : last;
    }
    ASSERT(out == m_buffer.data() + total);
}

void TriangleStripArray::getTriangleStrips(core::Vector<unsigned short>& receiveIndices,
                                           core::Vector<int>& stripLengths) const
{
    receiveIndices.clear();
    stripLengths.clear();
    const unsigned short* idx = getPtr();
    const int n = getIndexCount();
    int run = 0; // indices collected for the strip being read
    for (int i = 0; i + 2 < n; ++i) {
        const unsigned short a = idx[i];
        const unsigned short b = idx[i + 1];
        const unsigned short c = idx[i + 2];
        if (a == b || b == c || a == c) {
            if (run > 0) {
                stripLengths.add(run);
                run = 0;
            }
            continue;
        }
        if (run > 0) {
            receiveIndices.add(c);
            ++run;
            continue;
        }
        if (i % 2) {
            // A strip starting at an odd position is drawn with flipped
            // triangles; the repeated index keeps that when it is joined
            // again at an even position.
            receiveIndices.add(a);
            ++run;
        }
        receiveIndices.add(a);
        receiveIndices.add(b);
        receiveIndices.add(c);
        run += 3;
    }
    if (run > 0)
        stripLengths.add(run);
}

core::Ref<TriangleStripArray>
TriangleStripArray::convertTriangleListArrayToTriangleStripArray(const TriangleListArray* triangleList)
{
    ASSERT(triangleList);
    const int stripCount = triangleList->getIndexCount() / 3;
    ASSERT(stripCount > 0);
    ASSERT((triangleList->getIndexCount()%3) == 0);
    core::Ref<TriangleStripArray> strips = VORNA3D_NEW TriangleStripArray();
    strips->join(
        triangleList->getPtr(), [](int) { return 3; }, stripCount);
    return strips;
}

} // namespace render
