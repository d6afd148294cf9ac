#pragma once
// A platform file (the operations are core::PlatformFile's). The path is
// split into its directory (with the trailing "/") and its bare name;
// separators are normalised to "/". Paths are UTF-8 on every platform (a
// path that is not UTF-8 is handed to the C library as it is). Failing
// platform calls throw HALException.

#include <cstdint>

#include "core/PlatformFile.h"
#include "core/String.h"

namespace HAL {

class File : public core::PlatformFile {
public:
    // Creates the platform's file for `path`, in the pool, and opens it with
    // the C library mode `flags` ("rb", "wb", ...). Throws HALException
    // "GeneralFile: can not open the file : NAME" when it cannot be opened
    // (a directory cannot).
    static File* createFileHandle(const core::String& path, const core::String& flags);

    File(const core::String& path, const core::String& flags);

    const core::String& getName() const { return m_name; }
    const core::String& getDirectory() const { return m_directory; }
    const core::String& getFlags() const { return m_flags; }

protected:
    core::String m_name; // file name without directory
    core::String m_flags; // C library open mode
    core::String m_directory; // directory with its trailing "/", or empty
};

} // namespace HAL
