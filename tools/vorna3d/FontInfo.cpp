#include "FontInfo.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "ArchiveMount.h"
#include "SceneFile.h"
#include "core/FileSystem.h"
#include "core/MemoryStream.h"
#include "render/text/Font2D.h"
#include "render/text/Font2DBitmap.h"
#include "render/text/FontDescription.h"
#include "render/appearance/Texture2D.h"

namespace vorna3d_tool {

namespace {

// Decoded font images of up to 2048 x 2048 RGBA, with the decoder's buffers.
constexpr int64_t FONT_IMAGE_BYTES = int64_t(48) << 20;

std::string escaped(const core::String& text)
{
    std::string out;
    for (int i = 0; i < text.length(); ++i) {
        const unsigned ch = text.charAt(i);
        switch (ch) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (ch >= 0x20 && ch < 0x7F) {
                out += static_cast<char>(ch);
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", ch & 0xFF);
                out += hex;
            }
        }
    }
    return out;
}

} // namespace

bool isFontFile(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".txt";
}

int64_t fontPoolBytes(const std::string& archive)
{
    return (archive.empty() ? 0 : archiveMemoryEstimate(archive)) + FONT_IMAGE_BYTES;
}

std::string describeFont(const std::string& archive, const std::string& font)
{
    // The font's folder (or the archive) at the empty path: the image name
    // in the description is looked up there, as in the demo's archive.
    core::Ref<core::TARArchive> mounted;
    std::string name = font;
    std::unique_ptr<MountedFile> folder;
    if (archive.empty()) {
        if (!std::filesystem::is_regular_file(font))
            throw ToolError{"cannot open " + font + " (missing, unreadable or not a file)"};
        folder = std::make_unique<MountedFile>(font);
        name = folder->name();
    } else {
        mounted = mountArchive(archive);
    }

    // The description's own fields, then the whole font as the engine builds it.
    core::Ref<core::Stream> stream;
    core::FileSystem::get()->openFile(stream, name.c_str(), core::Archive::OPEN_READ);
    const render::FontDescription description = render::FontDescription::read(stream.get());
    stream->close();
    core::Ref<render::Font2D> loaded = render::Font2D::createNewFont(name.c_str());
    const render::Font2DBitmap* bitmap = dynamic_cast<const render::Font2DBitmap*>(loaded.get());
    if (!bitmap)
        throw ToolError{"not a bitmap font: " + font};
    const render::Texture2D* texture = bitmap->getTexture();

    std::string out = "Font2DBitmap cell " + std::to_string(bitmap->getCellWidth()) + "x" +
        std::to_string(bitmap->getCellHeight()) + " glyphs " + std::to_string(bitmap->getGlyphCount()) +
        " line-height " + std::to_string(bitmap->getLineHeight()) + "\n";
    out += "image \"" + escaped(description.pngName) + "\" " + std::to_string(texture->getWidth()) + "x" +
        std::to_string(texture->getHeight()) + "\n";
    out += "table \"" + escaped(bitmap->getCharacters()) + "\"\n";
    return out;
}

} // namespace vorna3d_tool
