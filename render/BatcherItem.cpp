#include "render/BatcherItem.h"

#include <cmath>

namespace render {

BatcherItem::~BatcherItem() noexcept(false) = default;

int BatcherItem::toFixed(float value)
{
    const float scaled = value * float(POSITION_ONE);
    // The largest float below 2^31; the comparison is false for NaN too.
    ASSERT_MSG(std::fabs(scaled) < 2147483520.f, "Batcher : position out of range");
    return static_cast<int>(scaled);
}

short BatcherItem::toShort(float value)
{
    if (!(value > -32768.f))
        return -32768;
    if (value > 32767.f)
        return 32767;
    return static_cast<short>(value);
}

void BatcherItem::setSizes(int vertexCount, int indexCount, bool withNormals)
{
    ASSERT(vertexCount >= 0);
    ASSERT(indexCount >= 0);
    positionCoords.setSizeForNativeType(vertexCount * 3);
    textureCoords.setSizeForNativeType(vertexCount * 2);
    normals.setSizeForNativeType(withNormals ? vertexCount * 3 : 0);
    colors.setSizeForNativeType(vertexCount * 4);
    indices.setSizeForNativeType(indexCount);
}

void BatcherItem::reserve(int vertexCount, int indexCount)
{
    ASSERT(vertexCount >= 0);
    ASSERT(indexCount >= 0);
    positionCoords.reserve(vertexCount * 3);
    textureCoords.reserve(vertexCount * 2);
    normals.reserve(vertexCount * 3);
    colors.reserve(vertexCount * 4);
    indices.reserve(indexCount);
}

void BatcherItem::setLineSizes(int vertexCount, int indexCount)
{
    ASSERT(vertexCount >= 0);
    ASSERT(indexCount >= 0);
    positionCoords.setSizeForNativeType(vertexCount * 3);
    textureCoords.setSizeForNativeType(0);
    normals.setSizeForNativeType(0);
    colors.setSizeForNativeType(vertexCount * 4);
    indices.setSizeForNativeType(indexCount);
}

} // namespace render
