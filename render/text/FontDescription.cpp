#include "render/text/FontDescription.h"

#include "core/Debug.h"
#include "core/Vector.h"
#include "render/text/FontException.h"

namespace render {

namespace {

constexpr int END = -1;

// The description's bytes with a reading position and the skipping rules.
class Reader {
public:
    explicit Reader(const core::Vector<char>& bytes) : m_bytes(bytes) { }

    // The next character that counts: comments and tabs skipped always,
    // blanks and line breaks too unless `inValue`. END at the end of the
    // data (also inside an unclosed comment).
    int next(bool inValue)
    {
        while (m_pos < m_bytes.size()) {
            const unsigned char c = static_cast<unsigned char>(m_bytes[m_pos++]);
            if (c == '\'') {
                while (m_pos < m_bytes.size() && m_bytes[m_pos] != '\'')
                    ++m_pos;
                if (m_pos >= m_bytes.size())
                    return END;
                ++m_pos; // the closing apostrophe
                continue;
            }
            if (c == '\t' || c == 0)
                continue;
            if (!inValue && (c == ' ' || c == '\r' || c == '\n'))
                continue;
            return c;
        }
        return END;
    }

private:
    const core::Vector<char>& m_bytes;
    int m_pos = 1; // after the format byte
};

[[noreturn]] void fail(const char* message)
{
    throw FontException(message);
}

int hexValue(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The next four significant characters as a hexadecimal number.
// `shortText`: the file ends first; `badText`: a character is not a digit.
int readHex4(Reader& reader, const char* shortText, const char* badText)
{
    int value = 0;
    for (int i = 0; i < 4; ++i) {
        const int c = reader.next(false);
        if (c == END)
            fail(shortText);
        const int digit = hexValue(c);
        if (digit < 0)
            fail(badText);
        value = value * 16 + digit;
    }
    return value;
}

// Reads the whole stream from its position. Only what the stream says is
// left is asked for: some streams refuse a read past their end.
void readAll(core::Stream& stream, core::Vector<char>& bytes)
{
    char chunk[4096];
    for (int left = stream.available(); left > 0; left = stream.available()) {
        const int n = stream.read(chunk, left < int(sizeof chunk) ? left : int(sizeof chunk));
        if (n <= 0)
            break;
        const int old = bytes.size();
        bytes.setSizeForNativeType(old + n);
        for (int i = 0; i < n; ++i)
            bytes[old + i] = chunk[i];
    }
}

// A string of the bytes collected in `value` (zero-terminated there).
core::String stringOf(core::Vector<char>& value)
{
    value.add(0);
    core::String result(value.data());
    value.setSizeForNativeType(value.size() - 1);
    return result;
}

} // namespace

FontDescription FontDescription::read(core::Stream* stream)
{
    ASSERT(stream);
    core::Vector<char> bytes;
    readAll(*stream, bytes);
    if (bytes.size() == 0 || bytes[0] != 'B')
        fail("Unsupported font format in font file.");
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "load a bitmap font : %s\n", stream->getName().getASCII());

    Reader reader(bytes);
    static const char* const NO_DATA = "Font2D file does not have data";
    static const char* const BAD_DATA = "Font2DBitmap : can not read data";
    FontDescription d;
    d.charWidth = readHex4(reader, "Font2DBitmap : font file can not read font width", BAD_DATA);
    d.charHeight = readHex4(reader, NO_DATA, BAD_DATA);
    d.emptyX = readHex4(reader, NO_DATA, BAD_DATA);
    d.emptyY = readHex4(reader, NO_DATA, BAD_DATA);
    if (d.charWidth >= MAX_SIZE)
        fail("char width is too big");
    if (d.charHeight >= MAX_SIZE || d.emptyY >= MAX_SIZE)
        fail("char height is too big");
    if (d.emptyX >= MAX_SIZE)
        fail("empty x space is too big");
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "char width is %d pixels\n", d.charWidth);
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "char height is %d pixels\n", d.charHeight);
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "empty x space between chars is %d pixels\n", d.emptyX);
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "empty y space between chars is %d pixels\n", d.emptyY);

    const int marker = reader.next(false);
    if (marker == END)
        fail(NO_DATA);
    if (marker == 'C') {
        static const char* const MISSING = "Font2DBitmap : font file has illegal data (Color info)";
        static const char* const CHANNEL[3] = {"Font2DBitmap : font file has illegal data (Color RED info)",
                                               "Font2DBitmap : font file has illegal data (Color GREEN info)",
                                               "Font2DBitmap : font file has illegal data (Color BLUE info)"};
        int rgb[3];
        for (int i = 0; i < 3; ++i) {
            rgb[i] = readHex4(reader, MISSING, CHANNEL[i]);
            if (rgb[i] > 0xFF)
                fail(CHANNEL[i]);
        }
        d.hasSeparator = true;
        d.separator = uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | uint32_t(rgb[2]);
        core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "font separator color is %X %X %X\n", rgb[0], rgb[1], rgb[2]);
    } else {
        core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "font does not have separator color\n");
    }

    core::Vector<char> value;
    if (reader.next(false) != '"')
        fail("Font2DBitmap error");
    for (int c = reader.next(true); c != '"'; c = reader.next(true)) {
        if (c == END)
            fail(NO_DATA);
        value.add(static_cast<char>(c));
    }
    d.pngName = stringOf(value);
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "font file name %s\n", d.pngName.getASCII());

    value.clear();
    if (reader.next(false) != '"')
        fail("Font reading failed because your table start does not use \"-character");
    int lastQuote = -1;
    for (int c = reader.next(true); c != END; c = reader.next(true)) {
        if (c == '"')
            lastQuote = value.size();
        value.add(static_cast<char>(c));
    }
    if (lastQuote < 0)
        fail("Font reading failed because your table end does not use \"-character");
    value.setSizeForNativeType(lastQuote);
    if (value.size() > MAX_TABLE_LENGTH)
        fail("Font2DBitmap : too many characters in font file");
    if (value.size() == 0)
        fail("Font2DBitmap : font file does not provide char information");
    d.characters = stringOf(value);
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "font file has %d chars =\"%s\"\n", d.characters.length(),
                        d.characters.getASCII());
    return d;
}

} // namespace render
