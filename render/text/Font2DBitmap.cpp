#include "render/text/Font2DBitmap.h"

#include <climits>

#include "core/MemoryStream.h"
#include "render/BatcherItem.h"
#include "render/text/DebugFont.h"
#include "render/text/FontDescription.h"
#include "render/text/FontException.h"
#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/Loader.h"
#include "render/text/Text3D.h"
#include "render/appearance/Texture2D.h"
#include "render/scene/Transform.h"

namespace render {

namespace {

constexpr const char* UNSUPPORTED_CHARACTERS = "Can not render text. Your font file does not support these characters?";
constexpr const char* NO_SEPARATOR = "Font reading failed. Your png does not provide separator color?";
constexpr const char* TABLE_PAST_IMAGE = "can not load a font. check your character table.";
constexpr int CHAR_MAP_CAPACITY = 67;
constexpr float CHAR_MAP_LOAD = 0.75f;

bool isLineBreak(unsigned short ch)
{
    return ch == '\r' || ch == '\n';
}

// Pixels from (x, y) rightwards up to and including the first separator
// pixel; 0 when the row has none.
int scanRight(const Image2D& image, int x, int y, uint32_t separator)
{
    for (int i = x; i < image.getWidth(); ++i)
        if (image.getPixel(i, y) == separator)
            return i - x + 1;
    return 0;
}

// Pixels from (x, y) downwards up to and including the first separator
// pixel; 0 when the column has none.
int scanDown(const Image2D& image, int x, int y, uint32_t separator)
{
    for (int j = y; j < image.getHeight(); ++j)
        if (image.getPixel(x, j) == separator)
            return j - y + 1;
    return 0;
}

// Whether column x of rows [y0, y1) is fully transparent (lowest byte 0).
bool columnEmpty(const Image2D& image, int x, int y0, int y1)
{
    for (int y = y0; y < y1; ++y)
        if ((image.getPixel(x, y) & 0xFF) != 0)
            return false;
    return true;
}

} // namespace

Font2DBitmap::Font2DBitmap() : m_charMap(CHAR_MAP_CAPACITY, CHAR_MAP_LOAD)
{
}

Font2DBitmap::Font2DBitmap(const Font2DBitmap& other)
    : Font2D(other), m_charMap(CHAR_MAP_CAPACITY, CHAR_MAP_LOAD), m_charInfoArray(other.m_charInfoArray),
      m_fontTexture(other.m_fontTexture), m_characters(other.m_characters), m_vAspect(other.m_vAspect),
      m_uScale(other.m_uScale), m_glyphCount(other.m_glyphCount), m_cellWidth(other.m_cellWidth),
      m_cellHeight(other.m_cellHeight), m_lineHeight(other.m_lineHeight), m_flags(other.m_flags)
{
    // The map follows from the table: glyph index = table position, the
    // later of two equal characters winning.
    for (int k = 0; k < m_characters.length(); ++k)
        if (!isLineBreak(m_characters.charAt(k)))
            mapCharacter(m_characters.charAt(k), k);
}

Font2DBitmap::~Font2DBitmap() noexcept(false) = default;

Font2DBitmap* Font2DBitmap::duplicate() const
{
    return VORNA3D_NEW Font2DBitmap(*this);
}

void Font2DBitmap::loadBitmap(core::Stream* stream)
{
    const FontDescription d = FontDescription::read(stream);
    core::Vector<core::Ref<Object3D>> objects;
    load(d.pngName, objects);
    Image2D* image = objects.size() > 0 ? dynamic_cast<Image2D*>(objects[0].get()) : nullptr;
    ASSERT_MSG(image, " image != 0 ");
    ASSERT_MSG(Graphics3D::getInstance(), " g3d != 0 ");
    createFont(d.characters, image, d.charWidth, d.charHeight, d.emptyX, d.emptyY, d.hasSeparator ? d.separator : 0);
    makeTexture(image);
}

void Font2DBitmap::loadBuiltIn()
{
    core::Ref<core::MemoryStream> stream =
        VORNA3D_NEW core::MemoryStream(reinterpret_cast<const char*>(DEBUG_FONT_PNG), DEBUG_FONT_PNG_SIZE, true);
    core::Vector<core::Ref<Object3D>> objects;
    load(stream.get(), objects);
    Image2D* image = objects.size() > 0 ? dynamic_cast<Image2D*>(objects[0].get()) : nullptr;
    ASSERT(image);
    m_flags |= FLAG_TRIM_GLYPHS;
    createFont(core::String(DEBUG_FONT_TABLE), image, DEBUG_FONT_CELL, DEBUG_FONT_CELL, 0, 0, 0);
    makeTexture(image);
}

void Font2DBitmap::makeTexture(Image2D* image)
{
    Graphics3D* g3d = Graphics3D::getInstance();
    ASSERT_MSG(g3d, " g3d != 0 ");
    m_fontTexture = g3d->createNewTexture(0, 0);
    ASSERT_MSG(m_fontTexture, " m_fontTexture != 0 ");
    // Glyphs are drawn texel for texel: no blending between neighbours.
    m_fontTexture->setFiltering(Texture2D::FILTER_NEAREST, Texture2D::FILTER_NEAREST);
    if (m_flags & FLAG_TRIM_GLYPHS)
        removeEmptyBorders(image);
    m_fontTexture->setImage(image);
    // The pixels live on in the GL texture; the font keeps only the glyph boxes.
    m_fontTexture->setImage(nullptr);
}

void Font2DBitmap::mapCharacter(unsigned short ch, int index)
{
    const short glyph = static_cast<short>(index);
    if (short* existing = m_charMap.find(ch)) {
        *existing = glyph;
        return;
    }
    ASSERT_MSG(m_charMap.put(ch, glyph), "can not parse font info (check your font txt-file)");
}

void Font2DBitmap::createFont(const core::String& characters, Image2D* image, int charWidth, int charHeight, int emptyX,
                              int emptyY, uint32_t separator)
{
    ASSERT_MSG(!m_fontTexture, " m_fontTexture == 0 ");
    ASSERT(image);
    const int len = characters.length();
    ASSERT(len < SHRT_MAX);
    ASSERT(charWidth >= 0 && charHeight >= 0);
    ASSERT(emptyX >= 0 && emptyY >= 0);
    ASSERT_MSG(m_charInfoArray.size() == 0, "createFont : the font already has glyphs");
    const int imageWidth = image->getWidth();
    const int imageHeight = image->getHeight();
    if (imageWidth < charWidth)
        throw FontException("can not create font because font PNG width is smaller than char width");
    if (imageHeight < charHeight)
        throw FontException("can not create font because font PNG height is smaller than char height");

    const bool separatorMode = charWidth == 0 || charHeight == 0;
    // getPixel gives an RGBA pixel as 0xRRGGBBAA: the separator is opaque.
    if (separatorMode && image->getFormat() == Image2D::RGBA)
        separator = separator * 256 + 255;

    m_charInfoArray.setSizeForNativeType(4 * len);
    int x = 0;
    int y = 0;
    int rowHeight = charHeight;
    int glyphs = 0;
    int tallest = 0;
    for (int k = 0; k < len; ++k) {
        const unsigned short ch = characters.charAt(k);
        // A carriage return and the line feed after it make one break.
        const bool secondOfPair = ch == '\n' && k > 0 && characters.charAt(k - 1) == '\r';
        if ((x >= imageWidth || isLineBreak(ch)) && !secondOfPair) {
            y += rowHeight + emptyY;
            x = 0;
            rowHeight = 0;
        }
        if (isLineBreak(ch))
            continue;
        if (x >= imageWidth || y >= imageHeight)
            throw FontException(TABLE_PAST_IMAGE);

        int w = charWidth;
        int h = charHeight;
        if (!separatorMode) {
            rowHeight = charHeight;
        } else {
            for (;;) {
                w = scanRight(*image, x, y, separator);
                h = scanDown(*image, x, y, separator);
                if (w > 0 && h > 0)
                    break;
                if (glyphs == 0)
                    throw FontException(NO_SEPARATOR);
                if (w > 0)
                    throw FontException("Font reading failed. Your png does not provide last separator line?");
                // The rest of this row is empty: the glyph starts the next
                // row. Right after a row break the row height is still 0 and
                // moving down would stay on the same pixel row for ever.
                if (rowHeight <= 0)
                    throw FontException(NO_SEPARATOR);
                y += rowHeight;
                x = 0;
                if (y >= imageHeight)
                    throw FontException(TABLE_PAST_IMAGE);
            }
            if (h > rowHeight)
                rowHeight = h + 2;
        }
        m_charInfoArray[k * 4 + 0] = static_cast<short>(x);
        m_charInfoArray[k * 4 + 1] = static_cast<short>(y);
        m_charInfoArray[k * 4 + 2] = static_cast<short>(w);
        m_charInfoArray[k * 4 + 3] = static_cast<short>(h);
        tallest = h > tallest ? h : tallest;
        x += w + emptyX;
        mapCharacter(ch, k);
        ++glyphs;
    }

    if (separatorMode) {
        // Paint the separator lines over with their left neighbours (the
        // pixel above in column 0), so that they vanish from the texture.
        for (int py = 0; py < imageHeight; ++py)
            for (int px = 0; px < imageWidth; ++px)
                if (image->getPixel(px, py) == separator && (px > 0 || py > 0))
                    image->setPixel(px, py, px > 0 ? image->getPixel(px - 1, py) : image->getPixel(px, py - 1));
    }

    m_characters = characters;
    m_glyphCount = glyphs;
    m_cellWidth = charWidth;
    m_cellHeight = charHeight;
    m_lineHeight = tallest;
    m_uScale = 1.f / float(imageWidth);
    m_vAspect = float(imageWidth) / float(imageHeight);
}

void Font2DBitmap::removeEmptyBorders(Image2D* image)
{
    ASSERT(image);
    for (int k = 0; k < m_characters.length(); ++k) {
        const unsigned short ch = m_characters.charAt(k);
        if (ch == ' ' || isLineBreak(ch))
            continue;
        int x, y, w, h;
        getCharSize(ch, &x, &y, &w, &h);
        // Only the part of the box inside the image has pixels.
        const int y1 = y + h < image->getHeight() ? y + h : image->getHeight();
        const int x1 = x + w < image->getWidth() ? x + w : image->getWidth();
        int first = x;
        while (first < x1 && columnEmpty(*image, first, y, y1))
            ++first;
        if (first >= x1) {
            setCharSize(ch, x, y, 1, h); // nothing visible: one column
            continue;
        }
        int last = x1 - 1;
        while (last > first && columnEmpty(*image, last, y, y1))
            --last;
        const int left = first - 1 > x ? first - 1 : x;
        const int right = last + 1 < x + w - 1 ? last + 1 : x + w - 1;
        setCharSize(ch, left, y, right - left + 1, h);
    }
}

int Font2DBitmap::getGlyphIndex(unsigned short ch) const
{
    const short* glyph = m_charMap.find(ch);
    return glyph ? *glyph : -1;
}

void Font2DBitmap::glyphBox(int index, int* x, int* y, int* w, int* h) const
{
    ASSERT(index >= 0);
    ASSERT(index * 4 + 3 < m_charInfoArray.size());
    *x = m_charInfoArray[index * 4 + 0];
    *y = m_charInfoArray[index * 4 + 1];
    *w = m_charInfoArray[index * 4 + 2];
    *h = m_charInfoArray[index * 4 + 3];
}

void Font2DBitmap::setCharSize(unsigned short ch, int x, int y, int w, int h)
{
    ASSERT(w > 0 && h > 0);
    const int charOffset = getGlyphIndex(ch);
    ASSERT_MSG(charOffset >= 0, "setCharSize failed because font does not support this character");
    ASSERT(charOffset * 4 + 3 < m_charInfoArray.size());
    m_charInfoArray[charOffset * 4 + 0] = static_cast<short>(x);
    m_charInfoArray[charOffset * 4 + 1] = static_cast<short>(y);
    m_charInfoArray[charOffset * 4 + 2] = static_cast<short>(w);
    m_charInfoArray[charOffset * 4 + 3] = static_cast<short>(h);
}

void Font2DBitmap::getCharSize(unsigned short ch, int* x, int* y, int* w, int* h) const
{
    ASSERT(x && y && w && h);
    const int charOffset = getGlyphIndex(ch);
    ASSERT_MSG(charOffset >= 0, "setCharSize failed because font does not support this character");
    glyphBox(charOffset, x, y, w, h);
}

Texture2D* Font2DBitmap::getTexture() const
{
    ASSERT_MSG(m_fontTexture, " m_fontTexture.ptr() != 0 ");
    return m_fontTexture.get();
}

int Font2DBitmap::advanceOf(unsigned short ch, int spacing, bool skipUnmapped) const
{
    const int index = getGlyphIndex(ch);
    if (index < 0) {
        if (skipUnmapped)
            return 0;
        throw FontException(UNSUPPORTED_CHARACTERS);
    }
    return m_charInfoArray[index * 4 + 2] + spacing;
}

Font2DBitmap::Line Font2DBitmap::nextLine(const unsigned short* codes, int length, int begin, int spacing,
                                          int wrapWidth, bool skipUnmapped) const
{
    Line line;
    line.begin = begin;
    int width = 0;
    int lastBlank = -1;
    int widthAtBlank = 0;
    for (int i = begin; i < length; ++i) {
        const unsigned short ch = codes[i];
        if (isLineBreak(ch)) {
            line.end = i;
            line.next = (ch == '\r' && i + 1 < length && codes[i + 1] == '\n') ? i + 2 : i + 1;
            line.width = width;
            return line;
        }
        const int advance = advanceOf(ch, spacing, skipUnmapped);
        // Wrap when this character would pass the width; a line keeps at
        // least one character, so every line moves on.
        if (wrapWidth > 0 && i > begin && width + advance > wrapWidth) {
            if (ch == ' ') {
                line.end = i;
                line.next = i + 1;
                line.width = width;
            } else if (lastBlank > begin) {
                line.end = lastBlank;
                line.next = lastBlank + 1;
                line.width = widthAtBlank;
            } else {
                line.end = i;
                line.next = i;
                line.width = width;
            }
            return line;
        }
        if (ch == ' ') {
            lastBlank = i;
            widthAtBlank = width;
        }
        width += advance;
    }
    line.end = length;
    line.next = length;
    line.width = width;
    return line;
}

Font2DBitmap::TextMetrics Font2DBitmap::measure(const unsigned short* codes, int length, int spacing, int wrapWidth,
                                                bool skipUnmapped) const
{
    TextMetrics metrics;
    int tallest = 0;
    int begin = 0;
    do {
        const Line line = nextLine(codes, length, begin, spacing, wrapWidth, skipUnmapped);
        metrics.width = line.width > metrics.width ? line.width : metrics.width;
        for (int i = line.begin; i < line.end; ++i) {
            const int index = getGlyphIndex(codes[i]);
            if (index < 0)
                continue; // skipped (nextLine threw for the others)
            const int h = m_charInfoArray[index * 4 + 3];
            tallest = h > tallest ? h : tallest;
            ++metrics.glyphs;
        }
        ++metrics.lines;
        begin = line.next;
    } while (begin < length);
    metrics.height = tallest + (metrics.lines - 1) * m_lineHeight;
    return metrics;
}

bool Font2DBitmap::renderNodeToBatcher(const Transform& final, BatcherItem* item, int firstVertex, const Text3D& text,
                                       int* pickingPositions)
{
    ASSERT(item);
    ASSERT(pickingPositions);
    const slmath::vec2 zoom = text.getTextTotalZoom();
    const int n = text.getLength();
    const unsigned short* codes = text.getCodes();
    const int spacing = getXSpacing();
    const bool skip = text.isSkippingUnmapped();
    const int wrap = text.getWrapWidthInFontPixels();
    const bool flip = (text.getRenderFlags() & Node::FLAG_FLIP_Y) != 0;

    item->setSizes(4 * n, 6 * n, false);
    item->textureCoordScale = m_uScale;
    const uint32_t color = text.getColor();
    const char rgba[4] = {char(color >> 24), char(color >> 16), char(color >> 8), char(color)};
    for (int i = 0; i < item->colors.size(); ++i)
        item->colors[i] = rgba[i % 4];

    int quads = 0;
    int lineIndex = 0;
    int begin = 0;
    while (begin < n) {
        const Line line = nextLine(codes, n, begin, spacing, wrap, skip);
        const float lineWidth = float(line.width) * zoom.x;
        float pen = text.getAlignment() == Text3D::ALIGN_CENTER ? -lineWidth / 2.f
            : text.getAlignment() == Text3D::ALIGN_RIGHT        ? -lineWidth
                                                                : 0.f;
        const float y0 = -float(lineIndex * m_lineHeight) * zoom.y;
        for (int i = line.begin; i < line.end; ++i) {
            const int index = getGlyphIndex(codes[i]);
            if (index < 0) {
                if (skip)
                    continue;
                throw FontException(UNSUPPORTED_CHARACTERS);
            }
            int bx, by, bw, bh;
            glyphBox(index, &bx, &by, &bw, &bh);
            const float x0 = pen;
            const float x1 = pen + float(bw) * zoom.x;
            const float y1 = y0 + float(bh) * zoom.y;
            const float xs[4] = {x0, x1, x1, x0};
            const float ys[4] = {y0, y0, y1, y1};
            // Image rows grow downwards: the quad's lower edge shows the
            // glyph's last row.
            float va = float(by + bh) * m_vAspect;
            float vb = float(by) * m_vAspect;
            if (flip) {
                const float swap = va;
                va = vb;
                vb = swap;
            }
            const float us[4] = {float(bx), float(bx + bw), float(bx + bw), float(bx)};
            const float vs[4] = {va, va, vb, vb};
            const int v = quads * 4;
            for (int c = 0; c < 4; ++c) {
                const slmath::vec4 p = final.transform(slmath::vec4(xs[c], ys[c], 0.f, 1.f));
                item->positionCoords[(v + c) * 3 + 0] = BatcherItem::toFixed(p.x);
                item->positionCoords[(v + c) * 3 + 1] = BatcherItem::toFixed(p.y);
                item->positionCoords[(v + c) * 3 + 2] = BatcherItem::toFixed(p.z);
                item->textureCoords[(v + c) * 2 + 0] = BatcherItem::toShort(us[c]);
                item->textureCoords[(v + c) * 2 + 1] = BatcherItem::toShort(vs[c]);
            }
            static constexpr unsigned short QUAD[6] = {0, 3, 1, 2, 1, 3};
            for (int k = 0; k < 6; ++k)
                item->indices[quads * 6 + k] = static_cast<unsigned short>(firstVertex + v + QUAD[k]);
            pen += float(bw + spacing) * zoom.x;
            ++quads;
        }
        ++lineIndex;
        begin = line.next;
    }
    if (quads < n)
        item->setSizes(4 * quads, 6 * quads, false);

    // The outline: the first quad's left corners, the last quad's right ones.
    for (int i = 0; i < 12; ++i)
        pickingPositions[i] = 0;
    if (quads > 0) {
        const int corners[4] = {0, 3, (quads - 1) * 4 + 2, (quads - 1) * 4 + 1};
        for (int c = 0; c < 4; ++c)
            for (int a = 0; a < 3; ++a)
                pickingPositions[c * 3 + a] = item->positionCoords[corners[c] * 3 + a];
    }
    return true;
}

} // namespace render
