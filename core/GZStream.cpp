#include "core/GZStream.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/Debug.h"
#include "core/Exception.h"
#include "core/MemoryManager.h"

namespace core {

namespace {

// zlib's own allocations come from the pool. A failure must not unwind
// through zlib's C frames: it becomes a null result, which zlib reports.
voidpf zlibAlloc(voidpf, uInt items, uInt size)
{
    try {
        return VORNA3D_ALLOC(static_cast<size_t>(items) * size);
    } catch (...) {
        return Z_NULL;
    }
}

void zlibFree(voidpf, voidpf address)
{
    try {
        VORNA3D_FREE(address);
    } catch (...) {
        // The pool reported a bad block; there is nothing zlib could do with that.
    }
}

} // namespace

struct GZStream::Impl : public Object {
    // Compressed input and decompressed output are handled in pieces of this
    // size; reads at least this large decompress straight into the caller's buffer.
    static constexpr int BUFFER_SIZE = 32 * 1024;

    enum : uint8_t { INITIALISED = 1, COMPRESSING = 2, DECOMPRESSING = 4 };

    explicit Impl(Ref<Stream> s) : stream(s)
    {
        std::memset(&z, 0, sizeof z);
        z.zalloc = zlibAlloc;
        z.zfree = zlibFree;
    }

    Ref<Stream> stream;
    z_stream z;
    int64_t bytesWritten = 0;
    unsigned char output[BUFFER_SIZE];
    int outputPos = 0; // next decoded byte waiting in `output`
    int outputEnd = 0; // end of the decoded bytes in `output`
    unsigned char input[BUFFER_SIZE];
    uint8_t flags = 0;
    bool ended = false; // read mode: the last member's trailer has been checked
    bool closed = false;

    [[noreturn]] void fail(const char* message) { throw IOException(message, stream->getName()); }

    [[noreturn]] void failZlib(const char* what, int code)
    {
        char message[256];
        if (z.msg)
            std::snprintf(message, sizeof message, "%s  (%d): %s", what, code, z.msg);
        else
            std::snprintf(message, sizeof message, "%s  (%d)", what, code);
        fail(message);
    }

    void requireOpen(const char* message)
    {
        if (closed)
            fail(message);
    }

    // ---- writing ----

    void beginWrite()
    {
        ASSERT_MSG(!(flags & DECOMPRESSING), "File is read-only!");
        if (flags & INITIALISED)
            return;
        const int result = deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
        if (result != Z_OK) {
            char message[64];
            std::snprintf(message, sizeof message, "Zlib init failed (%d)", result);
            fail(message);
        }
        flags = INITIALISED | COMPRESSING;
    }

    // Compresses `len` bytes (none for the finishing call) and passes the
    // output on to the underlying stream.
    void deflateData(const void* src, int len, int flush)
    {
        ASSERT_MSG(!(flags & DECOMPRESSING), "File is read-only!");
        z.next_in = static_cast<Bytef*>(const_cast<void*>(src));
        z.avail_in = static_cast<uInt>(len);
        for (;;) {
            z.next_out = output;
            z.avail_out = BUFFER_SIZE;
            const int result = deflate(&z, flush);
            const int produced = BUFFER_SIZE - static_cast<int>(z.avail_out);
            if (produced > 0) {
                stream->write(output, produced);
                bytesWritten += produced;
            }
            if (result == Z_STREAM_END)
                break;
            if (result != Z_OK && result != Z_BUF_ERROR)
                failZlib("Zlib deflate failed", result);
            if (z.avail_in == 0 && z.avail_out != 0)
                break;
        }
        z.next_in = Z_NULL;
    }

    // Writes the gzip trailer and ends the compressor (also when writing fails).
    void finishWrite()
    {
        try {
            deflateData(nullptr, 0, Z_FINISH);
        } catch (...) {
            endCodec();
            throw;
        }
        endCodec();
    }

    // ---- reading ----

    void beginRead()
    {
        ASSERT_MSG(!(flags & COMPRESSING), "File is not in read mode");
        if (flags & INITIALISED)
            return;
        const int result = inflateInit2(&z, 15 + 16); // gzip only
        if (result != Z_OK) {
            char message[64];
            std::snprintf(message, sizeof message, "Zlib inflate failed  (%d)", result);
            fail(message);
        }
        flags = INITIALISED | DECOMPRESSING;
        z.next_in = input;
        z.avail_in = 0;
        outputPos = outputEnd = 0;
    }

    // Refills the compressed input, reading no more than the underlying
    // stream has. Leaves avail_in 0 at the end of the compressed data.
    void refill()
    {
        const int available = stream->available();
        if (available <= 0)
            return;
        const int got = stream->read(input, std::min(available, BUFFER_SIZE));
        z.next_in = input;
        z.avail_in = static_cast<uInt>(std::max(got, 0));
    }

    // Decompresses into buf[0, capacity): fills it unless the data ends
    // first; returns the bytes produced.
    int inflateInto(unsigned char* buf, int capacity)
    {
        ASSERT(capacity > 0);
        z.next_out = buf;
        z.avail_out = static_cast<uInt>(capacity);
        while (z.avail_out > 0 && !ended) {
            if (z.avail_in == 0)
                refill();
            if (z.avail_in == 0)
                fail("GZStream::read: Unexcepted end of gzip data");
            const int result = inflate(&z, Z_NO_FLUSH);
            if (result == Z_STREAM_END) {
                // The member's CRC and length have been checked. Another
                // member may follow; inflate checks its header in turn.
                if (z.avail_in == 0)
                    refill();
                if (z.avail_in == 0)
                    ended = true;
                else
                    inflateReset(&z);
                continue;
            }
            // A buffer error with input left means inflate is stuck.
            if (result != Z_OK && !(result == Z_BUF_ERROR && z.avail_in == 0))
                failZlib("Zlib deflate failed", result);
        }
        return capacity - static_cast<int>(z.avail_out);
    }

