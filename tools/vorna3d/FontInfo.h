#pragma once
// Bitmap font description files given to `vorna3d info`: a FONT.txt in a
// folder (the folder is mounted so that the image it names is found beside
// it) or inside an archive.

#include <string>

#include "Command.h"

namespace vorna3d_tool {

// Whether `path` names a font description (it ends in ".txt", any case).
bool isFontFile(const std::string& path);

// Pool bytes for reading a font: the archive holding it (when given) and
// room for the image it names.
int64_t fontPoolBytes(const std::string& archive);

// Reads the font `font` (a path, or a name inside `archive` when that is
// not empty) through the engine's file system as the demo reads its font,
// and describes it:
//   Font2DBitmap cell WxH glyphs N line-height L
//   image "NAME" WxH
//   table "..."   (C escapes for quotes, backslashes, line breaks, tabs and
//                  bytes outside printable ASCII)
// Throws what the engine throws for a file it cannot read (FontException,
// IOException) and ToolError for a bad path. Requires a registered renderer.
std::string describeFont(const std::string& archive, const std::string& font);

} // namespace vorna3d_tool
