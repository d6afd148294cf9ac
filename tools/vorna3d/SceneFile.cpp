#include "SceneFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "RendererScope.h"
#include "core/FileArchive.h"
#include "core/FileSystem.h"
#include "core/Globals.h"
#include "render/loaders/Loader.h"

namespace vorna3d_tool {

namespace {

// The engine's own working memory beside the scene: log buffers, the
// loader's tables, the inflate state.
constexpr int64_t SCENE_BASE_BYTES = 16 << 20;
// Bytes of pool per byte of object data: the object records are read into
// records, then into objects, with a copy or two on the way (colours
// widened, images copied into their pixel blocks).
constexpr int64_t BYTES_PER_OBJECT_BYTE = 4;

uint32_t littleEndian(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

RendererScope::RendererScope() : m_renderer(VORNA3D_NEW render::NullGraphics3D())
{
    m_renderer->registerInstance();
}

RendererScope::~RendererScope()
{
    if (core::Globals::exists())
        core::Globals::get()->m_g3d.clear();
}

bool isSceneFile(const std::string& path)
{
    unsigned char head[sizeof render::M3G_FILE_IDENTIFIER];
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    const bool scene = std::fread(head, 1, sizeof head, file) == sizeof head &&
        std::memcmp(head, render::M3G_FILE_IDENTIFIER, sizeof head) == 0;
    std::fclose(file);
    return scene;
}

int64_t scenePoolBytes(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        return 0; // the engine reports the problem when it opens the file
    int64_t objectBytes = 0;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        // The identifier, then per section: compression, total and uncompressed length.
        unsigned char head[9];
        long at = sizeof render::M3G_FILE_IDENTIFIER;
        while (std::fseek(file, at, SEEK_SET) == 0 && std::fread(head, 1, sizeof head, file) == sizeof head) {
            const uint32_t total = littleEndian(head + 1);
            const uint32_t announced = littleEndian(head + 5);
            if (total < 13)
                break;
            // What a section announces counts only as far as its bytes can back it.
            const int64_t possible =
                std::min<int64_t>(int64_t(total) * 1032 + 64, render::M3G_Loader::MAX_SECTION_DATA);
            objectBytes += std::min<int64_t>(announced, possible);
            at += static_cast<long>(total);
        }
        std::fclose(file);
    }
    return static_cast<int64_t>(size) + BYTES_PER_OBJECT_BYTE * objectBytes + SCENE_BASE_BYTES;
}

MountedFile::MountedFile(const std::string& path)
{
    const std::filesystem::path file(path);
    m_name = file.filename().string();
    if (m_name.empty())
        throw ToolError{"not a file: " + path};
    const std::string directory = file.has_parent_path() ? file.parent_path().string() : std::string();
    core::FileSystem::get()->addArchive("", core::Ref<core::Archive>(VORNA3D_NEW core::FileArchive(directory.c_str())));
}

MountedFile::~MountedFile()
{
    if (core::Globals::exists())
        core::FileSystem::get()->removeArchive("");
}

void loadRoots(const std::string& path, core::Vector<core::Ref<render::Object3D>>& roots)
{
    MountedFile mounted(path);
    render::load(core::String(mounted.name().c_str()), roots);
}

void loadScene(const std::string& path, render::M3G_Loader& loader, core::Vector<core::Ref<render::Object3D>>& roots)
{
    if (!isSceneFile(path))
        throw ToolError{"not a scene file: " + path};
    MountedFile mounted(path);
    core::Ref<core::Stream> stream;
    core::FileSystem::get()->openFile(stream, core::String(mounted.name().c_str()), core::Archive::OPEN_READ);
    loader.load(stream.get(), roots);
}

} // namespace vorna3d_tool
