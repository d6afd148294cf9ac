#include "FontFileReader.h"

namespace bake_test {

namespace {

class Cursor {
public:
    explicit Cursor(const std::string& text) : m_text(text) { }

    // The next character that is not part of a comment or a tab; with
    // skipBlanks, spaces and line breaks are passed over too.
    char next(bool skipBlanks, const char* field)
    {
        for (;;) {
            if (m_pos >= m_text.size())
                throw std::runtime_error(std::string("font file ends before ") + field);
            const char c = m_text[m_pos++];
            if (c == '\'') {
                const size_t end = m_text.find('\'', m_pos);
                if (end == std::string::npos)
                    throw std::runtime_error("font file: unterminated comment");
                m_pos = end + 1;
                continue;
            }
            if (c == '\t' || (skipBlanks && (c == ' ' || c == '\n' || c == '\r')))
                continue;
            return c;
        }
    }

    int hex4(const char* field)
    {
        int value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = next(true, field);
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else
                throw std::runtime_error(std::string("font file: not a hexadecimal digit in ") + field);
            value = value * 16 + digit;
        }
        return value;
    }

    const std::string& text() const { return m_text; }
    size_t pos() const { return m_pos; }
    void setPos(size_t pos) { m_pos = pos; }

private:
    const std::string& m_text;
    size_t m_pos = 1; // after the format byte
};

} // namespace

FontFile parseFontFile(const std::string& text)
{
    if (text.empty() || text[0] != 'B')
        throw std::runtime_error("font file: format byte is not B");
    Cursor in(text);
    FontFile font;
    font.charWidth = in.hex4("the character width");
    font.charHeight = in.hex4("the character height");
    font.emptyX = in.hex4("the empty x space");
    font.emptyY = in.hex4("the empty y space");
    if (in.next(true, "the separator marker") == 'C') {
        font.hasSeparator = true;
        for (int i = 0; i < 3; ++i)
            in.hex4("the separator colour");
    }
    if (in.next(true, "the PNG name") != '"')
        throw std::runtime_error("font file: the PNG name does not start with a double quote");
    for (char c = in.next(false, "the PNG name's end"); c != '"'; c = in.next(false, "the PNG name's end"))
        font.pngName += c;
    if (in.next(true, "the character table") != '"')
        throw std::runtime_error("font file: the table does not start with a double quote");
    const size_t last = text.rfind('"');
    if (last == std::string::npos || last < in.pos())
        throw std::runtime_error("font file: the table does not end with a double quote");
    while (in.pos() < last) {
        const char c = in.next(false, "the table's end");
        if (in.pos() > last)
            break;
        font.table += c;
    }
    if (font.table.empty())
        throw std::runtime_error("font file: empty character table");
    return font;
}

bool fontCell(const FontFile& font, int imageWidth, int index, int& x, int& y)
{
    int penX = 0, penY = 0;
    for (int k = 0; k <= index; ++k) {
        const char c = font.table[static_cast<size_t>(k)];
        const bool lineBreak = c == '\n' || c == '\r';
        if (penX >= imageWidth || lineBreak) {
            penY += font.charHeight + font.emptyY;
            penX = 0;
        }
        if (lineBreak) {
            if (k == index)
                return false;
            continue;
        }
        if (k == index) {
            x = penX;
            y = penY;
            return true;
        }
        penX += font.charWidth + font.emptyX;
    }
    return false;
}

} // namespace bake_test
