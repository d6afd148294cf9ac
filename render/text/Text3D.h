#pragma once
// Text3D: a node that shows a string in a bitmap font. Like sprites, texts
// are collected into the renderer's dynamic buffers (render) and drawn when
// the buffers are flushed; the font lays the string out (see Font2DBitmap
// for line breaks, wrapping and alignment).
//
// The text stands at the position of the transform it is rendered with and
// is never rotated by it: its quads lie in the x-y plane, x to the right, y
// up, the first line's glyphs standing on the position. Unless the text has
// a fixed size, under a perspective camera it is scaled with its depth so
// that one font pixel covers one screen pixel; under other cameras one font
// pixel is one unit. The font's zoom times the text scale multiplies both.
//
// The string is kept as 16-bit codes in storage of the text's own, which
// grows to the longest string set and is reused: setting texts every frame
// allocates nothing once that length was reached.
//
// The colour is 0xRRGGBBAA: red in the most significant byte, alpha in the
// least. Texts share one appearance (held by the engine globals: no
// culling, alpha blending, no depth test or writes) unless given their own.

#include <cstdint>

#include "core/Ref.h"
#include "core/String.h"
#include "core/Vector.h"
#include "render/scene/Node.h"
#include "render/scene/Transform.h"
#include "slmath/slmath.h"

namespace render {

class Appearance;
class Camera;
class Font2D;

class Text3D : public Node {
public:
    enum { ALIGN_LEFT = 0, ALIGN_CENTER = 1, ALIGN_RIGHT = 2 };

    // A text " " in `font` with the shared appearance. Asserts "Can not
    // create a Text3D because font parameter is 0"; requires a registered
    // renderer.
    explicit Text3D(Font2D* font);
    ~Text3D() noexcept(false) override;

    // A new text with the same string, font, scale, colour, alignment and
    // flags; a text with its own appearance gets a duplicate of it.
    Text3D* duplicate() const override;

    // Asserts "Text3D setFont failed because font parameter is 0".
    void setFont(Font2D* font);
    // Asserts "Text3D does not have a font".
    Font2D* getFont() const;

    // Sets the string: each character's 16-bit code, or each byte of a
    // zero-terminated text (ISO 8859-1). Requires text (" text ").
    void setText(const core::String& text);
    void setText(const char* text);
    // The string as a new String.
    core::String getText() const;
    // Number of characters and their codes (valid until the next setText).
    int getLength() const { return m_text.size(); }
    const unsigned short* getCodes() const { return m_text.data(); }

    // 0xRRGGBBAA, default opaque white.
    void setColor(uint32_t rgba) { m_color = rgba; }
    uint32_t getColor() const { return m_color; }
    // ALIGN_LEFT, ALIGN_CENTER or ALIGN_RIGHT of each line at the position.
    // Asserts " alignment >= ALIGN_LEFT && alignment <= ALIGN_RIGHT ".
    void setAlignment(int alignment);
    int getAlignment() const { return m_alignment; }
    // The text scale, multiplied with the font's zoom (default 1, 1).
    void setTextScale(float x, float y);
    const slmath::vec2& getTextScale() const { return m_scale; }
    // Font zoom times text scale, per axis.
    slmath::vec2 getTextTotalZoom() const;
    // When set, the text is not scaled to pixel size under a perspective camera.
    void setFixedSize(bool fixed) { m_fixedSize = fixed; }
    bool isFixedSize() const { return m_fixedSize; }
    // Lines longer than `width` (in the text's units, as getTextSize) are
    // wrapped; 0 (the default) never wraps. Requires width >= 0.
    void setWrapWidth(float width);
    float getWrapWidth() const { return m_wrapWidth; }
    // The wrap width in font pixels (0 for none).
    int getWrapWidthInFontPixels() const;
    // When set, characters the font lacks are left out instead of failing
    // the render. The renderer's own debug text skips them; application
    // texts fail by default.
    void setSkipUnmappedCharacters(bool skip) { m_skipUnmapped = skip; }
    bool isSkippingUnmapped() const { return m_skipUnmapped; }

    // Gives the text its own appearance (null: back to the shared one).
    void setAppearance(Appearance* appearance);
    // Asserts " m_appearance.ptr() != 0 ".
    Appearance* getAppearance() const;
    // The appearance texts share (created on first use and kept by the
    // engine globals), or a new one when `shared` is false.
    static Appearance* createDefaultAppearance(bool shared);

    // Width of the widest line and height of the lines, in the text's units
    // (font pixels times the total zoom). Requires a bitmap font (" m_font.ptr() ").
    slmath::vec2 getTextSize() const;
    // The outline of the text at its last render: four corners (first
    // glyph's lower left and upper left, last glyph's upper right and lower
    // right) as fixed-point x, y, z (world value x 32).
    const int* getPickingPositions() const { return m_pickingPositions; }

    // Adds the text to a dynamic buffer (see Graphics3D::addToDynamicBuffer).
    // Requires g3d (" g3d ") and an active camera (" cam "); asserts "can
    // not add Text3D to buffer" when no buffer takes it even after a flush.
    void render(Graphics3D* g3d, const Transform* transform, int flags) override;
    // Tests the ray against the outline of the last render.
    bool handlePick(int scope, float ox, float oy, float oz, float dx, float dy, float dz, RayIntersection* ri,
                    const Transform* parentTransform, int pickFlags, float* minDistance) override;
    // Lays the text out into `item` (see Font2DBitmap::renderNodeToBatcher).
    // Requires item, a font ("Text3D does not have a font") that is a bitmap
    // font ("Text2D does not provide Font2D information") and a renderer.
    bool renderNodeToBatcher(int firstVertex, BatcherItem* item, const Transform* transform) override;

    // The placement of the text rendered with `textTransform`: a
    // translation to its position, scaled to pixel size under a perspective
    // camera unless the size is fixed (then `camera` is required, " cam != 0 ").
    void calcFinalTransform(const Transform* textTransform, const Transform* invertedCameraTransform,
                            const Transform* cameraTransform, Transform* finalTransformOut, Camera* camera);

protected:
    Text3D(const Text3D& other);

private:
    core::Vector<unsigned short> m_text;
    core::Ref<Font2D> m_font;
    core::Ref<Appearance> m_appearance;
    float m_invHalfViewportWidth = 0.f;
    float m_cachedViewportWidth = 0.f;
    float m_wrapWidth = 0.f;
    slmath::vec2 m_scale{1.f, 1.f};
    int32_t m_pickingPositions[12] = {};
    uint32_t m_color = 0xFFFFFFFFu;
    int32_t m_alignment = ALIGN_LEFT;
    bool m_sharedAppearance = true;
    bool m_fixedSize = false;
    bool m_skipUnmapped = false;
};

} // namespace render
