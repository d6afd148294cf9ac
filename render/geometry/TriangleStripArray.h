#pragma once
// TriangleStripArray: triangle strips stored as one joined strip, so the
// renderer draws them with one call. The joined strip starts with the first
// index twice; after each strip come its last index, once more when the
// strip's length is odd, and the first index of the next strip (after the
// last strip: its last index again). Every strip thus starts at an even
// position and keeps its winding, and the bridges form only degenerate
// triangles, which draw nothing. Strips of lengths 3 and 4 over 0..6 become
// 0 0 0 1 2 2 2 3 3 4 5 6 6 6.

#include "core/Ref.h"
#include "core/Vector.h"
#include "render/geometry/IndexBuffer.h"

namespace render {

class TriangleListArray;

class TriangleStripArray : public IndexBuffer {
public:
    // Joins `stripCount` strips whose indices follow each other in
    // `indices`; strip i has stripLengths[i] indices. Requires indices,
    // stripLengths, stripCount > 0 and every stripLengths[i] >= 3.
    TriangleStripArray(const unsigned short* indices, const int* stripLengths, int stripCount);
    ~TriangleStripArray() noexcept(false) override;

    // A new strip array with a copy of the indices.
    TriangleStripArray* duplicate() const override;

    // Recovers the strips: each run of non-degenerate triangles becomes one
    // strip (its indices in stored order, its length in stripLengths); a run
    // that starts at an odd position gets its first index twice, so that its
    // triangles keep their winding when the strips are joined again. Strips
    // built by the constructor come back exactly as they were given, so
    // building a strip array from the result gives the same joined strip.
    // Both outputs are cleared first; both stay empty when every triangle is
    // degenerate. Requires a non-static buffer.
    void getTriangleStrips(core::Vector<unsigned short>& receiveIndices, core::Vector<int>& stripLengths) const;

    // Every triangle of `triangleList` as a strip of its own, joined.
    // Requires triangleList (" triangleList "), at least one triangle
    // (" stripCount > 0 ") and a whole number of triangles.
    static core::Ref<TriangleStripArray>
    convertTriangleListArrayToTriangleStripArray(const TriangleListArray* triangleList);

protected:
    TriangleStripArray(const TriangleStripArray& other);

private:
    TriangleStripArray();
    // Fills the buffer with the joined strip of `stripCount` strips,
    // stripLength(i) indices each, taken in order from `indices`.
    template <class StripLength> void join(const unsigned short* indices, StripLength stripLength, int stripCount);
};

} // namespace render
