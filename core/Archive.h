#pragma once
// Something that holds named files: a directory on disk, a TAR archive in
// memory, or the file system that mounts archives at paths.

#include "core/Object.h"
#include "core/Ref.h"
#include "core/Stream.h"
#include "core/String.h"

namespace core {

class Archive : public Object {
public:
    // Open modes of openFile and exists.
    enum { OPEN_READ = 0, OPEN_WRITE = 1 };

    // Opens `fileName` for reading (openFlags 0) or writing (1) into `out`.
    // Throws IOException (or the platform's exception) when it cannot.
    virtual void openFile(Ref<Stream>& out, const String& fileName, int openFlags) = 0;
    // Whether openFile with the same arguments would find the file.
    virtual bool exists(const String& fileName, int openFlags) = 0;
    // The archive's name for messages.
    virtual String getName() = 0;
};

} // namespace core