    // Copies up to `len` decompressed bytes to `dst`; fewer only at the end.
    int readDecoded(unsigned char* dst, int len)
    {
        int done = 0;
        while (done < len) {
            if (outputPos < outputEnd) {
                const int n = std::min(outputEnd - outputPos, len - done);
                std::memcpy(dst + done, output + outputPos, static_cast<size_t>(n));
                outputPos += n;
                done += n;
                continue;
            }
            if (ended)
                break;
            if (len - done >= BUFFER_SIZE) {
                done += inflateInto(dst + done, len - done);
            } else {
                outputPos = 0;
                outputEnd = inflateInto(output, BUFFER_SIZE);
            }
        }
        return done;
    }

    // Decoded bytes waiting; decodes ahead when there are none.
    int decodedWaiting()
    {
        if (outputPos == outputEnd && !ended) {
            outputPos = 0;
            outputEnd = inflateInto(output, BUFFER_SIZE);
        }
        return outputEnd - outputPos;
    }

    // Ends whichever codec is running and clears the mode flags.
    void endCodec() noexcept
    {
        if (flags & COMPRESSING)
            deflateEnd(&z);
        else if (flags & DECOMPRESSING)
            inflateEnd(&z);
        flags = 0;
    }
};

GZStream::GZStream(Ref<Stream> stream) : m_impl(nullptr)
{
    ASSERT_MSG(stream, "NULL pointer");
    m_impl = VORNA3D_NEW Impl(stream);
}

GZStream::~GZStream() noexcept(false)
{
    try {
        if (m_impl->flags & Impl::COMPRESSING)
            m_impl->finishWrite();
    } catch (...) {
        if (Debug::exists())
            Debug::printf(DEBUG_LEVEL_ERROR, "GZStream: the gzip trailer could not be written\n");
    }
    m_impl->endCodec();
    try {
        delete m_impl;
    } catch (...) {
        if (Debug::exists())
            Debug::printf(DEBUG_LEVEL_ERROR, "GZStream: releasing the underlying stream failed\n");
    }
}

int GZStream::write(const void* src, int len)
{
    m_impl->requireOpen("GZStream::write: Stream is closed");
    if (len < 0)
        m_impl->fail("GZStream::write: Negative length");
    m_impl->beginWrite();
    if (len > 0) {
        ASSERT(src != 0);
        m_impl->deflateData(src, len, Z_NO_FLUSH);
    }
    return len;
}

int GZStream::read(void* dst, int len)
{
    m_impl->requireOpen("GZStream::read: Stream is closed");
    if (len < 0)
        m_impl->fail("GZStream::read: Negative length");
    m_impl->beginRead();
    if (len == 0)
        return 0;
    ASSERT(dst != 0);
    unsigned char* out = static_cast<unsigned char*>(dst);
    const int fromPeek = std::min(len, m_peekBuffer.size());
    if (fromPeek > 0) {
        std::memcpy(out, m_peekBuffer.data(), static_cast<size_t>(fromPeek));
        m_peekBuffer.remove(0, fromPeek);
    }
    return fromPeek + m_impl->readDecoded(out + fromPeek, len - fromPeek);
}

int GZStream::peek(void* dst, int len)
{
    m_impl->requireOpen("GZStream::peek: Stream is closed");
    if (len < 0)
        m_impl->fail("GZStream::peek: Negative length");
    m_impl->beginRead();
    const int buffered = m_peekBuffer.size();
    if (buffered < len) {
        m_peekBuffer.setSizeForNativeType(len);
        const int got = m_impl->readDecoded(m_peekBuffer.data() + buffered, len - buffered);
        m_peekBuffer.setSizeForNativeType(buffered + got);
    }
    const int n = std::min(len, m_peekBuffer.size());
    if (n > 0) {
        ASSERT(dst != 0);
        std::memcpy(dst, m_peekBuffer.data(), static_cast<size_t>(n));
    }
    return n;
}

void GZStream::setSeek(int)
{
    ASSERT_MSG(0, "Not Implemented!");
}

int GZStream::getSeek()
{
    ASSERT_MSG(0, "Not Implemented!");
    return 0;
}

void GZStream::close()
{
    if (m_impl->closed)
        return;
    m_impl->closed = true;
    m_peekBuffer.clear();
    if (m_impl->flags & Impl::COMPRESSING)
        m_impl->finishWrite();
    m_impl->endCodec();
}

int GZStream::available()
{
    m_impl->requireOpen("GZStream::available: Stream is closed");
    m_impl->beginRead();
    if (m_peekBuffer.size() > 0)
        return m_peekBuffer.size() + (m_impl->outputEnd - m_impl->outputPos);
    return m_impl->decodedWaiting();
}

String GZStream::getName()
{
    return m_impl->stream->getName();
}

int64_t GZStream::getBytesWritten() const
{
    return m_impl->bytesWritten;
}

} // namespace core
