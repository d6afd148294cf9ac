#pragma once
// The renderer the bake tool registers: scene nodes need a Graphics3D to
// exist while they are built, but nothing is drawn, so every back-end slot
// does nothing. It registers itself as the one renderer; the tool releases
// it from the engine's list before shutting the engine down.

#include "render/Graphics3D.h"

namespace bake {

class BakeGraphics3D : public render::Graphics3D {
public:
    BakeGraphics3D() { registerInstance(); }

    void setDepthRange(float, float) override {}
    void setActiveShaderProgram(int) override {}
    int createStaticBuffer(int, int, const void*) override { return 0; }
    void deleteStaticBuffer(int) override {}
    // No device: textures are plain state holders made with new Texture2D.
    render::Texture2D* createNewTexture(int, int) override { return nullptr; }
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
    void updateProperties() override { setDeviceLimits(4096, 4096, 4096, 2); }
    void initRenderState() override {}
    void copyScreenToTexture(int, int, int, int) override {}
};

} // namespace bake
