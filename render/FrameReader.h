#pragma once
// FrameReader: receives each finished frame's pixels just before the
// renderer presents it (Graphics3D::setFrameReader), or, with a deferred
// read-back (Graphics3D::setFrameReadBackDepth), a frame or two later, in
// order, the last ones at Graphics3D::flushFrameReader. Used for frame capture
// and for tests that look at what is shown.

#include <cstdint>

namespace render {

class FrameReader {
public:
    // Called once per presented frame with the picture's pixels (the scaled
    // picture only, without the black bars around it): `width` x `height`
    // RGBA pixels, 4 bytes each, rows packed (stride width * 4), the BOTTOM
    // row first as OpenGL reads them. The buffer belongs to the renderer and
    // is valid during the call only. Exceptions thrown here leave the frame
    // unpresented and reach the caller of the frame's releaseTarget.
    virtual void frameDrawn(const uint8_t* rgbaBottomUp, int width, int height) = 0;

protected:
    ~FrameReader() = default;
};

} // namespace render
