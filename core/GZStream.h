#pragma once
// A gzip layer over another stream: writing compresses (zlib deflate with
// the gzip wrapper) onto the underlying stream, reading decompresses from
// it. The first write fixes write mode; the first read, peek or available
// fixes read mode. Reading checks the gzip trailer (CRC-32 and length) and
// accepts several concatenated gzip members; data that ends inside a member
// is an error. zlib's memory comes from the engine pool.

#include "core/Ref.h"
#include "core/Stream.h"
#include "core/Vector.h"

namespace core {

class GZStream : public Stream {
public:
    // Wraps `stream` (asserts "NULL pointer"); nothing is read or written yet.
    explicit GZStream(Ref<Stream> stream);
    // Finishes a write-mode stream as close() does, ends the codec and
    // releases the underlying stream. Never throws: failures are logged.
    ~GZStream() noexcept(false) override;

    // Compresses `len` bytes onto the underlying stream; returns len. Asserts
    // "File is read-only!" in read mode; IOException on a zlib failure, a
    // negative length or after close.
    int write(const void* src, int len) override;
    // Decompresses up to `len` bytes; fewer only at the end of the data.
    // Asserts "File is not in read mode" in write mode; IOException for
    // corrupt or truncated data, a negative length or after close.
    int read(void* dst, int len) override;
    // Like read, without consuming: the bytes stay for the next read.
    int peek(void* dst, int len) override;
    // Not supported: asserts "Not Implemented!".
    void setSeek(int pos) override;
    // Write mode: writes the gzip trailer (IOException when that fails).
    // Ends the codec; later reads and writes throw IOException. The
    // underlying stream stays open.
    void close() override;
    // Not supported: asserts "Not Implemented!".
    int getSeek() override;
    // Read mode: decompressed bytes ready to read, decoding ahead when none
    // are; 0 only at the end of the data. Errors as read.
    int available() override;
    // The underlying stream's name.
    String getName() override;

    // Compressed bytes passed to the underlying stream so far (write mode).
    int64_t getBytesWritten() const;

private:
    struct Impl;

    Vector<unsigned char> m_peekBuffer; // decoded by peek, not yet read
    Impl* m_impl; // codec state, in the pool
};

} // namespace core
