#include "demo/CaptureGraphics3D.h"

#include <chrono>

#include "HAL/GL.h"
#include "core/Assert.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

CaptureGraphics3D::CaptureGraphics3D(render::FrameReader& reader) : m_reader(reader) {}

void CaptureGraphics3D::swapBuffers()
{
    const int width = getDisplayWidth();
    const int height = getDisplayHeight();
    if (width > 0 && height > 0) {
        const size_t bytes = size_t(width) * size_t(height) * 4;
        if (m_pixels.size() != bytes)
            m_pixels.resize(bytes);
        auto start = std::chrono::steady_clock::now();
        glFinish();
        m_finishSeconds += secondsSince(start);
        start = std::chrono::steady_clock::now();
        glPixelStorei(GL_PACK_ALIGNMENT, 4); // RGBA rows are whole words
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, m_pixels.data());
        m_readSeconds += secondsSince(start);
        ASSERT_MSG(glGetError() == GL_NO_ERROR, "capture: reading the frame back failed");
        m_reader.frameDrawn(m_pixels.data(), width, height);
    }
    OGLES1_Graphics3D::swapBuffers();
}

render::Graphics3D* createCaptureRenderer(render::FrameReader& reader)
{
    return VORNA3D_NEW CaptureGraphics3D(reader);
}
