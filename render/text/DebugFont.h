#pragma once
// The built-in 8 x 8 debug font used by Graphics3D's debug text and
// statistics overlay: a 128 x 32 RGBA PNG with 16 glyph cells per row, and
// its character table in glyph order (ISO 8859-1 bytes).

namespace render {

// Cell size of the glyph grid.
constexpr int DEBUG_FONT_CELL = 8;
// "A".."Z", the bytes C5, C4, D6 (A ring, A and O diaeresis), "0".."9" and
// ":.-/ " (ending with a blank); zero-terminated.
extern const char DEBUG_FONT_TABLE[];
// The PNG file's bytes.
extern const unsigned char DEBUG_FONT_PNG[];
extern const int DEBUG_FONT_PNG_SIZE;

} // namespace render
