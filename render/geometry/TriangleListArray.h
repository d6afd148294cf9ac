#pragma once
// TriangleListArray: independent triangles, three indices each.

#include "core/Ref.h"
#include "core/Vector.h"
#include "render/geometry/IndexBuffer.h"

namespace render {

class TriangleStripArray;

class TriangleListArray : public IndexBuffer {
public:
    // Copies `indiceCount` indices. Requires indices, indiceCount > 0 and a
    // multiple of 3.
    TriangleListArray(const unsigned short* indices, int indiceCount);
    ~TriangleListArray() noexcept(false) override;

    // A new list with a copy of the indices.
    TriangleListArray* duplicate() const override;

    // The non-degenerate triangles of `triangleStrip` as a list: the
    // triangle at strip position i is (idx[i], idx[i+1], idx[i+2]) for even
    // i and (idx[i+2], idx[i+1], idx[i]) for odd i, the order in which a
    // strip is drawn, so every triangle keeps its winding. Requires
    // triangleStrip (" triangleStrip ") and at least one non-degenerate
    // triangle (" indiceCount > 0 ").
    static core::Ref<TriangleListArray>
    convertTriangleStripArrayToTriangleListArray(const TriangleStripArray* triangleStrip);

protected:
    TriangleListArray(const TriangleListArray& other);

private:
    // Takes over `indices`. Requires the same as the public constructor.
    explicit TriangleListArray(core::Vector<unsigned short>&& indices);
};

} // namespace render
