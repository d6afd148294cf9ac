#include "core/DataIO.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>

#include "core/Debug.h"
#include "core/Exception.h"

namespace core {

namespace {

const char* const SMALL_BUFFER = "Small stream buffer";
const char* const READ_FAILED = "failed to read correct amount of bytes from stream";
const char* const WRITE_FAILED = "failed to write correct amount of bytes to stream";
const char* const INVALID_FLOAT = "Invalid floating point number";
const char* const INVALID_BOOLEAN = "Deserialized boolean data not '1' or '0'.";
const char* const NO_TERMINATOR = "Small stream buffer or string does not contain terminating NULL";

} // namespace

DataIO::DataIO(Ref<Stream> stream, uint32_t byteCount) : m_stream(stream), m_byteCount(byteCount)
{
    ASSERT_MSG(m_stream, "NULL pointer");
}

DataIO::~DataIO() noexcept(false) = default;

void DataIO::fail(const char* message)
{
    const String name = m_stream->getName();
    Debug::printf(DEBUG_LEVEL_ERROR, "IO error (%s): \"%s\"\n", name.getASCII(), message);
    throw IOException(message, name);
}

void DataIO::spend(uint32_t count, const char* message)
{
    if (m_byteCount < count)
        fail(message);
    m_byteCount -= count;
}

void DataIO::readRaw(void* dst, uint32_t count)
{
    unsigned char* out = static_cast<unsigned char*>(dst);
    while (count > 0) {
        const int chunk = count > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(count);
        const int got = m_stream->read(out, chunk);
        if (got != chunk)
            fail(READ_FAILED);
        out += chunk;
        count -= static_cast<uint32_t>(chunk);
    }
}

void DataIO::writeRaw(const void* src, uint32_t count)
{
    if (count > UINT32_MAX - m_byteCount)
        fail(SMALL_BUFFER);
    const unsigned char* in = static_cast<const unsigned char*>(src);
    uint32_t left = count;
    while (left > 0) {
        const int chunk = left > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(left);
        if (m_stream->write(in, chunk) != chunk)
            fail(WRITE_FAILED);
        in += chunk;
        left -= static_cast<uint32_t>(chunk);
    }
    m_byteCount += count;
}

uint32_t DataIO::readLittleEndian(uint32_t count)
{
    spend(count, SMALL_BUFFER);
    unsigned char bytes[4];
    readRaw(bytes, count);
    // Assembled byte by byte: independent of the host's byte order.
    uint32_t value = 0;
    for (uint32_t i = count; i-- > 0;)
        value = (value << 8) | bytes[i];
    return value;
}

void DataIO::writeLittleEndian(uint32_t value, uint32_t count)
{
    unsigned char bytes[4];
    for (uint32_t i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    writeRaw(bytes, count);
}

uint8_t DataIO::readByte()
{
    return static_cast<uint8_t>(readLittleEndian(1));
}

int16_t DataIO::readInt16()
{
    return static_cast<int16_t>(readLittleEndian(2));
}

uint16_t DataIO::readUInt16()
{
    return static_cast<uint16_t>(readLittleEndian(2));
}

int32_t DataIO::readInt32()
{
    return static_cast<int32_t>(readLittleEndian(4));
}

uint32_t DataIO::readUInt32()
{
    return readLittleEndian(4);
}

float DataIO::readFloat32()
{
    const uint32_t bits = readLittleEndian(4);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value))
        fail(INVALID_FLOAT);
    return value;
}

bool DataIO::readBoolean()
{
    const uint32_t value = readLittleEndian(1);
    if (value > 1)
        fail(INVALID_BOOLEAN);
    return value == 1;
}

void DataIO::readString(String& out)
{
    Vector<char> text;
    for (;;) {
        spend(1, NO_TERMINATOR);
        char c;
        readRaw(&c, 1);
        if (c == 0)
            break;
        text.add(c);
    }
    if (text.isEmpty())
        return;
    text.add(0);
    out += text.data();
}

void DataIO::readBytes(Vector<unsigned char>& out, uint32_t count)
{
    spend(count, SMALL_BUFFER);
    // No stream holds more than INT_MAX bytes; refuse before allocating.
    if (count > static_cast<uint32_t>(Vector<unsigned char>::MAX_LENGTH))
        fail(READ_FAILED);
    out.setSizeForNativeType(static_cast<int>(count));
    readRaw(out.data(), count);
}

void DataIO::writeByte(uint8_t value)
{
    writeLittleEndian(value, 1);
}

void DataIO::writeInt16(int16_t value)
{
    writeLittleEndian(static_cast<uint16_t>(value), 2);
}

void DataIO::writeUInt16(uint16_t value)
{
    writeLittleEndian(value, 2);
}

void DataIO::writeInt32(int32_t value)
{
    writeLittleEndian(static_cast<uint32_t>(value), 4);
}

void DataIO::writeUInt32(uint32_t value)
{
    writeLittleEndian(value, 4);
}

void DataIO::writeFloat32(float value)
{
    // NaN fails every comparison, so it is refused by name, not by range.
    if (std::isnan(value) || value > FLT_MAX || value < -FLT_MAX)
        fail(INVALID_FLOAT);
    if (value == 0.0f)
        value = 0.0f; // -0 becomes +0
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    writeLittleEndian(bits, 4);
}

void DataIO::writeBoolean(bool value)
{
    writeLittleEndian(value ? 1u : 0u, 1);
}

void DataIO::writeString(const String& value)
{
    const char* text = value.getASCII();
    writeRaw(text, static_cast<uint32_t>(std::strlen(text)) + 1);
}

void DataIO::writeBytes(const void* data, uint32_t count)
{
    if (count == 0)
        return;
    ASSERT(data != 0);
    writeRaw(data, count);
}

} // namespace core
