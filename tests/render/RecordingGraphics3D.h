#pragma once
// A renderer without GL for the scene-graph tests: it records the back-end
// calls the scene graph causes (clears, submesh draws, light records,
// projections) in the order they happen. Like a real back end it sends the
// changed light records (updateLights) before each draw.

#include <string>
#include <vector>

#include "render/Graphics3D.h"
#include "render/scene/LightConfig.h"
#include "slmath/slmath.h"
#include "tests/support/NullGraphics3D.h"

namespace render_test {

class RecordingGraphics3D : public testing_support::NullGraphics3D {
public:
    enum Kind { CLEAR, DRAW, LIGHT, LIGHTS_OFF, PROJECTION };

    struct Call {
        explicit Call(Kind k) : kind(k) { }
        Kind kind;
        // CLEAR: colour and the two switches.
        float rgba[4] = {0.f, 0.f, 0.f, 0.f};
        bool clearDepth = false;
        bool clearColor = false;
        // DRAW: the submesh and its world matrix.
        const render::VertexBuffer* vertices = nullptr;
        const render::IndexBuffer* triangles = nullptr;
        const render::Appearance* appearance = nullptr;
        slmath::mat4 matrix; // DRAW: world matrix; PROJECTION: the projection
        int scope = 0;
        // LIGHT: the record sent.
        render::LightConfig light;
    };

    // Made public for the tests' fixture; never together with another renderer.
    using render::Graphics3D::registerInstance;

    // The calls of one kind, in order.
    std::vector<Call> of(Kind kind) const
    {
        std::vector<Call> result;
        for (const Call& call : calls)
            if (call.kind == kind)
                result.push_back(call);
        return result;
    }

    // The kinds in order as letters: C clear, D draw, L light, O lights off, P projection.
    std::string sequence() const
    {
        std::string letters;
        for (const Call& call : calls)
            letters += "CDLOP"[call.kind];
        return letters;
    }

    std::vector<Call> calls;
    int contexts = 0;
    std::vector<int> viewports; // x, y, width, height per call

    void createContext() override { ++contexts; }

protected:
    void lowLevelClear(float r, float g, float b, float a, bool clearDepth, bool clearColor) override
    {
        Call call(CLEAR);
        call.rgba[0] = r;
        call.rgba[1] = g;
        call.rgba[2] = b;
        call.rgba[3] = a;
        call.clearDepth = clearDepth;
        call.clearColor = clearColor;
        calls.push_back(call);
    }

    void lowLevelRender(render::VertexBuffer* vertices, render::IndexBuffer* triangles, render::Appearance* appearance,
                        const render::Transform& transform, int scope) override
    {
        updateLights();
        Call call(DRAW);
        call.vertices = vertices;
        call.triangles = triangles;
        call.appearance = appearance;
        call.matrix = transform.getMatrix();
        call.scope = scope;
        calls.push_back(call);
    }

    bool sendLightData(const render::LightConfig* config) override
    {
        Call call(config ? LIGHT : LIGHTS_OFF);
        if (config)
            call.light = *config;
        calls.push_back(call);
        return true;
    }

    void loadProjection() override
    {
        Call call(PROJECTION);
        call.matrix = getProjectionMatrix();
        calls.push_back(call);
    }

    void lowLevelSetViewport(int x, int y, int width, int height) override
    {
        viewports.insert(viewports.end(), {x, y, width, height});
    }
};

} // namespace render_test
