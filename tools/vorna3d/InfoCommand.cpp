// vorna3d info FILE: one line "Image2D FORMAT WIDTHxHEIGHT" for an image file.

#include <string>

#include "Command.h"
#include "ImageFile.h"
#include "Output.h"

namespace vorna3d_tool {

int runInfo(const Args& args)
{
    const core::Ref<render::Image2D> image = loadImage(args[0]);
    const std::string line = std::string("Image2D ") + render::Image2D::getFormatName(image->getFormat()) + " " +
                             std::to_string(image->getWidth()) + "x" + std::to_string(image->getHeight()) + "\n";
    writeStdout(line.data(), line.size());
    return 0;
}

} // namespace vorna3d_tool
