// vorna3d pixel FILE X Y [X Y]...: each pixel's bytes in hex, one line per
// position (RRGGBB or RRGGBBAA), in the order given.

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "Command.h"
#include "ImageFile.h"
#include "Output.h"

namespace vorna3d_tool {

namespace {

int parseCoordinate(const std::string& text)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < INT_MIN || value > INT_MAX)
        throw ToolError{"not a pixel coordinate: '" + text + "'"};
    return static_cast<int>(value);
}

} // namespace

int runPixel(const Args& args)
{
    if ((args.size() - 1) % 2 != 0)
        throw ToolError{"usage: vorna3d pixel FILE X Y [X Y]..."};
    // Coordinates are checked as numbers before the file is read.
    std::vector<int> coordinates;
    for (size_t i = 1; i < args.size(); ++i)
        coordinates.push_back(parseCoordinate(args[i]));

    const core::Ref<render::Image2D> image = loadImage(args[0]);
    std::string out;
    for (size_t i = 0; i < coordinates.size(); i += 2) {
        const int x = coordinates[i];
        const int y = coordinates[i + 1];
        if (x < 0 || y < 0 || x >= image->getWidth() || y >= image->getHeight())
            throw ToolError{"pixel " + std::to_string(x) + " " + std::to_string(y) + " is outside the " +
                            std::to_string(image->getWidth()) + "x" + std::to_string(image->getHeight()) + " image"};
        out += pixelHex(*image, x, y);
        out += '\n';
    }
    writeStdout(out.data(), out.size());
    return 0;
}

} // namespace vorna3d_tool
