#pragma once
// Font2DBitmap: a font whose glyphs are rectangles of one image. The
// rectangles are cut on a fixed grid of glyph cells, or, when the cell size
// is 0, found by scanning for lines of a separator colour drawn between the
// glyphs (separator mode). A table of characters in glyph order (ISO 8859-1
// codes) maps each character to its rectangle; the image becomes the font
// texture.
//
// The font lays out Text3D strings into batch items (renderNodeToBatcher):
// one quad per character, the pen advancing by the glyph's width plus the
// font's x spacing, times the text's zoom. Line feeds, carriage returns and
// CR LF pairs start a new line one line height (the tallest glyph) lower;
// a text with a wrap width breaks its lines at blanks (or, for a word wider
// than the line, inside the word) to stay within it. Each line is aligned
// on its own: left, centred or right of the text's position.

#include <cstdint>

#include "core/HashTable.h"
#include "core/Ref.h"
#include "core/String.h"
#include "core/Vector.h"
#include "render/text/Font2D.h"
#include "slmath/slmath.h"

namespace core {
class Stream;
}

namespace render {

class BatcherItem;
class Image2D;
class Text3D;
class Texture2D;
class Transform;

class Font2DBitmap : public Font2D {
public:
    // Flag bit: trim glyph boxes to their visible columns (removeEmptyBorders).
    static constexpr uint8_t FLAG_TRIM_GLYPHS = 0x2;

    // The measures of a laid-out text, in font pixels (before zoom).
    struct TextMetrics {
        int width = 0; // the widest line: glyph widths plus spacing
        int height = 0; // first line's tallest glyph plus one line height per further line
        int lines = 0; // lines laid out (at least 1)
        int glyphs = 0; // quads made
    };

    // An empty font: no glyphs, no texture.
    Font2DBitmap();
    ~Font2DBitmap() noexcept(false) override;

    // A font sharing this font's texture, with copies of its glyph table.
    Font2DBitmap* duplicate() const override;

    // Reads a description file from `stream` (see FontDescription), loads
    // the image it names through the loader, cuts the glyphs (createFont)
    // and makes the texture (nearest filtering). Throws as
    // FontDescription::read and createFont do, and IOException when the
    // image cannot be loaded; asserts " image != 0 " when the named file is
    // not an image, " g3d != 0 " without a renderer.
    void loadBitmap(core::Stream* stream);
    // Builds the built-in 8 x 8 debug font (with trimmed glyph boxes).
    void loadBuiltIn();

    // Cuts the glyph boxes of `characters` (in glyph order) out of `image`:
    // on a grid of charWidth x charHeight cells with emptyX / emptyY
    // between them, or, when either size is 0, by the separator colour
    // (0xRRGGBB). A glyph row ends at a line break in the table or at the
    // image's right edge. Separator pixels are painted over afterwards.
    // Throws FontException "Font reading failed. Your png does not provide
    // separator color?" (no separator where the first glyph, or a glyph
    // starting a row, should end), "Font reading failed. Your png does not
    // provide last separator line?", "can not load a font. check your
    // character table." (the table runs past the image), "can not create
    // font because font PNG width is smaller than char width" (and height).
    // Requires no texture yet (" m_fontTexture == 0 ") and an image.
    void createFont(const core::String& characters, Image2D* image, int charWidth, int charHeight, int emptyX,
                    int emptyY, uint32_t separator);
    // Narrows every glyph box but the blank's to its visible columns (alpha
    // not zero) plus one empty column on each side.
    void removeEmptyBorders(Image2D* image);

    // Asserts " w > 0 && h > 0 ", "setCharSize failed because font does not
    // support this character" for an unmapped character.
    void setCharSize(unsigned short ch, int x, int y, int w, int h) override;
    // Asserts " x && y && w && h " and as setCharSize for an unmapped character.
    void getCharSize(unsigned short ch, int* x, int* y, int* w, int* h) const override;

    // Asserts " m_fontTexture.ptr() != 0 " when the font has no texture.
    Texture2D* getTexture() const;
    // The glyph index of `ch`, or -1 when the font lacks it.
    int getGlyphIndex(unsigned short ch) const;
    bool hasCharacter(unsigned short ch) const { return getGlyphIndex(ch) >= 0; }
    // Characters of the table that have a glyph (line breaks do not).
    int getGlyphCount() const { return m_glyphCount; }
    // The character table as given, line breaks included.
    const core::String& getCharacters() const { return m_characters; }
    // The cell size given to createFont (0 in separator mode).
    int getCellWidth() const { return m_cellWidth; }
    int getCellHeight() const { return m_cellHeight; }
    // The tallest glyph: the distance between text lines, in font pixels.
    int getLineHeight() const { return m_lineHeight; }
    // Image width / height and 1 / image width (see renderNodeToBatcher).
    float getVAspect() const { return m_vAspect; }
    float getUScale() const { return m_uScale; }
    void setFlags(uint8_t flags) { m_flags = flags; }
    uint8_t getFlags() const { return m_flags; }

    // Measures `length` codes as laid out with `spacing` and a wrap width
    // (`wrapWidth` font pixels, 0 for none). Unmapped characters count as
    // nothing when `skipUnmapped`, and throw the unsupported-characters
    // FontException otherwise.
    TextMetrics measure(const unsigned short* codes, int length, int spacing, int wrapWidth, bool skipUnmapped) const;

    // Lays `text` out into `item` from vertex `firstVertex` on, placed by
    // `final`: positions in the batch's fixed point, texture coordinates in
    // font pixels (rows times the v aspect), the text's colour, no normals.
    // Writes the outline of the text (first quad's left corners, last
    // quad's right corners, as fixed-point x, y, z) to pickingPositions[12].
    // Throws FontException "Can not render text. Your font file does not
    // support these characters?" for an unmapped character unless the text
    // skips them. Requires item and pickingPositions.
    bool renderNodeToBatcher(const Transform& final, BatcherItem* item, int firstVertex, const Text3D& text,
                             int* pickingPositions);

protected:
    Font2DBitmap(const Font2DBitmap& other);

private:
    // One line of a text: codes [begin, end) and the width of its glyphs;
    // the next line starts at `next`.
    struct Line {
        int begin = 0;
        int end = 0;
        int next = 0;
        int width = 0;
    };
    // The line starting at `begin`.
    Line nextLine(const unsigned short* codes, int length, int begin, int spacing, int wrapWidth,
                  bool skipUnmapped) const;
    // The advance of `ch` (glyph width + spacing), 0 for a skipped
    // character; throws for an unmapped one unless skipping.
    int advanceOf(unsigned short ch, int spacing, bool skipUnmapped) const;
    // Makes the font texture from `image` (nearest filtering, built, then
    // the image reference dropped); trims the glyphs first when flagged.
    void makeTexture(Image2D* image);
    // Maps `ch` to glyph `index`; a character listed again takes the later glyph.
    void mapCharacter(unsigned short ch, int index);
    // The stored box of glyph `index`.
    void glyphBox(int index, int* x, int* y, int* w, int* h) const;

    core::HashTable<unsigned short, short> m_charMap;
    core::Vector<short> m_charInfoArray;
    core::Ref<Texture2D> m_fontTexture;
    core::String m_characters;
    float m_vAspect = 1.f;
    float m_uScale = 1.f;
    int32_t m_glyphCount = 0;
    int32_t m_cellWidth = 0;
    int32_t m_cellHeight = 0;
    int32_t m_lineHeight = 0;
    uint8_t m_flags = 0;
};

} // namespace render
