#pragma once
// A stream over bytes in memory: owned (a reference-counted byte vector),
// borrowed (ROM: the caller's bytes, never copied) or a window into another
// memory stream (sharing its bytes). A stream made with the default
// constructor is in write mode and collects what is written to it.

#include "core/Ref.h"
#include "core/Stream.h"
#include "core/String.h"
#include "core/Vector.h"

namespace core {

class MemoryStream : public Stream {
public:
    using Bytes = Vector<unsigned char>;

    // An empty stream in write mode, named "Unnamed memory stream".
    MemoryStream();
    // A read-mode stream over `dataBufLen` bytes of `data`. With `ROM` false
    // the bytes are copied (asserts " dataBufLen > 0 "); with `ROM` true the
    // stream refers to the caller's bytes, which must outlive it (asserts
    // " m_ROMData != 0 " and a non-negative length).
    MemoryStream(const char* data, int dataBufLen, bool ROM);
    // A read-mode stream of `len` bytes taken from `source` at its position;
    // the source advances by `len`. From a read-mode memory stream the bytes
    // are shared, not copied; from any other stream they are read into an
    // owned buffer. The name is the source's. Throws IOException for a
    // negative length or one that runs past the end of the source (with
    // `endMessage` as its text when one is given).
    MemoryStream(Ref<Stream> source, int len, const char* endMessage = nullptr);
    // A read-mode stream over all of `data` (shared, not copied). Requires data.
    explicit MemoryStream(Ref<Bytes> data);
    ~MemoryStream() noexcept(false) override;

    // Write mode: writes at the position, growing the data to
    // max(size, position + len); returns len. Read mode or closed: IOException.
    int write(const void* src, int len) override;
    // Read mode: copies min(len, available()) bytes and advances.
    int read(void* dst, int len) override;
    // Read mode: copies `len` bytes without advancing; fewer available
    // throws "MemoryStream::read: Too small buffer".
    int peek(void* dst, int len) override;
    // Requires 0 <= pos <= size; otherwise IOException.
    void setSeek(int pos) override;
    // Ends the stream; releases the owned data.
    void close() override;
    int getSeek() override { return m_pos; }
    // Read mode: bytes after the position. Write mode or closed: IOException.
    int available() override;
    String getName() override { return m_name; }
    void setName(const String& name) { m_name = name; }

    // The stream's bytes (all of them, whatever the position) and their
    // count; null and 0 once closed. Valid until the next write or close.
    const unsigned char* getData() const;
    int getSize() const { return m_size; }
    // The owned bytes, shared; null for borrowed data.
    Ref<Bytes> getBuffer() const { return m_dataRef; }

private:
    enum Mode { MODE_READ = 0, MODE_WRITE = 1, MODE_CLOSED = 2 };

    // Throws the "Stream is closed" or mode message of `operation`.
    void requireReadable(const char* operation) const;
    // Fills an owned buffer with `len` bytes read from a stream that is not
    // a memory stream.
    void copyFrom(Stream& source, int len, const char* endMessage);

    Ref<Bytes> m_dataRef; // owned or shared bytes; null when borrowed
    String m_name;
    int m_pos = 0;
    Mode m_mode = MODE_READ;
    int m_size = 0; // bytes in this stream
    int m_offset = 0; // first byte within m_dataRef (windows)
    const unsigned char* m_ROMData = nullptr; // borrowed bytes (or a window into them)
};

} // namespace core
