#pragma once
// A renderer whose back end does nothing: every back-end slot of
// render::Graphics3D is a no-op that reports success; its textures are
// plain Texture2D objects (state only, nothing to draw). Stand-ins for the
// renderer (frame-loop fakes, the recording renderer of the scene-graph
// tests, small test programs) derive from it and override what they watch.
// It does not register itself; whoever needs Graphics3D::getInstance calls
// registerInstance.

#include "render/Graphics3D.h"
#include "render/Texture2D.h"

namespace testing_support {

class NullGraphics3D : public render::Graphics3D {
public:
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
    // A device of plausible size: configuring checks that the limits are positive.
    void updateProperties() override { setDeviceLimits(4096, 4096, 4096, 2); }
    void initRenderState() override {}
    void copyScreenToTexture(int, int, int, int) override {}
};

} // namespace testing_support
