// Vertex and index records: VertexArray, VertexBuffer and TriangleStripArray.

#include <cstring>

#include "core/Debug.h"
#include "render/appearance/Appearance.h"
#include "render/loaders/m3g/M3G_ObjectReader.h"
#include "render/geometry/TriangleStripArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"

namespace render {

namespace {

constexpr uint32_t MAX_INDEX = 65535;

// The little-endian value of `size` (1, 2 or 4) bytes at `p`.
uint32_t littleEndian(const unsigned char* p, int size)
{
    uint32_t value = 0;
    for (int i = size; i-- > 0;)
        value = (value << 8) | p[i];
    return value;
}

} // namespace

// ---- VertexArray ----

void M3G_ObjectReader::parseVertexArray(core::DataIO& in, M3G_VertexArray& record)
{
    parseObject3D(in, record);
    record.componentSize = in.readByte();
    record.componentCount = in.readByte();
    record.encoding = in.readByte();
    record.vertexCount = in.readUInt16();
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "    VertexCount:%d, ComponentCount:%d, ComponentSize:%d\n",
                        record.vertexCount, record.componentCount, record.componentSize);
    if (record.vertexCount == 0)
        fail("Zero vertex count in vertex array.");
    if (record.componentCount < 2 || record.componentCount > 4)
        fail("Component Count out of range.");
    if (record.componentSize != 1 && record.componentSize != 2)
        fail("Component size out of range.");
    if (record.encoding != M3G_VertexArray::ENCODING_RAW && record.encoding != M3G_VertexArray::ENCODING_DELTA)
        fail("Invalid component encoding");

    // The values in one read (at most 65535 x 4 x 2 bytes), decoded here.
    const int count = int(record.vertexCount) * record.componentCount;
    core::Vector<unsigned char> raw;
    in.readBytes(raw, static_cast<uint32_t>(count * record.componentSize));
    const int components = record.componentCount;
    const bool delta = record.encoding == M3G_VertexArray::ENCODING_DELTA;
    if (record.componentSize == 1) {
        record.byteValues.setSizeForNativeType(count);
        char* values = record.byteValues.data();
        for (int i = 0; i < count; ++i) {
            // Delta coding adds each stored value to the same component of
            // the vertex before, wrapping around like the 8-bit value it is.
            const unsigned char previous =
                delta && i >= components ? static_cast<unsigned char>(values[i - components]) : 0;
            values[i] = static_cast<char>(static_cast<unsigned char>(previous + raw[i]));
        }
    } else {
        record.shortValues.setSizeForNativeType(count);
        short* values = record.shortValues.data();
        for (int i = 0; i < count; ++i) {
            const uint16_t stored = static_cast<uint16_t>(littleEndian(raw.data() + 2 * i, 2));
            const uint16_t previous = delta && i >= components ? static_cast<uint16_t>(values[i - components]) : 0;
            values[i] = static_cast<short>(static_cast<uint16_t>(previous + stored));
        }
    }
}

core::Ref<VertexArray> M3G_ObjectReader::setToClass(const M3G_VertexArray& record)
{
    core::Ref<VertexArray> array =
        VORNA3D_NEW VertexArray(record.vertexCount, record.componentCount, record.componentSize, 0);
    if (record.componentSize == 1)
        array->set(record.vertexCount, record.byteValues.data());
    else
        array->set(record.vertexCount, record.shortValues.data());
    setToClass(static_cast<const M3G_Object3D&>(record), *array);
    return array;
}

// ---- VertexBuffer ----

void M3G_ObjectReader::parseVertexBuffer(core::DataIO& in, M3G_VertexBuffer& record)
{
    parseObject3D(in, record);
    record.defaultColor = readColorRGBA(in);
    record.positions = in.readUInt32();
    for (float& value : record.positionBias)
        value = in.readFloat32();
    record.positionScale = in.readFloat32();
    record.normals = in.readUInt32();
    record.colors = in.readUInt32();
    const uint32_t count = readCount(in, 20, "Texture coordinate array");
    if (count > static_cast<uint32_t>(Appearance::MAX_TEXTURE_UNITS))
        failf("VertexBuffer has %u texture coordinate arrays; at most %d texture units are supported.", count,
              Appearance::MAX_TEXTURE_UNITS);
    for (uint32_t i = 0; i < count; ++i) {
        M3G_TextureCoordinate unit;
        unit.texCoords = in.readUInt32();
        for (float& value : unit.bias)
            value = in.readFloat32();
        unit.scale = in.readFloat32();
        record.texCoords.add(unit);
    }
}

