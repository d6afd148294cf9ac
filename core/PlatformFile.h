#pragma once
// A file of the operating system, as core's FileStream sees it. The platform
// layer implements it (HAL::File) and creates it through PlatformServices.
// Every operation but isOpen requires an open file and throws a
// PlatformException when the platform call fails.

#include <cstdint>

#include "core/Object.h"

namespace core {

class PlatformFile : public Object {
public:
    // Opens the file. Requires a name and flags.
    virtual void fopen() = 0;
    // Reads up to `max_dest_buf_size` bytes; returns the bytes read (fewer at the end).
    virtual int32_t fread(void* dest_buf, int32_t max_dest_buf_size) = 0;
    // Writes `length` bytes; a zero length does nothing. Throws on a short write.
    virtual void fwrite(const void* src_buf, int32_t length) = 0;
    // The size in bytes; the position is unchanged.
    virtual int64_t fsize() = 0;
    // Moves to byte `position` from the start.
    virtual void fsetpos(int64_t position) = 0;
    // The current byte position.
    virtual int64_t fgetpos() = 0;
    // The platform's handle (a FILE*), null when closed.
    virtual void* getNativeHandle() = 0;
    virtual void fclose() = 0;
    virtual bool isOpen() const = 0;
};

} // namespace core
