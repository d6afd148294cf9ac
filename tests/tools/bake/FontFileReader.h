#pragma once
// A reader of the bitmap font description format, for checking the baked
// font file independently of the engine's font class: the format byte 'B',
// four fields of four hexadecimal digits (cell width, cell height, empty x
// and y space), a separator marker ('C' and three colour fields, or any
// other character), the PNG name in double quotes, and the character table
// from the next double quote to the last one in the file. Comments between
// apostrophes and tabs are skipped everywhere; spaces and line breaks are
// skipped outside the name and the table.

#include <stdexcept>
#include <string>

namespace bake_test {

struct FontFile {
    int charWidth = 0;
    int charHeight = 0;
    int emptyX = 0;
    int emptyY = 0;
    bool hasSeparator = false;
    std::string pngName;
    std::string table;
};

// Parses `text`; std::runtime_error naming the field that fails.
FontFile parseFontFile(const std::string& text);

// The cell of table entry `index` on a fixed grid in an image `imageWidth`
// pixels wide: rows wrap at the image's width and at line breaks (which
// take no cell). Writes the cell's top-left corner; returns false for a
// line break.
bool fontCell(const FontFile& font, int imageWidth, int index, int& x, int& y);

} // namespace bake_test
