#pragma once
// A back end without GL: derived from OGLES_Graphics3D, it runs the shared
// renderer logic unchanged and records every GL operation it is asked for,
// as one line each: "name(arg, arg, ...)" with integers (GL enumerants in
// decimal), floats as %g and booleans as 0/1. The tests compare lines built
// with call(). With recording off it only counts the operations (the engine
// overhead benchmark).
//
// Textures made by createNewTexture are RecordedTexture2D objects with a
// made-up GL name; buffer objects get made-up ids too.

#include <cstdio>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "render/appearance/Image2D.h"
#include "render/scene/LightConfig.h"
#include "render/OGLES/OGLES_Graphics3D.h"
#include "render/RenderTarget.h"
#include "render/appearance/Texture2D.h"

namespace render_test {

// One recorded line: name(args...).
template <class... Args> std::string call(const char* name, Args... args)
{
    std::ostringstream out;
    out << name << '(';
    bool first = true;
    auto put = [&](auto value) {
        if (!first)
            out << ", ";
        first = false;
        using T = decltype(value);
        if constexpr (std::is_same_v<T, bool>) {
            out << (value ? 1 : 0);
        } else if constexpr (std::is_floating_point_v<T>) {
            char text[32];
            std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
            out << text;
        } else if constexpr (std::is_same_v<T, const char*>) {
            out << value;
        } else if constexpr (std::is_pointer_v<T>) {
            out << (value ? "ptr" : "null");
        } else {
            out << static_cast<long long>(value);
        }
    };
    (put(args), ...);
    (void)put; // no arguments: nothing to put
    out << ')';
    return out.str();
}

// A texture with a GL name but no GL: what the recording back end hands out.
class RecordedTexture2D : public render::Texture2D {
public:
    explicit RecordedTexture2D(int id) : Texture2D(nullptr), m_id(id) { }
    int getTextureID() const override { return m_id; }
    void applyFilters() override { ++filtersApplied; }
    int filtersApplied = 0;

private:
    int m_id;
};

class RecordingOGLES : public render::OGLES_Graphics3D {
public:
    // Device limits readDeviceLimits reports.
    int maxViewport[2] = {2048, 1024};
    int maxTextureSize = 1024;
    int textureUnits = 2;

    bool recording = true;
    long long operations = 0;
    std::vector<std::string> ops;
    // Every light record sent (null records as a default LightConfig with index -2).
    std::vector<render::LightConfig> lights;
    render::ogles::MaterialState lastMaterial;
    render::ogles::FogState lastFog;
    // checkError reports an error this many times from now on.
    int pendingErrors = 0;
    // What bindTargetFramebuffer answers: true models a driver with
    // framebuffer objects, false (the default) one that copies the window.
    bool framebuffers = false;
    // Pixels read back: pixel (i, j) of a read becomes (i, j, frameReads, 255) (bytes).
    int frameReads = 0;

    using render::Graphics3D::registerInstance;
    using render::OGLES_Graphics3D::handleAppearance;

    // The recorded lines starting with `name(`.
    std::vector<std::string> named(const std::string& name) const
    {
        std::vector<std::string> result;
        for (const std::string& op : ops)
            if (op.compare(0, name.size() + 1, name + "(") == 0)
                result.push_back(op);
        return result;
    }
    int count(const std::string& name) const { return static_cast<int>(named(name).size()); }
    bool has(const std::string& line) const
    {
        for (const std::string& op : ops)
            if (op == line)
                return true;
        return false;
    }
    // Position of the first `line` (or -1).
    int indexOf(const std::string& line) const
    {
        for (size_t i = 0; i < ops.size(); ++i)
            if (ops[i] == line)
                return static_cast<int>(i);
        return -1;
    }
    // The operation names in order, joined by blanks.
    std::string names() const
    {
        std::string result;
        for (const std::string& op : ops) {
            if (!result.empty())
                result += ' ';
            result += op.substr(0, op.find('('));
        }
        return result;
    }

