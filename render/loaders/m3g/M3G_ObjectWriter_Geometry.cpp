// Vertex and index records: VertexArray, VertexBuffer, TriangleStripArray
// and TriangleListArray (written as a strip array).

#include <climits>

#include "render/loaders/m3g/M3G_ObjectWriter.h"
#include "render/geometry/TriangleListArray.h"
#include "render/geometry/TriangleStripArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"

namespace render {

// ---- VertexArray ----

void M3G_ObjectWriter::setToStruct(VertexArray& array, M3G_VertexArray& record)
{
    setToStruct(static_cast<Object3D&>(array), record);
    // The values of a static array live on the graphics side only.
    if (array.isStatic())
        fail("A static VertexArray can not be written: its data is on the graphics side.");
    const int vertexCount = array.getVertexCount();
    if (vertexCount <= 0)
        fail("Zero or negative vertex count in VertexArray!");
    if (vertexCount > VertexArray::MAX_VERTICES)
        fail("Too big vertex count in VertexArray!");
    if (array.getComponentCount() < 2 || array.getComponentCount() > 4)
        fail("Too big component count in VertexArray!");
    if (array.getComponentType() != 1 && array.getComponentType() != 2)
        fail("Too big component type in VertexArray!");
    record.componentSize = static_cast<uint8_t>(array.getComponentType());
    record.componentCount = static_cast<uint8_t>(array.getComponentCount());
    record.encoding = m_deltaEncode ? M3G_VertexArray::ENCODING_DELTA : M3G_VertexArray::ENCODING_RAW;
    record.vertexCount = static_cast<uint16_t>(vertexCount);
    const int count = vertexCount * array.getComponentCount();
    if (record.componentSize == 1) {
        record.byteValues.setSizeForNativeType(count);
        array.get(0, vertexCount, record.byteValues.data());
    } else {
        record.shortValues.setSizeForNativeType(count);
        array.get(0, vertexCount, record.shortValues.data());
    }
}

void M3G_ObjectWriter::saveVertexArray(const M3G_VertexArray& record, core::DataIO& out)
{
    saveObject3D(record, out);
    out.writeByte(record.componentSize);
    out.writeByte(record.componentCount);
    out.writeByte(record.encoding);
    out.writeUInt16(record.vertexCount);
    const bool delta = record.encoding == M3G_VertexArray::ENCODING_DELTA;
    const int components = record.componentCount;
    // Delta coding stores each component's difference to the same component
    // of the vertex before, modulo the component's width.
    if (record.componentSize == 1) {
        const char* values = record.byteValues.data();
        for (int i = 0; i < record.byteValues.size(); ++i) {
            const unsigned char previous =
                delta && i >= components ? static_cast<unsigned char>(values[i - components]) : 0;
            out.writeByte(static_cast<uint8_t>(static_cast<unsigned char>(values[i]) - previous));
        }
    } else {
        const short* values = record.shortValues.data();
        for (int i = 0; i < record.shortValues.size(); ++i) {
            const uint16_t previous = delta && i >= components ? static_cast<uint16_t>(values[i - components]) : 0;
            out.writeUInt16(static_cast<uint16_t>(static_cast<uint16_t>(values[i]) - previous));
        }
    }
}

// ---- VertexBuffer ----

void M3G_ObjectWriter::setToStruct(VertexBuffer& buffer, M3G_VertexBuffer& record)
{
    setToStruct(static_cast<Object3D&>(buffer), record);
    record.defaultColor = buffer.getDefaultColor();
    float scaleBias[4];
    record.positions = indexOf(buffer.getPositions(scaleBias));
    if (record.positions != 0) {
        record.positionScale = scaleBias[0];
        for (int i = 0; i < 3; ++i)
            record.positionBias[i] = scaleBias[1 + i];
    }
    record.normals = indexOf(buffer.getNormals());
    record.colors = indexOf(buffer.getColors());
    for (int unit = 0; unit < buffer.getTexCoordCount(); ++unit) {
        M3G_TextureCoordinate coordinates;
        float unitScaleBias[4] = {1.f, 0.f, 0.f, 0.f};
        coordinates.texCoords = indexOf(buffer.getTexCoords(unit, unitScaleBias));
        coordinates.scale = unitScaleBias[0];
        for (int i = 0; i < 3; ++i)
            coordinates.bias[i] = unitScaleBias[1 + i];
        record.texCoords.add(coordinates);
    }
}

void M3G_ObjectWriter::saveVertexBuffer(const M3G_VertexBuffer& record, core::DataIO& out)
{
    saveObject3D(record, out);
    saveColorRGBA(record.defaultColor, out);
    out.writeUInt32(record.positions);
    for (float value : record.positionBias)
        out.writeFloat32(value);
    out.writeFloat32(record.positionScale);
    out.writeUInt32(record.normals);
    out.writeUInt32(record.colors);
    out.writeUInt32(static_cast<uint32_t>(record.texCoords.size()));
    for (const M3G_TextureCoordinate& coordinates : record.texCoords) {
        out.writeUInt32(coordinates.texCoords);
        for (float value : coordinates.bias)
            out.writeFloat32(value);
        out.writeFloat32(coordinates.scale);
    }
}

// ---- TriangleStripArray and TriangleListArray ----

void M3G_ObjectWriter::setToStruct(TriangleStripArray& strips, M3G_TriangleStripArray& record)
{
    setToStruct(static_cast<Object3D&>(strips), record);
    if (strips.isStatic())
        fail("A static TriangleStripArray can not be written: its data is on the graphics side.");
    // The engine keeps the strips joined into one; the file wants them apart.
    core::Vector<int> lengths;
    strips.getTriangleStrips(record.indices, lengths);
    if (lengths.isEmpty())
        fail("Strip Lengths are 0 in TriangleStripArray.");
    for (int length : lengths)
        record.stripLengths.add(static_cast<uint32_t>(length));
    chooseEncoding(record);
}

void M3G_ObjectWriter::setToStruct(TriangleListArray& triangles, M3G_TriangleStripArray& record)
{
    setToStruct(static_cast<Object3D&>(triangles), record);
    if (triangles.isStatic())
        fail("A static TriangleListArray can not be written: its data is on the graphics side.");
    const int count = triangles.getIndexCount();
    if (count == 0)
        fail("Strip Lengths are 0 in TriangleStripArray.");
    record.indices.setSizeForNativeType(count);
    for (int i = 0; i < count; ++i)
        record.indices[i] = triangles.getPtr()[i];
    for (int i = 0; i < count / 3; ++i)
        record.stripLengths.add(3);
    chooseEncoding(record);
}

void M3G_ObjectWriter::chooseEncoding(M3G_TriangleStripArray& record)
{
    const core::Vector<unsigned short>& indices = record.indices;
    bool consecutive = true;
    unsigned short largest = 0;
    for (int i = 0; i < indices.size(); ++i) {
        consecutive = consecutive && indices[i] == indices[0] + i;
        if (indices[i] > largest)
            largest = indices[i];
    }
    if (consecutive) {
        record.startIndex = indices[0];
        record.encoding =
            record.startIndex <= 0xFF ? M3G_TriangleStripArray::IMPLICIT_BYTE : M3G_TriangleStripArray::IMPLICIT_UINT16;
    } else {
        record.encoding =
            largest <= 0xFF ? M3G_TriangleStripArray::EXPLICIT_BYTE : M3G_TriangleStripArray::EXPLICIT_UINT16;
    }
}

void M3G_ObjectWriter::saveTriangleStripArray(const M3G_TriangleStripArray& record, core::DataIO& out)
{
    saveObject3D(record, out);
    out.writeByte(record.encoding);
    switch (record.encoding) {
    case M3G_TriangleStripArray::IMPLICIT_INT32:
        out.writeUInt32(record.startIndex);
        break;
    case M3G_TriangleStripArray::IMPLICIT_BYTE:
        out.writeByte(static_cast<uint8_t>(record.startIndex));
        break;
    case M3G_TriangleStripArray::IMPLICIT_UINT16:
        out.writeUInt16(static_cast<uint16_t>(record.startIndex));
        break;
    default:
        out.writeUInt32(static_cast<uint32_t>(record.indices.size()));
        for (unsigned short index : record.indices) {
            if (record.encoding == M3G_TriangleStripArray::EXPLICIT_BYTE)
                out.writeByte(static_cast<uint8_t>(index));
            else if (record.encoding == M3G_TriangleStripArray::EXPLICIT_UINT16)
                out.writeUInt16(index);
            else
                out.writeUInt32(index);
        }
    }
    saveIndices(record.stripLengths, out);
}

void M3G_ObjectWriter::saveTriangleListArray(const M3G_TriangleStripArray& record, core::DataIO& out)
{
    saveTriangleStripArray(record, out);
}

} // namespace render
