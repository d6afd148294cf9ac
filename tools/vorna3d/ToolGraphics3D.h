#pragma once
// The tool's renderer: a Graphics3D without a graphics back end, so that
// scene files load outside a window (nodes need a registered renderer, and
// the renderer makes the textures). Its textures keep their state only.
// While a RendererScope lives, one such renderer is the engine's Graphics3D.

#include "core/Ref.h"
#include "render/Graphics3D.h"
#include "render/Texture2D.h"

namespace vorna3d_tool {

class ToolGraphics3D : public render::Graphics3D {
public:
    using render::Graphics3D::registerInstance;

    void setDepthRange(float, float) override {}
    void setActiveShaderProgram(int) override {}
    int createStaticBuffer(int, int, const void*) override { return 0; }
    void deleteStaticBuffer(int) override {}
    render::Texture2D* createNewTexture(int, int) override { return VORNA3D_NEW render::Texture2D(nullptr); }
    int getActiveShaderProgram() override { return 0; }
    void swapBuffers() override {}
    void makeCurrent() override {}
    void createContext() override {}

protected:
    void lowLevelClear(float, float, float, float, bool, bool) override {}
    void lowLevelRender(render::VertexBuffer*, render::IndexBuffer*, render::Appearance*, const render::Transform&,
                        int) override
    {
    }
    void lowLevelBindTarget() override {}
    void lowLevelReleaseTarget() override {}
    bool sendLightData(const render::LightConfig*) override { return true; }
    void loadProjection() override {}
    void lowLevelSetViewport(int, int, int, int) override {}
    bool checkError(const char*) override { return true; }
    void updateProperties() override { setDeviceLimits(4096, 4096, 4096, 8); }
    void initRenderState() override {}
    void copyScreenToTexture(int, int, int, int) override {}
};

// Registers a ToolGraphics3D for its lifetime and takes it out of the
// engine's list again when it ends. Requires a started engine without a renderer.
class RendererScope {
public:
    RendererScope();
    ~RendererScope();
    RendererScope(const RendererScope&) = delete;
    RendererScope& operator=(const RendererScope&) = delete;

private:
    core::Ref<ToolGraphics3D> m_renderer;
};

} // namespace vorna3d_tool
