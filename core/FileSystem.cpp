#include "core/FileSystem.h"

#include <cstdio>

#include "core/Debug.h"
#include "core/Exception.h"
#include "core/Globals.h"

namespace core {

namespace {

// Characters from `start` to the end of `text`; empty when there are none.
String restOf(const String& text, int start)
{
    const int length = text.length();
    if (start >= length)
        return String();
    if (start < length - 1)
        return text.substring(start);
    const unsigned short single[2] = {text.charAt(start), 0};
    String result;
    result.setData(single);
    return result;
}

// "path/name" for a mount path, or just the name for the empty path.
void describeCandidate(const String& path, const String& name)
{
    Debug::printf(DEBUG_LEVEL_WARNING, "Duplicated archive canditate %s%s%s\n", path.getASCII(),
                  path.length() > 0 ? "/" : "", name.getASCII());
}

} // namespace

FileSystem::ArchiveData::~ArchiveData() noexcept(false) = default;

String FileSystem::ArchiveData::mapName(const String& fileName) const
{
    const int pathLength = m_path.length();
    if (pathLength == 0)
        return fileName;
    if (fileName.startsWith(m_path)) {
        // "temp/x" is under "temp" (and under "temp/"); "tempx" is not.
        if (fileName.length() == pathLength)
            return String();
        if (m_path.charAt(pathLength - 1) == '/')
            return restOf(fileName, pathLength);
        if (fileName.charAt(pathLength) == '/')
            return restOf(fileName, pathLength + 1);
    }
    Debug::printf(DEBUG_LEVEL_APPLICATION, "\"%s\" : \"%s\"\n", fileName.getASCII(), m_path.getASCII());
    return fileName;
}

FileSystem::FileSystem() = default;

FileSystem::~FileSystem() noexcept(false) = default;

FileSystem* FileSystem::get()
{
    Globals* globals = Globals::get();
    if (!globals->m_fileSystem) {
        FileSystem* fileSystem = VORNA3D_NEW FileSystem();
        fileSystem->addRef(); // the globals' reference, dropped by deInitClass
        globals->m_fileSystem = fileSystem;
    }
    return globals->m_fileSystem;
}

FileSystem* FileSystem::getExisting()
{
    return Globals::get()->m_fileSystem;
}

void FileSystem::deInitClass()
{
    if (!Globals::exists())
        return;
    Globals* globals = Globals::get();
    FileSystem* fileSystem = globals->m_fileSystem;
    globals->m_fileSystem = nullptr;
    if (fileSystem)
        fileSystem->releaseRef();
}

bool FileSystem::reaches(Archive* archive) const
{
    if (archive == this)
        return true;
    const FileSystem* inner = dynamic_cast<const FileSystem*>(archive);
    if (!inner)
        return false;
    for (const Ref<ArchiveData>& mount : inner->m_archives)
        if (reaches(mount->m_archive.get()))
            return true;
    return false;
}

void FileSystem::addArchive(const String& path, Ref<Archive> archive)
{
    ASSERT_MSG(archive, "NULL pointer");
    Debug::printf(DEBUG_LEVEL_APPLICATION, "FileSystem: Mounting archive: \"%s\" to path \"%s\"\n",
                  archive->getName().getASCII(), path.getASCII());
    if (reaches(archive.get()))
        throw IOException("FileSystem::addArchive: Can not mount the file system inside itself!", archive->getName());
    for (const Ref<ArchiveData>& mount : m_archives)
        if (mount->m_archive == archive)
            throw IOException("FileSystem::addArchive: More than one same archives found!", archive->getName());
    m_archives.add(VORNA3D_NEW ArchiveData(path, archive));
}

void FileSystem::removeArchive(const String& path)
{
    int found = -1;
    int count = 0;
    for (int i = 0; i < m_archives.size(); ++i) {
        if (m_archives[i]->m_path.equals(path)) {
            found = i;
            ++count;
        }
    }
    char message[1024];
    if (count == 0) {
        std::snprintf(message, sizeof message, "FileSystem::removeArchive: Archive not found from path \"%s\"!",
                      path.getASCII());
        throw IOException(message, getName());
    }
    if (count > 1) {
        std::snprintf(message, sizeof message,
                      "FileSystem::addArchive: More than one same archives found from path \"%s\"!", path.getASCII());
        throw IOException(message, getName());
    }
    m_archives.remove(found);
}

FileSystem::ArchiveData* FileSystem::findCandidate(const String& fileName, int openFlags, String& mappedName)
{
    ArchiveData* candidate = nullptr;
    for (const Ref<ArchiveData>& mount : m_archives) {
        const String mapped = mount->mapName(fileName);
        if (mapped.length() == 0)
            continue;
        if (!mount->m_archive->exists(mapped, openFlags))
            continue;
        if (candidate) {
            describeCandidate(candidate->m_path, mappedName);
            describeCandidate(mount->m_path, mapped);
            throw IOException("FileSystem::exists: More than one file canditates found!", fileName);
        }
        candidate = mount.get();
        mappedName = mapped;
    }
    return candidate;
}

void FileSystem::openFile(Ref<Stream>& out, const String& fileName, int openFlags)
{
    String mapped;
    ArchiveData* candidate = findCandidate(fileName, openFlags, mapped);
    if (!candidate) {
        if (openFlags == OPEN_WRITE)
            throw IOException("FileSystem::openFile: File could not be saved!", fileName);
        throw IOException("FileSystem::openFile: File not found!", fileName);
    }
    Ref<Archive> archive = candidate->m_archive; // alive while it opens
    archive->openFile(out, mapped, openFlags);
}

bool FileSystem::exists(const String& fileName, int openFlags)
{
    String mapped;
    return findCandidate(fileName, openFlags, mapped) != nullptr;
}

} // namespace core
