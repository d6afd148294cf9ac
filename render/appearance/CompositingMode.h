#pragma once
// CompositingMode: how a submesh's fragments are combined with the frame:
// blending, alpha test, depth test and offset, colour and alpha write
// masks, and an optional stencil test. Blending values 64..68 are the JSR
// 184 modes; 69..72 are this engine's (additive, alpha darken,
// premultiplied alpha, screen). Test functions are the GL comparison codes
// 512 (never) .. 519 (always).

#include <cstdint>

#include "core/Ref.h"
#include "render/scene/Object3D.h"

namespace render {

class Stencil;

class CompositingMode : public Object3D {
public:
    enum {
        ALPHA = 64,
        ALPHA_ADD = 65,
        MODULATE = 66,
        MODULATE_X2 = 67,
        REPLACE = 68,
        ADDITIVE = 69,
        ALPHA_DARKEN = 70,
        PREMULTIPLIED_ALPHA = 71,
        SCREEN = 72
    };
    enum { NEVER = 512, LESS, EQUAL, LEQUAL, GREATER, NOTEQUAL, GEQUAL, ALWAYS };

    // REPLACE, no alpha threshold, depth test LEQUAL with writes, colour and
    // alpha writes on, opaque white blend colour, no stencil.
    CompositingMode();
    ~CompositingMode() noexcept(false) override;

    // A copy of every field; the stencil, when present, is duplicated.
    CompositingMode* duplicate() const override;

    // 64..72; asserts "setBlending failed because mode is illegal".
    void setBlending(int mode);
    // Asserts "getBlending failed because mode is illegal" for a stored value outside 64..72.
    int getBlending() const;

    // 0..1; asserts " (threshold >= 0.0f) && (threshold <= 1.0f) ".
    void setAlphaThreshold(float threshold);
    // Asserts "Alpha treshold value is invalid" for a stored value outside 0..1.
    float getAlphaThreshold() const;

    // 513..519; asserts "setAlphaTest failed because func is illegal.".
    void setAlphaTest(int func);
    int getAlphaTest() const { return m_alphaTestFunction; }
    // 512..519; asserts "setDepthFunction failed because func is illegal.".
    void setDepthFunction(int func);
    int getDepthFunction() const { return m_depthTestFunction; }

    void setDepthTestEnable(bool enable) { m_depthTestEnabled = enable; }
    bool isDepthTestEnabled() const { return m_depthTestEnabled; }
    void setDepthWriteEnable(bool enable) { m_depthWriteEnabled = enable; }
    bool isDepthWriteEnabled() const { return m_depthWriteEnabled; }
    void setColorWriteEnable(bool enable) { m_colorWriteEnabled = enable; }
    bool isColorWriteEnabled() const { return m_colorWriteEnabled; }
    void setAlphaWriteEnable(bool enable) { m_alphaWriteEnabled = enable; }
    bool isAlphaWriteEnabled() const { return m_alphaWriteEnabled; }

    // Polygon offset. Asserts when a value is not finite.
    void setDepthOffset(float factor, float units);
    float getDepthOffsetFactor() const { return m_depthOffsetFactor; }
    float getDepthOffsetUnits() const { return m_depthOffsetUnits; }

    // 0xAARRGGBB, applied by the renderer with the blending mode.
    void setBlendColor(uint32_t argb) { m_blendColor = argb; }
    uint32_t getBlendColor() const { return m_blendColor; }

    // Null removes the stencil test.
    void setStencil(Stencil* stencil);
    Stencil* getStencil() const { return m_stencil.get(); }

protected:
    CompositingMode(const CompositingMode& other);

private:
    core::Ref<Stencil> m_stencil;
    float m_alphaThreshold = 0.f;
    float m_depthOffsetFactor = 0.f;
    float m_depthOffsetUnits = 0.f;
    uint32_t m_blendColor = 0xFFFFFFFFu;
    int m_alphaTestFunction = GEQUAL;
    int m_depthTestFunction = LEQUAL;
    bool m_depthTestEnabled = true;
    bool m_depthWriteEnabled = true;
    bool m_colorWriteEnabled = true;
    bool m_alphaWriteEnabled = true;
    int m_blending = REPLACE;
};

} // namespace render
