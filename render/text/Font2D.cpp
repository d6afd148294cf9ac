#include "render/text/Font2D.h"

#include "core/Archive.h"
#include "core/Debug.h"
#include "core/FileSystem.h"
#include "core/Ref.h"
#include "core/Stream.h"
#include "render/text/Font2DBitmap.h"
#include "render/text/FontException.h"

namespace render {

Font2D::Font2D() = default;

Font2D::Font2D(const Font2D& other) : Object3D(other), m_zoom(other.m_zoom), m_xSpacing(other.m_xSpacing)
{
}

Font2D::~Font2D() noexcept(false) = default;

void Font2D::setZoom(float x, float y)
{
    m_zoom = slmath::vec2(x, y);
}

core::Ref<Font2D> Font2D::createNewFont()
{
    core::Ref<Font2DBitmap> font = VORNA3D_NEW Font2DBitmap();
    ASSERT_MSG(font, " new_font != 0 ");
    font->loadBuiltIn();
    return font;
}

core::Ref<Font2D> Font2D::createNewFont(const core::String& fontFileName)
{
    ASSERT(fontFileName.length() > 0);
    // A file system not created yet reads nothing; creating it here would
    // leave a pool block behind a failed load.
    core::FileSystem* fileSystem = core::FileSystem::getExisting();
    if (!fileSystem)
        throw core::IOException("FileSystem::openFile: File not found!", fontFileName);
    core::Ref<core::Stream> stream;
    fileSystem->openFile(stream, fontFileName, core::Archive::OPEN_READ);
    core::Ref<Font2DBitmap> font = VORNA3D_NEW Font2DBitmap();
    try {
        font->loadBitmap(stream.get());
    } catch (const FontException& e) {
        core::Debug::printf(core::DEBUG_LEVEL_ERROR, "Font error in %s: %s\n", fontFileName.getASCII(),
                            e.getMessage() ? e.getMessage() : "");
        stream->close();
        throw;
    } catch (...) {
        stream->close();
        throw;
    }
    stream->close();
    ASSERT_MSG(font, "createNewFont : can not create a font");
    return font;
}

} // namespace render
