#pragma once
#include <cstdint>

namespace render {

// What the renderer is asked to do; copied by value when it is configured.
struct Graphics3DConfig {
    bool showStatistics = true; // draw the statistics overlay and count frames per second
    bool printFps = true; // log "FPS : %d" once a second
    bool flipY = false; // nodes created afterwards flip their texture's vertical range
    bool cameraLight = true; // a directional light that follows the camera
    bool lighting = true; // master switch for lights
    bool texturing = true; // texture units in use
    bool vertexColors = true; // per-vertex colour arrays in use
    int32_t maxDynamicBuffers = 6;
    bool batchDepthWrite = false;
    bool batchDepthTest = false;
    int32_t lastWord = 0;
};

} // namespace render
