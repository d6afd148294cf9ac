#pragma once
// BatcherItem: the geometry of one sprite, text or line inside a Batcher,
// already in the coordinates the batch is drawn in. The node that fills it
// (renderNodeToBatcher) writes positions as fixed point with five
// fractional bits (world value x 32, truncated), texture coordinates in
// texels (the batch multiplies them by textureCoordScale), colours as RGBA
// bytes and indices already offset to the item's first vertex in the batch.
//
// Items are reused from frame to frame: their vectors keep their storage,
// so a steady frame fills them without allocating.

#include "core/Object.h"
#include "core/Vector.h"

namespace render {

class BatcherItem : public core::Object {
public:
    // Fixed-point positions: value x POSITION_ONE (5 fractional bits).
    static constexpr int POSITION_SHIFT = 5;
    static constexpr int POSITION_ONE = 1 << POSITION_SHIFT;

    BatcherItem() = default;
    ~BatcherItem() noexcept(false) override;

    // Sets the lengths for `vertexCount` vertices and `indexCount` indices:
    // three positions, two texture coordinates and four colour bytes per
    // vertex, three normal values per vertex when `withNormals`, none
    // otherwise. The storage grows to the largest size asked for and stays.
    // Requires vertexCount >= 0 and indexCount >= 0.
    void setSizes(int vertexCount, int indexCount, bool withNormals);
    // Sets the lengths of a line item: positions and colours, no texture
    // coordinates or normals.
    void setLineSizes(int vertexCount, int indexCount);
    // Makes room for `vertexCount` vertices (normals included) and
    // `indexCount` indices without changing the lengths, so that setSizes
    // up to those counts allocates nothing. Requires both >= 0.
    void reserve(int vertexCount, int indexCount);

    // `value` (a world coordinate) in the fixed point of the positions: x 32,
    // truncated. Asserts "Batcher : position out of range" for values whose
    // fixed point does not fit 32 bits (and for NaN).
    static int toFixed(float value);
    // `value` truncated to 16 bits, saturated at the ends of the range.
    static short toShort(float value);

    // Vertices the item holds (positions / 3).
    int getVertexCount() const { return positionCoords.size() / 3; }

    core::Vector<int> positionCoords; // x, y, z per vertex, x 32
    core::Vector<short> textureCoords; // s, t per vertex, in texels
    core::Vector<short> normals; // x, y, z per vertex (x 32767), or empty
    core::Vector<char> colors; // r, g, b, a per vertex
    core::Vector<unsigned short> indices; // offset to the item's first vertex
    float textureCoordScale = 1.f; // texels to texture units (1 / texture width)
    int firstVertex = 0; // where the item's vertices start in the batch
    int firstIndex = 0; // where the item's indices start in the batch
    bool empty = true; // the slot is free for reuse
    bool isNew = false; // filled since the last merge into the mesh

private:
    BatcherItem(const BatcherItem&) = delete;
    BatcherItem& operator=(const BatcherItem&) = delete;
};

} // namespace render
