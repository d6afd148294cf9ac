#pragma once
// LineListArray: independent line segments, two indices each.

#include "render/geometry/IndexBuffer.h"

namespace render {

class LineListArray : public IndexBuffer {
public:
    // The indices firstIndex, firstIndex + 1, ..., firstIndex + indexCount - 1.
    // Requires firstIndex >= 0, indexCount >= 0 and even
    // (" !(indexCount&0x01) "), and firstIndex + indexCount < USHRT_MAX.
    LineListArray(int firstIndex, int indexCount);
    // Copies `indexCount` indices. Requires indices, indexCount >= 0 and even.
    LineListArray(const unsigned short* indices, int indexCount);
    ~LineListArray() noexcept(false) override;

    // A new list with a copy of the indices.
    LineListArray* duplicate() const override;

protected:
    LineListArray(const LineListArray& other);
};

} // namespace render
