#pragma once
// The engine's abstract byte stream: every file the engine reads, from disk,
// from an archive or from memory, is consumed through it. Failures throw
// core::IOException carrying the stream's name.

#include "core/Object.h"
#include "core/String.h"

namespace core {

class Stream : public Object {
public:
    // Writes `len` bytes at the position; returns `len`.
    virtual int write(const void* src, int len) = 0;
    // Copies up to `len` bytes and advances; returns the bytes copied.
    // A negative length throws IOException.
    virtual int read(void* dst, int len) = 0;
    // Copies up to `len` bytes without advancing; returns the bytes copied.
    // A negative length throws IOException.
    virtual int peek(void* dst, int len) = 0;
    // Moves the position to `pos`; a position outside the data throws IOException.
    virtual void setSeek(int pos) = 0;
    // Ends the stream's use; later reads and writes fail.
    virtual void close() = 0;
    virtual int getSeek() = 0;
    // Bytes left to read (0 only at the end of the data).
    virtual int available() = 0;
    // The stream's name, used in error messages.
    virtual String getName() = 0;
};

} // namespace core
