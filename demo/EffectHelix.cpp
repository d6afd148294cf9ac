// The helix (states 11 to 13): two cloud sprites flying toward the camera
// are drawn into a texture, which then fills the screen behind twenty
// turning bars stacked from bottom to top.

#include "demo/MyApplication.h"
#include "render/Camera.h"
#include "render/Graphics3D.h"
#include "render/Mesh.h"
#include "render/Sprite3D.h"

namespace {

constexpr uint32_t WHITE_RGB = 0xFFFFFF00u; // 0xRRGGBBAA without the alpha

} // namespace

void MyApplication::updateHelix(float seconds)
{
    m_camera->setPerspective(60.f, 1.3333334f, 0.1f, 1000.f);
    m_camera->setTranslation(0.f, 0.f, 600.f);
    updateHelixSegments(m_helixSegments, m_timeline.getMusicTime());
    updateTwinSprites(seconds);
}

void MyApplication::renderHelix(render::Graphics3D& g3d)
{
    // The camera stands where its own translation puts it, 600 units in
    // front of the sprites and bars (which is also where the frame's update
    // left m_cameraTransform).
    render::Transform cameraPlace;
    const slmath::vec3 at = m_camera->getTranslation();
    cameraPlace.postTranslate(at.x, at.y, at.z);

    // The clouds, into the texture; the nearer sprite last.
    g3d.bindTarget(m_renderTarget.get());
    g3d.setViewport(CLOUD_FRAME_WIDTH, CLOUD_FRAME_HEIGHT); // the picture's shape, half its size
    g3d.setCamera(m_camera.get(), cameraPlace);
    m_helixSpriteA->setColor(WHITE_RGB | m_twin.alphaA);
    m_helixSpriteB->setColor(WHITE_RGB | m_twin.alphaB);
    g3d.clear(m_background.get());
    if (m_twin.angleA > m_twin.angleB) {
        draw(g3d, m_helixSpriteB.get(), m_spriteTransformB);
        draw(g3d, m_helixSpriteA.get(), m_spriteTransformA);
    } else {
        draw(g3d, m_helixSpriteA.get(), m_spriteTransformA);
        draw(g3d, m_helixSpriteB.get(), m_spriteTransformB);
    }
    g3d.releaseTarget();

    // The clouds behind, the bars in front.
    g3d.setCamera(m_camera.get(), cameraPlace);
    beginFrame(g3d);
    // The cloud frame's bottom row is the texture's row 0: mirrored, the
    // clouds stand the right way up; doubled, as large as the picture.
    constexpr float magnify = float(SCREEN_WIDTH) / float(CLOUD_FRAME_WIDTH);
    render::Transform upright;
    upright.postScale(magnify, -magnify, 1.f);
    draw(g3d, m_renderSprite.get(), upright);
    g3d.flushDynamicBuffers();
    for (const HelixSegment& segment : m_helixSegments) {
        render::Transform bar;
        bar.postTranslate(segment.x, segment.y, 1.f);
        bar.postRotate(segment.rotation, 0.f, 1.f, 0.f);
        bar.postRotate(segment.rotation, 1.f, 0.f, 0.f);
        draw(g3d, m_helixbase.get(), bar);
    }
    drawFadeOverlay(g3d);
    endFrame(g3d);
}
