#include "examples/viewer/Screenshot.h"

#include <vector>

#include "HAL/GL.h"
#include "core/Exception.h"
#include "render/PNGWriter.h"

namespace viewer {

bool writeScreenshot(const char* path, int width, int height)
{
    if (!path || width <= 0 || height <= 0)
        return false;
    std::vector<unsigned char> pixels(size_t(width) * 3 * size_t(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    if (glGetError() != GL_NO_ERROR)
        return false;
    try {
        // GL's rows start at the bottom.
        render::PNGWriter::write(path, width, height, pixels.data(), render::PNGWriter::RGB, true);
    } catch (const core::IOException&) {
        return false;
    }
    return true;
}

} // namespace viewer
