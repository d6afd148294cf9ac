#pragma once
// A directory on disk as an archive: names are files below the base path.

#include "core/Archive.h"

namespace core {

class FileArchive : public Archive {
public:
    // `basePath` is the directory ("" for the working directory); a "/"
    // between it and each name is supplied when neither has one.
    explicit FileArchive(const String& basePath);
    ~FileArchive() noexcept(false) override;

    // openFlags 0 opens the file for reading ("rb"), 1 for writing ("wb");
    // the stream is a FileStream named `fileName`. Other flags throw
    // IOException "FileArchive::openFile: Unsupported openFlags"; a missing
    // file (or a directory) throws the platform's PlatformException.
    void openFile(Ref<Stream>& out, const String& fileName, int openFlags) override;
    // openFlags 0: whether the file can be opened for reading (a directory
    // cannot). 1: false unless writing is enabled; then whether the file can
    // be opened for writing (it is created when missing, never truncated).
    // Other flags throw IOException "FileArchive::exists: Unsupported openFlags".
    bool exists(const String& fileName, int openFlags) override;
    // The base path.
    String getName() override { return m_basePath; }

    void setWriteEnable(bool enable) { m_writeEnable = enable ? 1 : 0; }
    bool isWriteEnabled() const { return m_writeEnable != 0; }

    // The path of `fileName` below the base path, with exactly one "/" between them.
    String getPath(const String& fileName) const;

private:
    String m_basePath;
    uint8_t m_writeEnable = 0;
};

} // namespace core
