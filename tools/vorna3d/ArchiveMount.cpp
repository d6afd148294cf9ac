#include "ArchiveMount.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "Command.h"
#include "core/FileArchive.h"
#include "core/FileSystem.h"

namespace vorna3d_tool {

namespace {

constexpr int64_t BASE_POOL = 16 << 20;

} // namespace

int64_t archiveMemoryEstimate(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        return BASE_POOL; // the engine reports the problem when it opens the file
    int64_t unpacked = static_cast<int64_t>(size);
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        unsigned char magic[2] = {};
        unsigned char trailer[4] = {};
        if (std::fread(magic, 1, 2, file) == 2 && magic[0] == 0x1F && magic[1] == 0x8B && size >= 4 &&
            std::fseek(file, -4, SEEK_END) == 0 && std::fread(trailer, 1, 4, file) == 4) {
            const int64_t isize = trailer[0] | (trailer[1] << 8) | (trailer[2] << 16) | (int64_t(trailer[3]) << 24);
            unpacked = std::max(unpacked, isize);
        }
        std::fclose(file);
    }
    // The file's bytes and the entries copied out of them, with room for
    // buffers that grow while a gzip stream is decoded.
    return BASE_POOL + static_cast<int64_t>(size) + 2 * unpacked;
}

int64_t archivePoolBytes(const Args& args)
{
    return archiveMemoryEstimate(args[0]);
}

core::Ref<core::TARArchive> mountArchive(const std::string& path)
{
    // The directory is mounted under "temp" only while the archive file is
    // opened through it; the archive then takes the empty path.
    const std::filesystem::path file(path);
    const std::string directory = file.has_parent_path() ? file.parent_path().string() : std::string();
    const std::string name = file.filename().string();
    if (name.empty())
        throw ToolError{"not an archive file: " + path};

    core::FileSystem* fs = core::FileSystem::get();
    fs->addArchive("temp", core::Ref<core::Archive>(VORNA3D_NEW core::FileArchive(directory.c_str())));
    core::Ref<core::TARArchive> archive;
    try {
        const core::String inTemp = ("temp/" + name).c_str();
        if (!fs->exists(inTemp, core::Archive::OPEN_READ))
            throw ToolError{"cannot open " + path + " (missing, unreadable or not a file)"};
        core::Ref<core::Stream> stream;
        fs->openFile(stream, inTemp, core::Archive::OPEN_READ);
        archive = VORNA3D_NEW core::TARArchive(stream);
    } catch (...) {
        fs->removeArchive("temp");
        throw;
    }
    fs->removeArchive("temp");
    fs->addArchive("", archive);
    return archive;
}

} // namespace vorna3d_tool
