#pragma once
// A platform file. The path is split into its directory (with the trailing
// "/") and its bare name; separators are normalised to "/". Every operation
// but isOpen requires an open file and throws HALException when the platform
// call fails.

#include <cstdint>

#include "core/Object.h"
#include "core/String.h"

namespace HAL {

class File : public core::Object {
public:
    // Creates the platform's file for `path`, in the pool, and opens it with
    // the C library mode `flags` ("rb", "wb", ...). Throws HALException
    // "GeneralFile: can not open the file : NAME" when it cannot be opened
    // (a directory cannot).
    static File* createFileHandle(const core::String& path, const core::String& flags);

    File(const core::String& path, const core::String& flags);

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

    const core::String& getName() const { return m_name; }
    const core::String& getDirectory() const { return m_directory; }
    const core::String& getFlags() const { return m_flags; }

protected:
    core::String m_name;      // file name without directory
    core::String m_flags;     // C library open mode
    core::String m_directory; // directory with its trailing "/", or empty
};

} // namespace HAL
