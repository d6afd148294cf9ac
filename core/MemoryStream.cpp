#include "core/MemoryStream.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/Exception.h"

namespace core {

namespace {

const char* const DEFAULT_NAME = "Unnamed memory stream";

// A window copied from a stream that cannot promise its whole length starts
// at this size and doubles as data arrives, so a lying length costs memory
// only for the bytes that really come.
constexpr int COPY_CHUNK = 1 << 20;

} // namespace

MemoryStream::MemoryStream() : m_dataRef(VORNA3D_NEW Bytes()), m_name(DEFAULT_NAME), m_mode(MODE_WRITE)
{
}

MemoryStream::MemoryStream(const char* data, int dataBufLen, bool ROM) : m_name(DEFAULT_NAME)
{
    if (ROM) {
        m_ROMData = reinterpret_cast<const unsigned char*>(data);
        ASSERT(m_ROMData != 0);
        ASSERT_MSG(!m_dataRef, " m_dataRef == 0 ");
        ASSERT(dataBufLen >= 0);
    } else {
        ASSERT(dataBufLen > 0);
        ASSERT(data != 0);
        m_dataRef = VORNA3D_NEW Bytes();
        m_dataRef->setSizeForNativeType(dataBufLen);
        std::memcpy(m_dataRef->data(), data, static_cast<size_t>(dataBufLen));
    }
    m_size = dataBufLen;
}

MemoryStream::MemoryStream(Ref<Stream> source, int len, const char* endMessage)
{
    ASSERT_MSG(source, "NULL pointer");
    m_name = source->getName();
    if (len < 0)
        throw IOException("MemoryStream::MemoryStream: Negative window length", m_name);

    MemoryStream* parent = dynamic_cast<MemoryStream*>(source.get());
    if (parent) {
        parent->requireReadable("MemoryStream::MemoryStream");
        if (len > parent->available())
            throw IOException(
                endMessage ? endMessage : "MemoryStream::MemoryStream: Window runs past the end of the source", m_name);
        m_dataRef = parent->m_dataRef;
        m_ROMData = parent->m_ROMData ? parent->m_ROMData + parent->m_pos : nullptr;
        m_offset = parent->m_ROMData ? 0 : parent->m_offset + parent->m_pos;
        m_size = len;
        parent->m_pos += len;
        return;
    }
    copyFrom(*source, len, endMessage);
}

MemoryStream::MemoryStream(Ref<Bytes> data) : m_dataRef(data), m_name(DEFAULT_NAME)
{
    ASSERT_MSG(data, "NULL pointer");
    m_size = data->size();
}

MemoryStream::~MemoryStream() noexcept(false) = default;

void MemoryStream::copyFrom(Stream& source, int len, const char* endMessage)
{
    m_dataRef = VORNA3D_NEW Bytes();
    m_size = len;
    if (len == 0)
        return;
    // Size the buffer for what the source says it has (exact for files) and
    // double it while more keeps arriving. Growing from empty storage zero
    // fills it only once.
    const int promised = std::max(0, source.available());
    m_dataRef->setSizeForNativeType(std::min(len, std::max(promised, COPY_CHUNK)));
    int got = 0;
    while (got < len) {
        if (got == m_dataRef->size())
            m_dataRef->setSizeForNativeType(static_cast<int>(std::min<int64_t>(len, 2 * int64_t(got))));
        // Never more than the source has: some streams throw for a short read.
        const int available = source.available();
        const int n =
            available <= 0 ? 0 : source.read(m_dataRef->data() + got, std::min(m_dataRef->size() - got, available));
        if (n <= 0)
            throw IOException(
                endMessage ? endMessage : "MemoryStream::MemoryStream: Unexcepted end of the source stream", m_name);
        got += n;
    }
}

void MemoryStream::requireReadable(const char* operation) const
{
    char message[128];
    if (m_mode == MODE_WRITE) {
        std::snprintf(message, sizeof message, "%s: Opened stream is opened in write mode", operation);
        throw IOException(message, m_name);
    }
    if (m_mode == MODE_CLOSED) {
        std::snprintf(message, sizeof message, "%s: Stream is closed", operation);
        throw IOException(message, m_name);
    }
}

const unsigned char* MemoryStream::getData() const
{
    if (m_mode == MODE_CLOSED)
        return nullptr;
    if (m_ROMData)
        return m_ROMData;
    return m_dataRef ? m_dataRef->data() + m_offset : nullptr;
}

int MemoryStream::write(const void* src, int len)
{
    if (m_mode == MODE_READ)
        throw IOException("MemoryStream::write: Opened stream is read-only", m_name);
    if (m_mode == MODE_CLOSED)
        throw IOException("MemoryStream::write: Stream is closed", m_name);
    if (len < 0)
        throw IOException("MemoryStream::write: Negative length", m_name);
    if (len == 0)
        return 0;
    ASSERT(src != 0);
    const int64_t end = int64_t(m_pos) + len;
    if (end > Bytes::MAX_LENGTH)
        throw IOException("MemoryStream::write: Stream too large", m_name);
    if (end > m_size) {
        m_dataRef->setSizeForNativeType(static_cast<int>(end));
        m_size = static_cast<int>(end);
    }
    std::memcpy(m_dataRef->data() + m_pos, src, static_cast<size_t>(len));
    m_pos += len;
    return len;
}

int MemoryStream::read(void* dst, int len)
{
    requireReadable("MemoryStream::read");
    if (len < 0)
        throw IOException("MemoryStream::read: Negative length", m_name);
    const int n = std::min(len, m_size - m_pos);
    if (n > 0) {
        ASSERT(dst != 0);
        std::memcpy(dst, getData() + m_pos, static_cast<size_t>(n));
        m_pos += n;
    }
    return n;
}

int MemoryStream::peek(void* dst, int len)
{
    requireReadable("MemoryStream::peek");
    if (len < 0)
        throw IOException("MemoryStream::peek: Negative length", m_name);
    if (m_size - m_pos < len)
        throw IOException("MemoryStream::read: Too small buffer", m_name);
    if (len > 0) {
        ASSERT(dst != 0);
        std::memcpy(dst, getData() + m_pos, static_cast<size_t>(len));
    }
    return len;
}

void MemoryStream::setSeek(int pos)
{
    if (m_mode == MODE_CLOSED)
        throw IOException("MemoryStream::setSeek: Stream is closed", m_name);
    if (pos < 0 || pos > m_size)
        throw IOException("MemoryStream::setSeek: Position out of range", m_name);
    m_pos = pos;
}

void MemoryStream::close()
{
    m_mode = MODE_CLOSED;
    m_dataRef = nullptr;
    m_ROMData = nullptr;
    m_pos = 0;
    m_size = 0;
    m_offset = 0;
}

int MemoryStream::available()
{
    requireReadable("MemoryStream::read");
    return m_size - m_pos;
}

} // namespace core
