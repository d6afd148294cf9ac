#include "Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace bake {

const char* const DEMO_FONT_CHARACTERS = " ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#,-.:?";

struct Typeface::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

Typeface::Typeface(const std::string& path) : m_impl(new Impl)
{
    if (FT_Init_FreeType(&m_impl->library) != 0) {
        delete m_impl;
        throw std::runtime_error("FreeType cannot start");
    }
    if (FT_New_Face(m_impl->library, path.c_str(), 0, &m_impl->face) != 0) {
        FT_Done_FreeType(m_impl->library);
        delete m_impl;
        throw std::runtime_error("cannot open the font " + path);
    }
}

Typeface::~Typeface()
{
    FT_Done_Face(m_impl->face);
    FT_Done_FreeType(m_impl->library);
    delete m_impl;
}

namespace {

// Sets the size (26.6 fixed point) and the horizontal scale, and renders
// the glyph of `ch` anti-aliased into the face's glyph slot.
void renderInto(FT_Face face, char ch, float pixelSize, float xScale)
{
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(ch));
    if (index == 0)
        throw std::runtime_error(std::string("the font has no glyph for '") + ch + "'");
    if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(pixelSize * 64.f)), 72, 72) != 0)
        throw std::runtime_error("FreeType cannot set the size");
    FT_Matrix matrix = {static_cast<FT_Fixed>(std::lround(xScale * 65536.f)), 0, 0, 0x10000};
    FT_Set_Transform(face, &matrix, nullptr);
    // Unhinted outlines keep the shapes true at display sizes; the
    // anti-aliasing does the rest.
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
        throw std::runtime_error(std::string("FreeType cannot render '") + ch + "'");
}

} // namespace

Typeface::Glyph Typeface::glyph(char ch, float pixelSize, float xScale) const
{
    FT_Face face = m_impl->face;
    renderInto(face, ch, pixelSize, xScale);
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    Glyph g;
    g.mask = Mask(static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows));
    for (int y = 0; y < static_cast<int>(bitmap.rows); ++y)
        for (int x = 0; x < static_cast<int>(bitmap.width); ++x)
            g.mask.ref(x, y) = bitmap.buffer[y * bitmap.pitch + x] / 255.f;
    g.left = face->glyph->bitmap_left;
    g.top = face->glyph->bitmap_top;
    g.advance = static_cast<float>(face->glyph->advance.x) / 64.f;
    return g;
}

int Typeface::capHeight(float pixelSize) const
{
    return glyph('H', pixelSize).top;
}

Mask Typeface::line(const std::string& text, float pixelSize, float tracking, int pad, int* baseline) const
{
    FT_Face face = m_impl->face;
    struct Placed {
        Glyph glyph;
        float x;
    };
    std::vector<Placed> placed;
    float pen = 0.f;
    int top = 0, bottom = 0;
    float minX = 1e9f, maxX = -1e9f;
    FT_UInt previous = 0;
    for (char ch : text) {
        const FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(ch));
        Glyph g = glyph(ch, pixelSize);
        if (previous && index && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            if (FT_Get_Kerning(face, previous, index, FT_KERNING_UNFITTED, &kern) == 0)
                pen += static_cast<float>(kern.x) / 64.f;
        }
        previous = index;
        if (g.mask.width() > 0) {
            top = std::max(top, g.top);
            bottom = std::max(bottom, g.mask.height() - g.top);
            minX = std::min(minX, pen + static_cast<float>(g.left));
            maxX = std::max(maxX, pen + static_cast<float>(g.left + g.mask.width()));
        }
        placed.push_back(Placed{std::move(g), pen});
        pen += placed.back().glyph.advance + tracking;
    }
    if (minX > maxX)
        minX = maxX = 0.f;
    const int originX = pad - static_cast<int>(std::floor(minX));
    Mask out(static_cast<int>(std::ceil(maxX - minX)) + 2 * pad + 1, top + bottom + 2 * pad);
    for (const Placed& p : placed) {
        // Whole-pixel placement; the glyphs' own anti-aliasing carries the
        // sub-pixel shape.
        const int gx = originX + static_cast<int>(std::lround(p.x)) + p.glyph.left;
        const int gy = pad + top - p.glyph.top;
        for (int y = 0; y < p.glyph.mask.height(); ++y)
            for (int x = 0; x < p.glyph.mask.width(); ++x) {
                const int tx = gx + x, ty = gy + y;
                if (tx >= 0 && ty >= 0 && tx < out.width() && ty < out.height())
                    out.ref(tx, ty) = std::min(1.f, out.at(tx, ty) + p.glyph.mask.at(x, y));
            }
    }
    if (baseline)
        *baseline = pad + top;
    return out;
}

BitmapFont makeBitmapFont(const Typeface& face, const std::string& characters, const std::string& pngName, int cellSize,
                          int imageSize)
{
    const int columns = imageSize / cellSize;
    if (columns <= 0 || static_cast<int>(characters.size()) > columns * (imageSize / cellSize))
        throw std::runtime_error("bitmap font: the characters do not fit the picture");
    for (char ch : characters)
        if (ch == '"' || ch == '\'' || ch == '\n' || ch == '\r' || ch == '\t')
            throw std::runtime_error("bitmap font: the table cannot hold quotes, apostrophes or line breaks");

    // Glyphs as large as the cell allows: every glyph's ink, overshoots and
    // descenders included, must keep one clear pixel to each side of its
    // cell; a glyph too wide for that is narrowed.
    const int inkLimit = cellSize - 2;
    std::vector<Typeface::Glyph> glyphs;
    int above = 0, below = 0;
    for (float size = static_cast<float>(cellSize);; size *= 0.96f) {
        glyphs.clear();
        above = below = 0;
        for (char ch : characters) {
            Typeface::Glyph g = face.glyph(ch, size);
            if (g.mask.width() > inkLimit)
                g = face.glyph(ch, size, static_cast<float>(inkLimit) / static_cast<float>(g.mask.width() + 1));
            if (g.mask.width() > 0) {
                above = std::max(above, g.top);
                below = std::max(below, g.mask.height() - g.top);
            }
            glyphs.push_back(std::move(g));
        }
        if (above + below <= inkLimit)
            break;
    }
    // The ink block centred vertically in the cell.
    const int baseline = 1 + above + (inkLimit - above - below) / 2;

    BitmapFont font;
    font.image = Canvas(imageSize, imageSize);
    const Color white{1.f, 1.f, 1.f, 1.f};
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const Typeface::Glyph& g = glyphs[i];
        const int cellX = static_cast<int>(i) % columns * cellSize;
        const int cellY = static_cast<int>(i) / columns * cellSize;
        const int x = cellX + (cellSize - g.mask.width()) / 2;
        const int y = cellY + baseline - g.top;
        g.mask.paint(font.image, x, y, [&](float, float) { return white; });
    }

    char header[128];
    std::snprintf(header, sizeof header, "B\n%04X %04X\n%04X %04X\nN\n\"%s\"\n\"", cellSize, cellSize, 0, 0,
                  pngName.c_str());
    font.description = header + characters + "\"\n";
    return font;
}

} // namespace bake
