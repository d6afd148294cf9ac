#pragma once
// Font2D: a font for Text3D. It knows where each character's glyph lies in
// its image (setCharSize / getCharSize) and carries a zoom (font pixels to
// text units, per axis) and an extra advance between characters. The one
// implementation is Font2DBitmap; createNewFont makes one from the
// built-in 8 x 8 debug font or from a font description file.

#include <cstdint>

#include "core/Ref.h"
#include "core/String.h"
#include "render/scene/Object3D.h"
#include "slmath/slmath.h"

namespace render {

class Font2D : public Object3D {
public:
    ~Font2D() noexcept(false) override;

    // A new font made from the built-in 8 x 8 debug font (upper-case
    // letters, the ISO 8859-1 letters C5, C4 and D6, digits and ":.-/ ").
    // Requires a registered renderer (its texture is made there).
    static core::Ref<Font2D> createNewFont();
    // A new font read from the description file `fontFileName` through the
    // engine's file system, with the PNG it names. Asserts
    // " fontFileName.length() > 0 "; throws IOException when a file cannot
    // be opened or read, FontException "Unsupported font format in font
    // file." when the file does not start with 'B' and FontException with
    // the reason for any other error in the description or the image (see
    // Font2DBitmap).
    static core::Ref<Font2D> createNewFont(const core::String& fontFileName);

    Font2D* duplicate() const override = 0;

    // Moves the glyph box of `ch` in the font image. Asserts as the
    // implementation says.
    virtual void setCharSize(unsigned short ch, int x, int y, int w, int h) = 0;
    // The glyph box of `ch`.
    virtual void getCharSize(unsigned short ch, int* x, int* y, int* w, int* h) const = 0;

    // Text units per font pixel along x and y (default 1, 1).
    void setZoom(float x, float y);
    const slmath::vec2& getZoom() const { return m_zoom; }
    // Extra advance after each character, in font pixels (default 0).
    void setXSpacing(int16_t spacing) { m_xSpacing = spacing; }
    int16_t getXSpacing() const { return m_xSpacing; }

protected:
    Font2D();
    Font2D(const Font2D& other);

private:
    slmath::vec2 m_zoom{1.f, 1.f};
    int16_t m_xSpacing = 0;
};

} // namespace render
