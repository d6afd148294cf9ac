#pragma once
// FontDescription: the text file that describes a bitmap font, read into
// its fields. The file is bytes (ISO 8859-1):
//
//     B                      format byte, the file's first byte
//     0010 0010              glyph width and height, four hex digits each
//                            (0 in either: glyphs are found by separators)
//     0002 0004              empty x space between glyphs, empty y space
//                            between glyph rows, four hex digits each
//     C 00FF 0000 00FF       separator marker: 'C' and the separator colour
//                            (red, green, blue, four hex digits each, at
//                            most 00FF), any other character for none
//     "font.png"             the glyph image, through the engine's file system
//     "ABC...                the characters in glyph order; a line break
//     XYZ"                   starts a new glyph row; the table ends at the
//                            file's last double quote
//
// Everywhere after the format byte, text between two apostrophes is a
// comment and tabs are skipped; in the numbers, the separator marker and
// before the opening quotes, blanks and line breaks are skipped too. Inside
// the file name and the table, blanks and line breaks are characters.

#include <cstdint>

#include "core/Stream.h"
#include "core/String.h"

namespace render {

struct FontDescription {
    // The most characters a table may hold.
    static constexpr int MAX_TABLE_LENGTH = 1024;
    // Sizes and spaces must stay below this.
    static constexpr int MAX_SIZE = 32767;

    int charWidth = 0;
    int charHeight = 0;
    int emptyX = 0;
    int emptyY = 0;
    bool hasSeparator = false;
    uint32_t separator = 0; // 0xRRGGBB when hasSeparator
    core::String pngName;
    core::String characters;

    // Reads the description from the stream's position to its end, logging
    // what it found. The first byte must be 'B'. Throws FontException with
    // the reason for anything else: "Unsupported font format in font
    // file.", "Font2D file does not have data" (the file ends early),
    // "Font2DBitmap : font file can not read font width", "Font2DBitmap :
    // can not read data" (not a hex digit), "char width is too big", "char
    // height is too big", "empty x space is too big", the colour errors
    // "Font2DBitmap : font file has illegal data (Color info)" / "(Color RED
    // info)" / "(Color GREEN info)" / "(Color BLUE info)", "Font2DBitmap
    // error" (no file name), "Font reading failed because your table start
    // does not use \"-character", "Font reading failed because your table
    // end does not use \"-character", "Font2DBitmap : too many characters in
    // font file", "Font2DBitmap : font file does not provide char
    // information". Requires a stream (" stream "); throws IOException when
    // the stream cannot be read.
    static FontDescription read(core::Stream* stream);
};

} // namespace render
