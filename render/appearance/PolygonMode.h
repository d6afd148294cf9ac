#pragma once
// PolygonMode: how a submesh's polygons are rasterised and lit: face
// culling, shading, winding, two-sided and local-camera lighting,
// perspective correction and the line width.

#include "render/scene/Object3D.h"

namespace render {

class PolygonMode : public Object3D {
public:
    enum { CULL_BACK = 160, CULL_FRONT = 161, CULL_NONE = 162 };
    enum { SHADE_FLAT = 164, SHADE_SMOOTH = 165 };
    enum { WINDING_CCW = 168, WINDING_CW = 169 };

    // Back faces culled, smooth shading, counter-clockwise front faces,
    // every switch off, line width 1.
    PolygonMode();
    ~PolygonMode() noexcept(false) override;

    PolygonMode* duplicate() const override;

    // Asserts " mode == CULL_BACK || mode == CULL_FRONT || mode == CULL_NONE ".
    void setCulling(int mode);
    int getCulling() const { return m_culling; }
    // Asserts " mode == SHADE_FLAT || mode == SHADE_SMOOTH ".
    void setShading(int mode);
    int getShading() const { return m_shading; }
    // Asserts " mode == WINDING_CCW || mode == WINDING_CW ".
    void setWinding(int mode);
    int getWinding() const { return m_winding; }

    void setTwoSidedLightingEnable(bool enable) { m_twoSidedLighting = enable; }
    bool isTwoSidedLightingEnabled() const { return m_twoSidedLighting; }
    // Stored only: the renderer does not provide local camera lighting.
    void setLocalCameraLightingEnable(bool enable) { m_localCameraLighting = enable; }
    bool isLocalCameraLightingEnabled() const { return m_localCameraLighting; }
    void setPerspectiveCorrectionEnable(bool enable) { m_perspectiveCorrection = enable; }
    bool isPerspectiveCorrectionEnabled() const { return m_perspectiveCorrection; }

    // Requires a finite width > 0 (" width > 0 && slmath::check(width) ").
    void setLineWidth(float width);
    float getLineWidth() const { return m_lineWidth; }

protected:
    PolygonMode(const PolygonMode& other);

private:
    float m_lineWidth = 1.f;
    int m_culling = CULL_BACK;
    int m_shading = SHADE_SMOOTH;
    int m_winding = WINDING_CCW;
    bool m_twoSidedLighting = false;
    bool m_localCameraLighting = false;
    bool m_perspectiveCorrection = false;
};

} // namespace render
