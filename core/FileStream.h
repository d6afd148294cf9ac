#pragma once
// A stream over a file on disk, through the platform's file (PlatformFile).
// The file is opened at construction and stays open until close() or
// destruction. Positions and lengths are 32-bit: files up to 2 GiB - 1.

#include "core/Ref.h"
#include "core/Stream.h"
#include "core/String.h"

namespace core {

class PlatformFile;

class FileStream : public Stream {
public:
    // Opens `name` with the C library mode `flags` ("rb", "wb", ...).
    // Throws PlatformException when the file cannot be opened (a directory
    // cannot) and IOException for a name without a file part.
    FileStream(const String& name, const String& flags);
    // Closes the file when it is open (a failing close is not reported here).
    ~FileStream() noexcept(false) override;

    // Writes all `len` bytes at the position and advances; returns len.
    int write(const void* src, int len) override;
    // Reads exactly `len` bytes and advances; fewer throw IOException
    // "FileStream::peek: Failed to read correct ammount from native file".
    int read(void* dst, int len) override;
    // Reads `len` bytes without advancing; throws "FileStream::peek: Too
    // small file" when fewer are left.
    int peek(void* dst, int len) override;
    // Moves to `pos`; requires 0 <= pos <= file size (else IOException).
    void setSeek(int pos) override;
    // Closes the file; later operations but close throw "Stream is closed".
    void close() override;
    int getSeek() override;
    // File size minus the position (at most INT_MAX).
    int available() override;
    String getName() override { return m_name; }
    // Renames the stream for messages (the file stays the same).
    void setName(const String& name) { m_name = name; }

private:
    bool isOpen() const;

    String m_name;
    Ref<PlatformFile> m_file;
    int m_pos = 0;
};

} // namespace core
