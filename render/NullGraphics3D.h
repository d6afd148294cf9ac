#pragma once
// NullGraphics3D: a renderer without a graphics back end, for headless
// programs: the command-line tools, unit tests and benchmarks. Scene nodes
// need a registered Graphics3D to be built and loaded, and the renderer
// makes their textures; this one lets all of that happen without a window
// or a GL context.
//
// Every back-end slot does nothing and reports success: clears, draws,
// light records, projections and viewports go nowhere, static buffers get
// id 0, there is no shader program. Its textures are plain Texture2D
// objects that keep their state (image, filters, blending) only. It reports
// the device limits of DEVICE_LIMITS below, so that configGraphics3D on a
// windowless display succeeds and the frame code (the dynamic buffers, the
// statistics, the debug text) runs as it does on a real device.
//
// It does not register itself: a program that needs Graphics3D::getInstance
// calls registerInstance once and clears the engine's Graphics3D list before
// the engine shuts down. Stand-ins that watch the renderer (recording
// renderers, frame-loop fakes) derive from it and override what they watch.

#include "render/Graphics3D.h"

namespace render {

class NullGraphics3D : public Graphics3D {
public:
    // What updateProperties reports: a viewport of up to 4096 x 4096
    // pixels, textures of up to 4096 pixels a side and two texture units
    // (the least an OpenGL ES 1.1 device offers).
    static constexpr int MAX_VIEWPORT_SIZE = 4096;
    static constexpr int MAX_TEXTURE_SIZE = 4096;
    static constexpr int TEXTURE_UNITS = 2;

    NullGraphics3D();
    ~NullGraphics3D() noexcept(false) override;

    // Appends this renderer to the engine's Graphics3D list (public here:
    // headless programs decide themselves when a renderer is registered).
    // Requires a started engine.
    using Graphics3D::registerInstance;

    void setDepthRange(float nearPlane, float farPlane) override;
    void setActiveShaderProgram(int program) override;
    // Returns 0; nothing is stored.
    int createStaticBuffer(int kind, int size, const void* data) override;
    void deleteStaticBuffer(int id) override;
    // A new Texture2D without an image, whatever the size asked for (nothing
    // is drawn, so a render target's texture needs no pixels).
    Texture2D* createNewTexture(int width, int height) override;
    // Always 0: no shader programs.
    int getActiveShaderProgram() override;
    void swapBuffers() override;
    void makeCurrent() override;
    void createContext() override;

protected:
    void lowLevelClear(float r, float g, float b, float a, bool clearDepth, bool clearColor) override;
    void lowLevelRender(VertexBuffer* vertices, IndexBuffer* triangles, Appearance* appearance,
                        const Transform& transform, int scope) override;
    void lowLevelBindTarget() override;
    void lowLevelReleaseTarget() override;
    // Returns true: nothing can fail.
    bool sendLightData(const LightConfig* config) override;
    void loadProjection() override;
    void lowLevelSetViewport(int x, int y, int width, int height) override;
    // Returns true: there is no graphics API to report an error.
    bool checkError(const char* where) override;
    // Stores the limits above.
    void updateProperties() override;
    void initRenderState() override;
    void copyScreenToTexture(int textureId, int format, int width, int height) override;
};

} // namespace render
