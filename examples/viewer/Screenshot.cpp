#include "examples/viewer/Screenshot.h"

#include "core/Exception.h"
#include "render/FrameReader.h"
#include "render/Graphics3D.h"
#include "render/loaders/png/PNGWriter.h"

namespace viewer {

namespace {

// Writes the one frame it is handed; a file that cannot be written is
// noted, not thrown, so that the frame is still presented.
class ScreenshotReader final : public render::FrameReader {
public:
    explicit ScreenshotReader(const char* path) : m_path(path) { }

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
    // For this frame only: a reader makes the renderer read frames back.
    ScreenshotReader reader(path);
    g3d.releaseTarget(reader);
    return reader.written();
}

} // namespace viewer
