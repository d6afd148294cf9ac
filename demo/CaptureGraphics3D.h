#pragma once
// The OpenGL renderer for a capture: hands every frame to a FrameReader
// just before presenting it, read back from the back buffer as RGBA, the
// bottom row first. createCaptureRenderer is the one place that knows how
// the frames are read, so that it can move to the renderer's own frame
// reading when that is available.

#include <cstdint>
#include <vector>

#include "render/FrameReader.h"
#include "render/OGLES/OGLES1_Graphics3D.h"

class CaptureGraphics3D : public render::OGLES1_Graphics3D {
public:
    // A renderer that shows `reader` each frame; `reader` must outlive it.
    explicit CaptureGraphics3D(render::FrameReader& reader);

    // Reads the frame back (waiting for the drawing to finish), calls the
    // reader, then presents. An exception from the reader leaves the frame
    // unpresented.
    void swapBuffers() override;

    // Seconds spent in glFinish (drawing still in flight) and in glReadPixels.
    double getFinishSeconds() const { return m_finishSeconds; }
    double getReadSeconds() const { return m_readSeconds; }

private:
    render::FrameReader& m_reader;
    std::vector<uint8_t> m_pixels; // sized at the first frame, then reused
    double m_finishSeconds = 0.0;
    double m_readSeconds = 0.0;
};

// The renderer a capture runs on, delivering each presented frame to
// `reader` (which must outlive it). Requires a started engine.
render::Graphics3D* createCaptureRenderer(render::FrameReader& reader);
