#include "core/FileArchive.h"

#include "core/PlatformException.h"
#include "core/Exception.h"
#include "core/FileStream.h"

namespace core {

FileArchive::FileArchive(const String& basePath) : m_basePath(basePath)
{
}

FileArchive::~FileArchive() noexcept(false) = default;

String FileArchive::getPath(const String& fileName) const
{
    const int baseLength = m_basePath.length();
    if (baseLength == 0)
        return fileName;
    const bool baseHasSlash = m_basePath.charAt(baseLength - 1) == '/';
    const bool nameHasSlash = fileName.length() > 0 && fileName.charAt(0) == '/';
    String path;
    path += m_basePath;
    if (baseHasSlash && nameHasSlash) {
        path += fileName.getASCII() + 1;
        return path;
    }
    if (!baseHasSlash && !nameHasSlash)
        path += "/";
    path += fileName;
    return path;
}

void FileArchive::openFile(Ref<Stream>& out, const String& fileName, int openFlags)
{
    const char* mode = nullptr;
    if (openFlags == OPEN_READ)
        mode = "rb";
    else if (openFlags == OPEN_WRITE)
        mode = "wb";
    else
        throw IOException("FileArchive::openFile: Unsupported openFlags", fileName);
    Ref<FileStream> stream = VORNA3D_NEW FileStream(getPath(fileName), mode);
    stream->setName(fileName);
    out = stream;
}

bool FileArchive::exists(const String& fileName, int openFlags)
{
    const char* mode = nullptr;
    if (openFlags == OPEN_READ)
        mode = "rb";
    else if (openFlags == OPEN_WRITE)
        mode = "ab"; // creates a missing file like "wb", but leaves an existing one intact
    else
        throw IOException("FileArchive::exists: Unsupported openFlags", fileName);
    if (openFlags == OPEN_WRITE && !m_writeEnable)
        return false;
    const String path = getPath(fileName);
    const int length = path.length();
    if (length == 0 || path.charAt(length - 1) == '/' || path.charAt(length - 1) == '\\')
        return false; // no file part ("\\" separates too, as on Windows): nothing to open
    try {
        Ref<FileStream> probe = VORNA3D_NEW FileStream(path, mode);
        return true;
    } catch (const PlatformException&) {
        return false;
    }
}

} // namespace core
