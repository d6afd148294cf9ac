#include "demo/CaptureRenderer.h"

#include "render/OGLES/OGLES1_Graphics3D.h"

render::Graphics3D* createCaptureRenderer(render::FrameReader& reader)
{
    render::Graphics3D* g3d = VORNA3D_NEW render::OGLES1_Graphics3D();
    g3d->setFrameReader(&reader);
    // Each frame's read-back finishes while the next one draws.
    g3d->setFrameReadBackDepth(CAPTURE_READ_BACK_DEPTH);
    return g3d;
}
