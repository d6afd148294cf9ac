// The twin sprites (states 14 to 16): two copies of one picture fly out
// of the screen toward the camera, half a cycle apart, fading in and out.

#include "demo/MyApplication.h"
#include "render/Camera.h"
#include "render/Graphics3D.h"
#include "render/Sprite3D.h"

namespace {

constexpr uint32_t WHITE_RGB = 0xFFFFFF00u; // 0xRRGGBBAA without the alpha

} // namespace

void MyApplication::updateTwinSprites(float seconds)
{
    m_twin.advance(seconds);
    m_spriteTransformA.setIdentity();
    m_spriteTransformA.postTranslate(0.f, 0.f, m_twin.angleA);
    m_spriteTransformB.setIdentity();
    m_spriteTransformB.postTranslate(0.f, 0.f, m_twin.angleB);
}

void MyApplication::renderTwinSprites(render::Graphics3D& g3d)
{
    m_twinSpriteA->setColor(WHITE_RGB | m_twin.alphaA);
    m_twinSpriteB->setColor(WHITE_RGB | m_twin.alphaB);
    render::Transform cameraPlace;
    cameraPlace.postTranslate(0.f, 0.f, 600.f);
    g3d.setCamera(m_camera.get(), cameraPlace);
    beginFrame(g3d);
    // The farther one first.
    if (m_twin.angleB < m_twin.angleA) {
        draw(g3d, m_twinSpriteB.get(), m_spriteTransformB);
        draw(g3d, m_twinSpriteA.get(), m_spriteTransformA);
    } else {
        draw(g3d, m_twinSpriteA.get(), m_spriteTransformA);
        draw(g3d, m_twinSpriteB.get(), m_spriteTransformB);
    }
    drawFadeOverlay(g3d);
    endFrame(g3d);
}
