#include "examples/viewer/ViewerDecorations.h"

#include <cmath>

#include "render/appearance/Appearance.h"
#include "render/scene/Camera.h"
#include "render/appearance/CompositingMode.h"
#include "render/text/Font2D.h"
#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/appearance/PolygonMode.h"
#include "render/scene/Sprite3D.h"
#include "render/text/Text3D.h"
#include "render/appearance/Texture2D.h"

namespace viewer {

namespace {

constexpr int DOT_SIZE = 16;
constexpr float ORBIT_RADIUS = 0.32f; // inside the torus's hole (inner radius 0.6)
constexpr float DOT_TEXEL = 0.018f; // world units per texel: dots 0.29 wide
constexpr float TITLE_SCALE = 2.f; // 8-pixel glyphs drawn 16 pixels high
constexpr const char* TITLE = "VORNA3D VIEWER   F1: STATISTICS   ESC: QUIT";
// Dot colours, 0xRRGGBBAA.
constexpr uint32_t DOT_COLORS[ViewerDecorations::DOT_COUNT] = {0xFFD060FF, 0x60FFA0FF, 0x60A0FFFF,
                                                               0xFF70D0FF, 0xFFFFFFFF, 0xA0FF40FF};

// White, with alpha falling from 1 in the middle to 0 at the rim.
core::Ref<render::Image2D> createDotImage()
{
    core::Ref<render::Image2D> image = VORNA3D_NEW render::Image2D(render::Image2D::RGBA, DOT_SIZE, DOT_SIZE);
    const float centre = (DOT_SIZE - 1) / 2.f;
    for (int y = 0; y < DOT_SIZE; ++y) {
        for (int x = 0; x < DOT_SIZE; ++x) {
            const float d = std::sqrt((x - centre) * (x - centre) + (y - centre) * (y - centre)) / centre;
            const float a = d >= 1.f ? 0.f : (1.f - d) * (1.f - d);
            image->setPixel(x, y, 0xFFFFFF00u | uint32_t(a * 255.f));
        }
    }
    return image;
}

} // namespace

ViewerDecorations::ViewerDecorations(render::Graphics3D& g3d)
{
    core::Ref<render::Image2D> dot = createDotImage();
    m_dotTexture = g3d.createNewTexture(0, 0);
    ASSERT_MSG(m_dotTexture, "the renderer made no texture");
    m_dotTexture->setImage(dot.get());

    // Added light, behind the torus where it is in front of them.
    core::Ref<render::PolygonMode> polygonMode = VORNA3D_NEW render::PolygonMode();
    polygonMode->setCulling(render::PolygonMode::CULL_NONE);
    core::Ref<render::CompositingMode> compositing = VORNA3D_NEW render::CompositingMode();
    compositing->setBlending(render::CompositingMode::ALPHA_ADD);
    compositing->setDepthTestEnable(true);
    compositing->setDepthWriteEnable(false);
    m_dotAppearance = VORNA3D_NEW render::Appearance();
    m_dotAppearance->setPolygonMode(polygonMode.get());
    m_dotAppearance->setCompositingMode(compositing.get());
    for (int i = 0; i < DOT_COUNT; ++i) {
        m_dots[i] = VORNA3D_NEW render::Sprite3D(m_dotTexture.get());
        m_dots[i]->setAppearance(m_dotAppearance.get());
        m_dots[i]->setSpriteType(render::Sprite3D::FACING_CAMERA);
        m_dots[i]->setScale(DOT_TEXEL, DOT_TEXEL, 1.f);
        m_dots[i]->setColor(DOT_COLORS[i]);
    }

    core::Ref<render::Font2D> font = render::Font2D::createNewFont();
    m_title = VORNA3D_NEW render::Text3D(font.get());
    m_title->setText(TITLE);
    m_title->setColor(0xFFE8A0FFu);
    m_title->setTextScale(TITLE_SCALE, TITLE_SCALE);
    m_screenCamera = VORNA3D_NEW render::Camera();
    setSize(g3d.getDisplayWidth(), g3d.getDisplayHeight());
}

ViewerDecorations::~ViewerDecorations() noexcept(false) = default;

void ViewerDecorations::setSize(int width, int height)
{
    ASSERT(width > 0 && height > 0);
    m_height = height;
    m_screenCamera->setParallel(0.f, float(width), 0.f, float(height), 0.f, 100.f);
}

void ViewerDecorations::advance(float seconds)
{
    ASSERT(seconds >= 0.f);
    m_time += seconds;
}

void ViewerDecorations::draw(render::Graphics3D& g3d)
{
    render::Transform placed;
    for (int i = 0; i < DOT_COUNT; ++i) {
        // Around the torus's axis at two speeds, bobbing through its plane.
        const float angle = m_time * (i % 2 ? 1.3f : -0.9f) + float(i) * 6.2831853f / float(DOT_COUNT);
        placed.setIdentity();
        placed.postTranslate(ORBIT_RADIUS * std::cos(angle), ORBIT_RADIUS * std::sin(angle),
                             0.25f * std::sin(m_time * 2.f + float(i)));
        g3d.render(render::Graphics3D::RENDER_ALL, m_dots[i].get(), placed);
    }
    // The title under the screen camera; then the scene's camera again
    // (the overlay shows its position).
    const core::Ref<render::Camera> sceneCamera = g3d.getCamera();
    const render::Transform sceneTransform(g3d.getCameraTransform());
    g3d.setCamera(m_screenCamera.get(), render::Transform());
    placed.setIdentity();
    placed.postTranslate(12.f, float(m_height) - 28.f, 0.f);
    g3d.render(render::Graphics3D::RENDER_ALL, m_title.get(), placed);
    g3d.setCamera(sceneCamera.get(), sceneTransform);
}

} // namespace viewer
