#include "render/geometry/TriangleListArray.h"

#include <cstring>

#include "render/geometry/TriangleStripArray.h"

namespace render {

TriangleListArray::TriangleListArray(const unsigned short* indices, int indiceCount) : IndexBuffer(TRIANGLE_LIST)
{
    ASSERT(indices);
    ASSERT(indiceCount > 0);
    ASSERT(indiceCount%3 == 0);
    m_buffer.setSizeForNativeType(indiceCount);
    std::memcpy(m_buffer.data(), indices, sizeof(unsigned short) * static_cast<size_t>(indiceCount));
}

TriangleListArray::TriangleListArray(core::Vector<unsigned short>&& indices) : IndexBuffer(TRIANGLE_LIST)
{
    const int indiceCount = indices.size();
    ASSERT(indiceCount > 0);
    ASSERT(indiceCount%3 == 0);
    m_buffer = std::move(indices);
}

TriangleListArray::TriangleListArray(const TriangleListArray& other) = default;

TriangleListArray::~TriangleListArray() noexcept(false) = default;

TriangleListArray* TriangleListArray::duplicate() const
{
    return VORNA3D_NEW TriangleListArray(*this);
}

core::Ref<TriangleListArray>
TriangleListArray::convertTriangleStripArrayToTriangleListArray(const TriangleStripArray* triangleStrip)
{
    ASSERT(triangleStrip);
    const unsigned short* idx = triangleStrip->getPtr();
    const int n = triangleStrip->getIndexCount();
    auto degenerate = [idx](int i) { return idx[i] == idx[i + 1] || idx[i + 1] == idx[i + 2] || idx[i] == idx[i + 2]; };
    int triangles = 0;
    for (int i = 0; i + 2 < n; ++i)
        triangles += degenerate(i) ? 0 : 1;

    core::Vector<unsigned short> list;
    list.setSizeForNativeType(3 * triangles);
    unsigned short* out = list.data();
    for (int i = 0; i + 2 < n; ++i) {
        if (degenerate(i))
            continue;
        const bool odd = i % 2;
        *out++ = idx[odd ? i + 2 : i];
        *out++ = idx[i + 1];
        *out++ = idx[odd ? i : i + 2];
    }
    return core::Ref<TriangleListArray>(VORNA3D_NEW TriangleListArray(std::move(list)));
}

} // namespace render
