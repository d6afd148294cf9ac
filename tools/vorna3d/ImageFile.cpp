#include "ImageFile.h"

#include <cstdio>
#include <filesystem>

#include "core/FileArchive.h"
#include "core/FileSystem.h"
#include "render/loaders/Loader.h"
#include "render/loaders/png/PNG_Loader.h"

namespace vorna3d_tool {

namespace {

// libpng's row buffers and inflate window, with room to spare.
constexpr int64_t DECODER_BYTES = 1 << 20;

} // namespace

int64_t imagePoolBytes(const Args& args)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(args[0], error);
    if (error)
        return 0; // the engine reports the problem when it opens the file
    int64_t pixels = 0;
    if (FILE* file = std::fopen(args[0].c_str(), "rb")) {
        // Signature (8), IHDR length and type (8), then width and height, big-endian.
        unsigned char head[24];
        if (std::fread(head, 1, sizeof head, file) == sizeof head && head[0] == 0x89 && head[1] == 'P') {
            const uint32_t width =
                uint32_t(head[16]) << 24 | uint32_t(head[17]) << 16 | uint32_t(head[18]) << 8 | head[19];
            const uint32_t height =
                uint32_t(head[20]) << 24 | uint32_t(head[21]) << 16 | uint32_t(head[22]) << 8 | head[23];
            if (width <= render::PNG_Loader::MAX_SIDE && height <= render::PNG_Loader::MAX_SIDE)
                pixels = int64_t(width) * height * 4 + 2 * int64_t(width) * 8;
        }
        std::fclose(file);
    }
    return static_cast<int64_t>(size) + pixels + DECODER_BYTES;
}

core::Ref<render::Image2D> loadImage(const std::string& path)
{
    const std::filesystem::path file(path);
    const std::string directory = file.has_parent_path() ? file.parent_path().string() : std::string();
    const std::string name = file.filename().string();
    if (name.empty())
        throw ToolError{"not an image file: " + path};

    // The file's directory is mounted under "image" for the load.
    core::FileSystem* fs = core::FileSystem::get();
    fs->addArchive("image", core::Ref<core::Archive>(VORNA3D_NEW core::FileArchive(directory.c_str())));
    core::Vector<core::Ref<render::Object3D>> objects;
    render::load(core::String(("image/" + name).c_str()), objects);
    fs->removeArchive("image");

    render::Image2D* image = objects.size() == 1 ? dynamic_cast<render::Image2D*>(objects[0].get()) : nullptr;
    if (!image)
        throw ToolError{"not an image file: " + path};
    return core::Ref<render::Image2D>(image);
}

std::string pixelHex(const render::Image2D& image, int x, int y)
{
    const int bpp = image.getBpp();
    const unsigned char* bytes;
    if (image.isPalettised())
        bytes = image.getPalette() + image.getPixel(x, y) * bpp;
    else
        bytes = image.getPixels() + (int64_t(y) * image.getWidth() + x) * bpp;
    std::string hex;
    char two[3];
    for (int i = 0; i < bpp; ++i) {
        std::snprintf(two, sizeof two, "%02X", bytes[i]);
        hex += two;
    }
    return hex;
}

} // namespace vorna3d_tool
