#include "render/text/Text3D.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "core/Globals.h"
#include "render/appearance/Appearance.h"
#include "render/BatcherItem.h"
#include "render/scene/Camera.h"
#include "render/text/Font2DBitmap.h"
#include "render/Graphics3D.h"
#include "render/scene/PickGeometry.h"
#include "render/scene/RayIntersection.h"

namespace render {

Text3D::Text3D(Font2D* font)
{
    ASSERT_MSG(font, "Can not create a Text3D because font parameter is 0");
    m_font = font;
    m_appearance = createDefaultAppearance(true);
    setText(" ");
}

Text3D::Text3D(const Text3D& other)
    : Node(other), m_text(other.m_text), m_font(other.m_font), m_appearance(other.m_appearance),
      m_wrapWidth(other.m_wrapWidth), m_scale(other.m_scale), m_color(other.m_color), m_alignment(other.m_alignment),
      m_sharedAppearance(other.m_sharedAppearance), m_fixedSize(other.m_fixedSize), m_skipUnmapped(other.m_skipUnmapped)
{
    if (!m_sharedAppearance) {
        ASSERT_MSG(other.m_appearance, " app ");
        m_appearance = other.m_appearance->duplicate();
    }
}

Text3D::~Text3D() noexcept(false) = default;

Text3D* Text3D::duplicate() const
{
    return VORNA3D_NEW Text3D(*this);
}

Appearance* Text3D::createDefaultAppearance(bool shared)
{
    core::Globals* g = core::Globals::get();
    if (shared && g->m_g3dText3DAppearance)
        return static_cast<Appearance*>(g->m_g3dText3DAppearance.get());
    if (shared)
        ASSERT(!g->m_g3dText3DAppearance);
    Appearance* appearance = Appearance::createOverlay(false, false);
    // Only Text3D stores here, and always an Appearance.
    if (shared)
        g->m_g3dText3DAppearance = core::Ref<core::Object>(appearance);
    return appearance;
}

void Text3D::setFont(Font2D* font)
{
    ASSERT_MSG(font, "Text3D setFont failed because font parameter is 0");
    m_font = font;
}

Font2D* Text3D::getFont() const
{
    ASSERT_MSG(m_font, "Text3D does not have a font");
    return m_font.get();
}

void Text3D::setText(const core::String& text)
{
    const int length = text.length();
    m_text.setSizeForNativeType(length);
    for (int i = 0; i < length; ++i)
        m_text[i] = text.charAt(i);
}

void Text3D::setText(const char* text)
{
    ASSERT(text);
    const int length = static_cast<int>(std::strlen(text));
    m_text.setSizeForNativeType(length);
    for (int i = 0; i < length; ++i)
        m_text[i] = static_cast<unsigned char>(text[i]);
}

core::String Text3D::getText() const
{
    core::Vector<unsigned short> units(m_text);
    units.add(0);
    core::String result;
    result.setData(units.data());
    return result;
}

void Text3D::setAlignment(int alignment)
{
    ASSERT(alignment >= ALIGN_LEFT && alignment <= ALIGN_RIGHT);
    m_alignment = alignment;
}

void Text3D::setTextScale(float x, float y)
{
    m_scale = slmath::vec2(x, y);
}

slmath::vec2 Text3D::getTextTotalZoom() const
{
    const slmath::vec2& zoom = getFont()->getZoom();
    return slmath::vec2(zoom.x * m_scale.x, zoom.y * m_scale.y);
}

void Text3D::setWrapWidth(float width)
{
    ASSERT(width >= 0.f);
    m_wrapWidth = width;
}

int Text3D::getWrapWidthInFontPixels() const
{
    if (m_wrapWidth <= 0.f)
        return 0;
    const float zoom = std::fabs(getTextTotalZoom().x);
    if (zoom <= FLT_MIN)
        return 0;
    const float pixels = m_wrapWidth / zoom;
    return pixels >= 2147483520.f ? 0x7FFFFF80 : (pixels < 1.f ? 1 : static_cast<int>(pixels));
}

void Text3D::setAppearance(Appearance* appearance)
{
    if (appearance) {
        m_appearance = appearance;
        m_sharedAppearance = false;
    } else {
        m_appearance = createDefaultAppearance(true);
        m_sharedAppearance = true;
    }
}

Appearance* Text3D::getAppearance() const
{
    ASSERT_MSG(m_appearance, " m_appearance.ptr() != 0 ");
    return m_appearance.get();
}

slmath::vec2 Text3D::getTextSize() const
{
    ASSERT_MSG(m_font, " m_font.ptr() ");
    const Font2DBitmap* font = dynamic_cast<const Font2DBitmap*>(m_font.get());
    ASSERT_MSG(font, "Text2D does not provide Font2D information");
    const Font2DBitmap::TextMetrics metrics =
        font->measure(m_text.data(), m_text.size(), font->getXSpacing(), getWrapWidthInFontPixels(), m_skipUnmapped);
    const slmath::vec2 zoom = getTextTotalZoom();
    return slmath::vec2(zoom.x * float(metrics.width), zoom.y * float(metrics.height));
}

void Text3D::render(Graphics3D* g3d, const Transform* transform, int)
{
    ASSERT(g3d);
    ASSERT(transform);
    Camera* cam = g3d->getCamera();
    ASSERT(cam);
    g3d->addToDynamicBuffer(this, transform);
}

void Text3D::calcFinalTransform(const Transform* textTransform, const Transform* invertedCameraTransform,
                                const Transform* cameraTransform, Transform* finalTransformOut, Camera* camera)
{
    ASSERT(textTransform);
    ASSERT(invertedCameraTransform);
    ASSERT(cameraTransform);
    ASSERT(finalTransformOut);
    Graphics3D* g3d = Graphics3D::getInstance();
    ASSERT(g3d);
    const float viewportWidth = float(g3d->getViewportWidth());
    if (viewportWidth != m_cachedViewportWidth) {
        m_cachedViewportWidth = viewportWidth;
        m_invHalfViewportWidth = viewportWidth > 0.f ? 2.f / viewportWidth : 0.f;
    }
    const slmath::vec4 position = textTransform->transform(slmath::vec4(0.f, 0.f, 0.f, 1.f));
    finalTransformOut->setIdentity();
    finalTransformOut->postTranslate(position.x, position.y, position.z);
    if (m_fixedSize)
        return;
    ASSERT_MSG(camera, " cam != 0 ");
    float params[4] = {};
    if (camera->getProjection(params) != Camera::PERSPECTIVE)
        return;
    const float depth = invertedCameraTransform->transform(position).z;
    const float scale =
        std::tan(params[0] * slmath::DEG_TO_RAD / 2.f) * std::fabs(depth) * m_invHalfViewportWidth * params[1];
    finalTransformOut->postScale(scale, scale, scale);
}

bool Text3D::renderNodeToBatcher(int firstVertex, BatcherItem* item, const Transform* transform)
{
    ASSERT(item);
    ASSERT(transform);
    Font2DBitmap* font = dynamic_cast<Font2DBitmap*>(getFont());
    ASSERT_MSG(font, "Text2D does not provide Font2D information");
    Graphics3D* g3d = Graphics3D::getInstance();
    ASSERT(g3d);
    Transform final;
    calcFinalTransform(transform, &g3d->getViewTransform(), &g3d->getCameraTransform(), &final, g3d->getCamera());
    return font->renderNodeToBatcher(final, item, firstVertex, *this, m_pickingPositions);
}

bool Text3D::handlePick(int scope, float ox, float oy, float oz, float dx, float dy, float dz, RayIntersection* ri,
                        const Transform*, int, float* minDistance)
{
    ASSERT(minDistance);
    ASSERT(ri);
    if (!isPickingEnabled() || (scope & getScope()) == 0)
        return false;
    slmath::vec3 p[4];
    for (int c = 0; c < 4; ++c) {
        const int* q = m_pickingPositions + c * 3;
        p[c] = slmath::vec3(float(q[0]), float(q[1]), float(q[2])) / float(BatcherItem::POSITION_ONE);
    }
    const slmath::vec3 o(ox, oy, oz);
    const slmath::vec3 d(dx, dy, dz);
    float t = 0.f;
    bool hit = false;
    // Lower left, upper left, upper right, lower right: two triangles.
    static constexpr int TRIANGLES[2][3] = {{0, 1, 2}, {0, 2, 3}};
    for (const auto& tri : TRIANGLES) {
        float triT = 0.f;
        if (pick::intersectTriangle(o, d, p[tri[0]], p[tri[1]], p[tri[2]], &triT) && (!hit || triT < t)) {
            hit = true;
            t = triT;
        }
    }
    if (!hit)
        return false;
    const float distance = t * slmath::length(d);
    if (!(distance < *minDistance))
        return false;
    *minDistance = distance;
    ri->set(this, o, slmath::normalize(d), distance, 0, slmath::cross(p[1] - p[0], p[3] - p[0]));
    return true;
}

} // namespace render
