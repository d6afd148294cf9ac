#include "examples/viewer/Screenshot.h"

#include "core/Exception.h"
#include "render/FrameReader.h"
#include "render/Graphics3D.h"
#include "render/PNGWriter.h"

namespace viewer {

namespace {

// Writes the one frame it is handed; a file that cannot be written is
// noted, not thrown, so that the frame is still presented.
class ScreenshotReader final : public render::FrameReader {
public:
    explicit ScreenshotReader(const char* path) : m_path(path) {}

    bool written() const { return m_written; }

    void frameDrawn(const uint8_t* rgbaBottomUp, int width, int height) override
    {
        try {
            render::PNGWriter::write(m_path, width, height, rgbaBottomUp, render::PNGWriter::RGBX, true);
            m_written = true;
        } catch (const core::IOException&) {
            m_written = false;
        }
    }

private:
    const char* m_path;
    bool m_written = false;
};

} // namespace

bool releaseWithScreenshot(render::Graphics3D& g3d, const char* path)
{
    // Installed for this frame only: a reader makes the renderer read every
    // frame back.
    ScreenshotReader reader(path);
    render::FrameReader* previous = g3d.getFrameReader();
    g3d.setFrameReader(&reader);
    try {
        g3d.releaseTarget();
    } catch (...) {
        g3d.setFrameReader(previous);
        throw;
    }
    g3d.setFrameReader(previous);
    return reader.written();
}

} // namespace viewer