    // Graphics3D slots.
    int createStaticBuffer(int kind, int size, const void*) override
    {
        rec("createStaticBuffer", kind, size);
        return ++m_lastBuffer;
    }
    void deleteStaticBuffer(int id) override { rec("deleteStaticBuffer", id); }
    render::Texture2D* createNewTexture(int width, int height) override
    {
        rec("createNewTexture", width, height);
        auto* texture = VORNA3D_NEW RecordedTexture2D(++m_lastTexture);
        if (width > 0 && height > 0) {
            core::Ref<render::Image2D> image = VORNA3D_NEW render::Image2D(render::Image2D::RGBA, width, height);
            texture->setImage(image.get());
            texture->setImage(nullptr);
        }
        return texture;
    }
    void swapBuffers() override { rec("swapBuffers"); }
    void makeCurrent() override { rec("makeCurrent"); }
    void createContext() override { rec("createContext"); }

protected:
    void lowLevelClear(float r, float g, float b, float a, bool clearDepth, bool clearColor) override
    {
        rec("clear", r, g, b, a, clearDepth, clearColor);
    }
    bool sendLightData(const render::LightConfig* config) override
    {
        if (config) {
            if (recording)
                lights.push_back(*config);
            rec("sendLightData", config->index, config->mode, config->valid);
        } else {
            render::LightConfig off;
            off.index = -2;
            if (recording)
                lights.push_back(off);
            rec("sendLightData", "null");
        }
        return true;
    }
    void loadProjection() override { rec("loadProjection"); }
    void lowLevelSetViewport(int x, int y, int width, int height) override { rec("viewport", x, y, width, height); }
    bool checkError(const char*) override
    {
        if (pendingErrors > 0) {
            --pendingErrors;
            return false;
        }
        return true;
    }
    void initRenderState() override { rec("initRenderState"); }
    void copyScreenToTexture(int textureId, int format, int width, int height) override
    {
        rec("copyScreenToTexture", textureId, format, width, height);
    }