VertexArray* M3G_ObjectReader::widenColors(uint32_t index, VertexArray* colors)
{
    const int vertexCount = colors->getVertexCount();
    core::Vector<char> rgb;
    rgb.setSizeForNativeType(vertexCount * 3);
    colors->get(0, vertexCount, rgb.data());
    core::Vector<char> rgba;
    rgba.setSizeForNativeType(vertexCount * 4);
    for (int v = 0; v < vertexCount; ++v) {
        std::memcpy(rgba.data() + 4 * v, rgb.data() + 3 * v, 3);
        rgba[4 * v + 3] = static_cast<char>(0xFF);
    }
    core::Ref<VertexArray> widened = VORNA3D_NEW VertexArray(vertexCount, 4, 1, 0);
    widened->set(vertexCount, rgba.data());
    widened->setUserID(colors->getUserID());
    widened->setUserObject(colors->getUserObject());
    // Later references to this index find the RGBA array.
    m_table.replace(index, widened.get());
    return widened.get();
}

core::Ref<VertexBuffer> M3G_ObjectReader::setToClass(const M3G_VertexBuffer& record)
{
    // Held here: widening the colours replaces their table entry, which may
    // have been the only other holder of an array this buffer also uses.
    core::Ref<VertexArray> positions = m_table.resolve<VertexArray>(record.positions);
    core::Ref<VertexArray> normals = m_table.resolve<VertexArray>(record.normals);
    core::Ref<VertexArray> colors = m_table.resolve<VertexArray>(record.colors);
    if (positions && positions->getComponentCount() != 3)
        fail("Component count is not 3 in positions data.");
    if (normals && normals->getComponentCount() != 3)
        fail("Component count is not 3 in normals data.");
    if (colors && colors->getComponentType() != 1)
        fail("Referenced colors object does not have correct component type. Should be 1.");
    if (colors && colors->getComponentCount() != 3 && colors->getComponentCount() != 4)
        fail("Component count is not 3 or 4 in colors data.");

    // Every array of the buffer must have the same number of vertices.
    int vertexCount = 0;
    const auto sameCount = [&](const VertexArray* array) {
        if (!array)
            return;
        if (vertexCount == 0)
            vertexCount = array->getVertexCount();
        else if (array->getVertexCount() != vertexCount)
            fail("The vertex arrays of a VertexBuffer have different vertex counts.");
    };
    sameCount(positions.get());
    sameCount(normals.get());
    sameCount(colors.get());
    core::Vector<core::Ref<VertexArray>> texCoords;
    for (const M3G_TextureCoordinate& unit : record.texCoords) {
        core::Ref<VertexArray> array = m_table.resolve<VertexArray>(unit.texCoords);
        if (array && array->getComponentCount() != 2 && array->getComponentCount() != 3)
            fail("Component count is not 2 or 3 in texture coordinate data.");
        sameCount(array.get());
        texCoords.add(array);
    }

    if (colors && colors->getComponentCount() == 3)
        colors = widenColors(record.colors, colors.get());

    core::Ref<VertexBuffer> buffer = VORNA3D_NEW VertexBuffer();
    setToClass(static_cast<const M3G_Object3D&>(record), *buffer);
    buffer->setDefaultColor(record.defaultColor);
    buffer->setPositions(positions.get(), record.positionScale, record.positionBias);
    buffer->setNormals(normals.get());
    buffer->setColors(colors.get());
    for (int unit = 0; unit < texCoords.size(); ++unit)
        buffer->setTexCoords(unit, texCoords[unit].get(), record.texCoords[unit].scale, record.texCoords[unit].bias);
    return buffer;
}

// ---- TriangleStripArray ----

