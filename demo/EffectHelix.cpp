#include "demo/EffectHelix.h"

#include "demo/CloudNoise.h"
#include "demo/DemoAssets.h"
#include "demo/EffectTwinSprites.h"
#include "demo/Timeline.h"
#include "render/scene/Camera.h"
#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/scene/Mesh.h"
#include "render/RenderTarget.h"
#include "render/scene/Sprite3D.h"
#include "render/appearance/Texture2D.h"
#include "render/scene/World.h"

namespace {

constexpr uint32_t WHITE_RGB = 0xFFFFFF00u; // 0xRRGGBBAA without the alpha

// The cloud texture's size.
constexpr int CLOUD_SIZE = 1024;

} // namespace

EffectHelix::EffectHelix(DemoStage& stage, EffectTwinSprites& twinSprites) : Effect(stage), m_twinSprites(twinSprites)
{
}

EffectHelix::~EffectHelix() noexcept(false) = default;

void EffectHelix::loadBar()
{
    core::Ref<render::World> world = demo_assets::loadWorld("heelix.m3g");
    ASSERT_MSG(world, " m_world ");
    m_bar = demo_assets::childMesh(world.get(), 1);
    ASSERT_MSG(m_bar, " m_helixbase ");
}

void EffectHelix::createCloudTarget(render::Graphics3D& g3d)
{
    // The helix draws its clouds into this texture first, at half the
    // picture's size: the soft noise looks the same magnified twice, and a
    // software rasteriser fills a quarter of the pixels for its two
    // full-screen blended sprites.
    m_cloudFrame = g3d.createNewTexture(CLOUD_FRAME_WIDTH, CLOUD_FRAME_WIDTH);
    ASSERT_MSG(m_cloudFrame, " m_renderTexture ");
    // Only level 0 receives the frame; it is magnified, smoothly.
    m_cloudFrame->setFiltering(render::Texture2D::FILTER_BASE_LEVEL, render::Texture2D::FILTER_LINEAR);
    m_cloudTarget = VORNA3D_NEW render::RenderTarget(m_cloudFrame.get());
    // The texture is square; only the frame's rows hold the clouds.
    m_cloudFrameSprite = VORNA3D_NEW render::Sprite3D(m_cloudFrame.get());
    m_cloudFrameSprite->setCrop(0, 0, CLOUD_FRAME_WIDTH, CLOUD_FRAME_HEIGHT);
}

void EffectHelix::createClouds(render::Graphics3D& g3d)
{
    core::Ref<render::Image2D> clouds = VORNA3D_NEW render::Image2D(render::Image2D::RGBA, CLOUD_SIZE, CLOUD_SIZE);
    cloud_noise::fillClouds(*clouds);
    m_cloudTexture = demo_assets::makeTexture(g3d, clouds.get());
    ASSERT_MSG(m_cloudTexture, " m_cloudTexture ");
    // The clouds are only ever magnified.
    m_cloudTexture->setFiltering(render::Texture2D::FILTER_BASE_LEVEL, render::Texture2D::FILTER_LINEAR);
    m_cloudSpriteA = VORNA3D_NEW render::Sprite3D(m_cloudTexture.get());
    m_cloudSpriteB = VORNA3D_NEW render::Sprite3D(m_cloudTexture.get());
    createHelixSegments(m_segments);
}

void EffectHelix::update(float seconds)
{
    m_stage.camera()->setPerspective(60.f, 1.3333334f, 0.1f, 1000.f);
    m_stage.camera()->setTranslation(0.f, 0.f, 600.f);
    updateHelixSegments(m_segments, m_stage.timeline().getMusicTime());
    m_twinSprites.update(seconds);
}

void EffectHelix::render(render::Graphics3D& g3d)
{
    // The camera stands where its own translation puts it, 600 units in
    // front of the sprites and bars (which is also where the frame's update
    // left the stage's camera place).
    render::Transform cameraPlace;
    const slmath::vec3 at = m_stage.camera()->getTranslation();
    cameraPlace.postTranslate(at.x, at.y, at.z);

    // The clouds, into the texture; the nearer sprite last.
    const TwinSpriteMotion& motion = m_twinSprites.getMotion();
    const render::Transform& placeA = m_twinSprites.getPlaceA();
    const render::Transform& placeB = m_twinSprites.getPlaceB();
    g3d.bindTarget(m_cloudTarget.get());
    g3d.setViewport(CLOUD_FRAME_WIDTH, CLOUD_FRAME_HEIGHT); // the picture's shape, half its size
    g3d.setCamera(m_stage.camera(), cameraPlace);
    m_cloudSpriteA->setColor(WHITE_RGB | motion.alphaA);
    m_cloudSpriteB->setColor(WHITE_RGB | motion.alphaB);
    g3d.clear(m_stage.background());
    if (motion.angleA > motion.angleB) {
        DemoStage::draw(g3d, m_cloudSpriteB.get(), placeB);
        DemoStage::draw(g3d, m_cloudSpriteA.get(), placeA);
    } else {
        DemoStage::draw(g3d, m_cloudSpriteA.get(), placeA);
        DemoStage::draw(g3d, m_cloudSpriteB.get(), placeB);
    }
    g3d.releaseTarget();

    // The clouds behind, the bars in front.
    g3d.setCamera(m_stage.camera(), cameraPlace);
    m_stage.beginFrame(g3d);
    // The cloud frame's bottom row is the texture's row 0: mirrored, the
    // clouds stand the right way up; doubled, as large as the picture.
    constexpr float magnify = float(DemoStage::SCREEN_WIDTH) / float(CLOUD_FRAME_WIDTH);
    render::Transform upright;
    upright.postScale(magnify, -magnify, 1.f);
    DemoStage::draw(g3d, m_cloudFrameSprite.get(), upright);
    g3d.flushDynamicBuffers();
    for (const HelixSegment& segment : m_segments) {
        render::Transform bar;
        bar.postTranslate(segment.x, segment.y, 1.f);
        bar.postRotate(segment.rotation, 0.f, 1.f, 0.f);
        bar.postRotate(segment.rotation, 1.f, 0.f, 0.f);
        DemoStage::draw(g3d, m_bar.get(), bar);
    }
    m_stage.drawFadeOverlay(g3d);
    m_stage.endFrame(g3d);
}
