#pragma once
// The engine's virtual file system: archives mounted at paths, searched in
// mount order. A name under a mount path ("temp/x" under "temp") is looked
// up in that archive without the path; archives mounted at the empty path,
// and archives whose path the name is not under, are asked for the whole
// name. Exactly one archive may hold a name.

#include "core/Archive.h"
#include "core/Vector.h"

namespace core {

class FileSystem : public Archive {
public:
    // One mount: an archive and the path it is mounted at.
    class ArchiveData : public Object {
    public:
        ArchiveData(const String& path, Ref<Archive> archive) : m_path(path), m_archive(archive) { }
        ~ArchiveData() noexcept(false) override;
        // The name to ask this mount's archive for `fileName` (see above);
        // empty when the name is the mount path itself.
        String mapName(const String& fileName) const;

        String m_path;
        Ref<Archive> m_archive;
    };

    FileSystem();
    ~FileSystem() noexcept(false) override;

    // The engine's file system, created on first use and owned by the
    // globals record until engine shut-down. Requires a running engine.
    static FileSystem* get();
    // The engine's file system if it has been created, else null; never
    // creates it. For readers, which must leave the pool as they found it.
    static FileSystem* getExisting();
    // Releases the engine's file system, if any (engine shut-down).
    static void deInitClass();

    // Mounts `archive` at `path` (logged). Throws IOException when the same
    // archive object is already mounted, or when the archive is this file
    // system or one that (through its own mounts) contains it.
    void addArchive(const String& path, Ref<Archive> archive);
    // Unmounts the one archive mounted at exactly `path`. Throws IOException
    // when none is, or more than one.
    void removeArchive(const String& path);

    // Opens `fileName` from the one archive that has it. IOException when
    // none has it ("File not found!", or "File could not be saved!" for
    // writing) or more than one does (each candidate logged as a warning).
    void openFile(Ref<Stream>& out, const String& fileName, int openFlags) override;
    // Whether exactly one archive has `fileName`; more than one throws as openFile.
    bool exists(const String& fileName, int openFlags) override;
    String getName() override { return "FileSystem"; }

    int getMountCount() const { return m_archives.size(); }

private:
    // The mount that holds `fileName` and the name to ask it for; null when none.
    ArchiveData* findCandidate(const String& fileName, int openFlags, String& mappedName);
    // Whether `archive` is this file system or mounts it, directly or deeper.
    bool reaches(Archive* archive) const;

    Vector<Ref<ArchiveData>> m_archives;
};

} // namespace core