    // GL operations.
    void beginRender() override { rec("beginRender"); }
    void endRender(uint32_t mask) override { rec("endRender", mask); }
    void bindBuffer(int id, int kind) override { rec("bindBuffer", id, kind); }
    void setVertexPointer(int glType, int componentCount, const void* pointer) override
    {
        rec("setVertexPointer", glType, componentCount, pointer);
    }
    void setColorPointer(bool enabled, int componentCount, const void* pointer) override
    {
        rec("setColorPointer", enabled, componentCount, pointer);
    }
    void setNormalPointer(bool enabled, int glType, const void* pointer) override
    {
        rec("setNormalPointer", enabled, glType, pointer);
    }
    void setTextureCoordPointer(bool enabled, int unit, int glType, int componentCount, const void* pointer) override
    {
        rec("setTextureCoordPointer", enabled, unit, glType, componentCount, pointer);
    }
    void drawElements(int glMode, int count, const void* indices) override
    {
        rec("drawElements", glMode, count, indices);
    }
    void loadTextureMatrix(int unit, const slmath::mat4& matrix) override
    {
        if (recording)
            textureMatrices.push_back(matrix);
        rec("loadTextureMatrix", unit);
    }
    void loadModelViewMatrix(const slmath::mat4& matrix) override
    {
        modelView = matrix;
        rec("loadModelViewMatrix");
    }
    void sendColor(const float rgba[4]) override { rec("sendColor", rgba[0], rgba[1], rgba[2], rgba[3]); }
    void sendLighting(bool enabled) override { rec("sendLighting", enabled); }
    void sendMaterial(const render::ogles::MaterialState& state) override
    {
        lastMaterial = state;
        rec("sendMaterial", state.colorMaterial);
    }
    void sendFog(const render::ogles::FogState& state) override
    {
        lastFog = state;
        rec("sendFog", state.enabled, state.mode);
    }
    void sendTextureEnvironment(const render::ogles::TextureEnvState& state) override
    {
        rec("sendTextureEnvironment", state.mode, state.color[0], state.color[1], state.color[2], state.color[3]);
    }
    void sendDepthAndHints(bool depthBuffer, bool antialias, bool dither) override
    {
        rec("sendDepthAndHints", depthBuffer, antialias, dither);
    }
    void sendAlphaThreshold(float threshold) override { rec("sendAlphaThreshold", threshold); }
    void sendShading(int shadeModel) override { rec("sendShading", shadeModel); }
    void sendCulling(const render::ogles::CullState& state) override { rec("sendCulling", state.enabled, state.face); }
    void sendPerspectiveCorrection(bool enabled) override { rec("sendPerspectiveCorrection", enabled); }
    void sendTwoSidedLighting(bool enabled) override { rec("sendTwoSidedLighting", enabled); }
    void sendWinding(int frontFace) override { rec("sendWinding", frontFace); }
    void sendLineWidth(float width) override { rec("sendLineWidth", width); }
    void sendBlending(const render::ogles::BlendFactors& factors) override
    {
        rec("sendBlending", factors.src, factors.dst);
    }
    void sendMasks(float offsetFactor, float offsetUnits, bool colorWrite, bool alphaWrite) override
    {
        rec("sendMasks", offsetFactor, offsetUnits, colorWrite, alphaWrite);
    }
    void sendDepth(bool depthWrite, bool depthTest, int depthFunc) override
    {
        rec("sendDepth", depthWrite, depthTest, depthFunc);
    }
    void sendStencil(bool enabled, int func, int ref, uint32_t mask, int failOp, int depthFailOp, int passOp) override
    {
        rec("sendStencil", enabled, func, ref, mask, failOp, depthFailOp, passOp);
    }
    void bindTexture(int unit, int textureId) override { rec("bindTexture", unit, textureId); }
    void sendDepthRange(float nearPlane, float farPlane) override { rec("sendDepthRange", nearPlane, farPlane); }
    void readDeviceLimits(int* width, int* height, int* textureSize, int* units) override
    {
        *width = maxViewport[0];
        *height = maxViewport[1];
        *textureSize = maxTextureSize;
        *units = textureUnits;
    }
    void beginOutline() override { rec("beginOutline"); }
    void setOutlinePass(bool points) override { rec("setOutlinePass", points); }
    void endOutline() override { rec("endOutline"); }
    void sendScissor(bool enabled, int x, int y, int width, int height) override
    {
        if (enabled)
            rec("scissor", x, y, width, height);
        else
            rec("scissorOff");
    }
    bool bindTargetFramebuffer(render::RenderTarget* target) override
    {
        rec("bindTargetFramebuffer", target->getTexture()->getTextureID());
        return framebuffers;
    }
    void unbindTargetFramebuffer() override { rec("unbindTargetFramebuffer"); }
    void readScreenPixels(int x, int y, int width, int height, uint8_t* rgba) override
    {
        rec("readScreenPixels", x, y, width, height);
        ++frameReads;
        for (int j = 0; j < height; ++j)
            for (int i = 0; i < width; ++i) {
                uint8_t* p = rgba + (size_t(j) * width + i) * 4;
                p[0] = uint8_t(i);
                p[1] = uint8_t(j);
                p[2] = uint8_t(frameReads);
                p[3] = 255;
            }
    }

public:
    // Matrices of the last loads.
    slmath::mat4 modelView;
    std::vector<slmath::mat4> textureMatrices;

private:
    template <class... Args> void rec(const char* name, Args... args)
    {
        ++operations;
        if (recording)
            ops.push_back(call(name, args...));
    }

    int m_lastBuffer = 0;
    int m_lastTexture = 100;
};

} // namespace render_test