void M3G_ObjectReader::parseTriangleStripArray(core::DataIO& in, M3G_TriangleStripArray& record)
{
    parseObject3D(in, record);
    record.encoding = in.readByte();
    int indexSize = 0;
    switch (record.encoding) {
    case M3G_TriangleStripArray::IMPLICIT_INT32:
        record.startIndex = in.readUInt32();
        break;
    case M3G_TriangleStripArray::IMPLICIT_BYTE:
        record.startIndex = in.readByte();
        break;
    case M3G_TriangleStripArray::IMPLICIT_UINT16:
        record.startIndex = in.readUInt16();
        break;
    case M3G_TriangleStripArray::EXPLICIT_INT32:
        indexSize = 4;
        break;
    case M3G_TriangleStripArray::EXPLICIT_BYTE:
        indexSize = 1;
        break;
    case M3G_TriangleStripArray::EXPLICIT_UINT16:
        indexSize = 2;
        break;
    default:
        fail("Unsupported encoding in TriangleStripArray.");
    }
    uint64_t indexCount = 0;
    if (indexSize > 0) {
        const uint32_t count = readCount(in, static_cast<uint32_t>(indexSize), "Triangle strip index");
        if (count > static_cast<uint32_t>(core::Vector<unsigned short>::MAX_LENGTH))
            fail("Too many indices in TriangleStripArray.");
        core::Vector<unsigned char> raw;
        in.readBytes(raw, count * static_cast<uint32_t>(indexSize));
        record.indices.setSizeForNativeType(static_cast<int>(count));
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t index = littleEndian(raw.data() + uint64_t(i) * indexSize, indexSize);
            if (index > MAX_INDEX)
                fail("Too big data in triangle strip. Values must be in range -32768 ... 32767");
            record.indices[static_cast<int>(i)] = static_cast<unsigned short>(index);
        }
        indexCount = count;
    }

    const uint32_t stripCount = readCount(in, 4, "Triangle strip");
    readIndices(in, stripCount, record.stripLengths);
    if (stripCount == 0)
        fail("Strip Lengths are 0 in TriangleStripArray.");
    uint64_t total = 0;
    uint64_t joined = 2; // the length of the strips joined into one (see TriangleStripArray)
    for (uint32_t length : record.stripLengths) {
        if (length < 3)
            fail("A triangle strip in TriangleStripArray has fewer than 3 indices.");
        total += length;
        joined += uint64_t(length) + 2 + length % 2;
    }
    if (indexSize > 0 && total != indexCount)
        fail("Strip lengths of TriangleStripArray do not add up to its index count.");
    if (indexSize == 0 && uint64_t(record.startIndex) + total - 1 > MAX_INDEX)
        fail("Too big data in triangle strip. Values must be in range -32768 ... 32767");
    if (joined > uint64_t(core::Vector<unsigned short>::MAX_LENGTH))
        fail("Too many indices in TriangleStripArray.");
}

core::Ref<TriangleStripArray> M3G_ObjectReader::setToClass(const M3G_TriangleStripArray& record)
{
    core::Vector<unsigned short> implicit;
    const unsigned short* indices = record.indices.data();
    if (record.encoding < M3G_TriangleStripArray::EXPLICIT_INT32) {
        // Implicit indices: startIndex, startIndex + 1, ... (checked to stay within 16 bits).
        int total = 0;
        for (uint32_t length : record.stripLengths)
            total += static_cast<int>(length);
        implicit.setSizeForNativeType(total);
        for (int i = 0; i < total; ++i)
            implicit[i] = static_cast<unsigned short>(record.startIndex + static_cast<uint32_t>(i));
        indices = implicit.data();
    }
    core::Vector<int> lengths;
    lengths.reserve(record.stripLengths.size());
    for (uint32_t length : record.stripLengths)
        lengths.add(static_cast<int>(length));
    core::Ref<TriangleStripArray> strips = VORNA3D_NEW TriangleStripArray(indices, lengths.data(), lengths.size());
    setToClass(static_cast<const M3G_Object3D&>(record), *strips);
    return strips;
}

} // namespace render
