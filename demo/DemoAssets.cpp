// Loading the demo's assets from sulvanto.dat: the font, the scenes and the
// pictures, and the sprites cut from them. Every missing or mistyped asset
// fails an assertion naming the member it was meant for.

#include <cstdlib>

#include "HAL/Music.h"
#include "core/Debug.h"
#include "core/FileArchive.h"
#include "core/FileSystem.h"
#include "core/TARArchive.h"
#include "demo/CloudNoise.h"
#include "demo/DemoMeshes.h"
#include "demo/MyApplication.h"
#include "render/Appearance.h"
#include "render/CompositingMode.h"
#include "render/Font2D.h"
#include "render/Graphics3D.h"
#include "render/Image2D.h"
#include "render/Loader.h"
#include "render/Mesh.h"
#include "render/Sprite3D.h"
#include "render/Text3D.h"
#include "render/Texture2D.h"
#include "render/World.h"

namespace {

using Objects = core::Vector<core::Ref<render::Object3D>>;

// The mount path of the folder the archive is read from, while it is read.
const char* const TEMP_MOUNT = "temp";

// Crops (x, y, width, height) on the 2D graphics sheet.
constexpr int BUBBLE_CROP[4] = {257, 2, 126, 124};
constexpr int FADE_CROP[4] = {0, 128, 128, 128};
constexpr int CLOSING_CROP[4] = {1, 513, 510, 510};
constexpr int TWIN_CROP[4] = {512, 0, 512, 512};
// Fish frame f: (32 (f mod 4), 1 + 32 (f div 4)), 32 x 31.
constexpr int FISH_WIDTH = 32;
constexpr int FISH_HEIGHT = 31;

// The cloud texture's size.
constexpr int CLOUD_SIZE = 1024;

// The first object of `fileName`, which must be a world with a child at
// `childIndex` that is a mesh; `world` receives the world. The child count
// is checked before the child is asked for, so that a short scene fails
// naming the member.
render::Mesh* childMesh(render::World* world, int childIndex)
{
    if (!world || childIndex >= world->getChildCount())
        return nullptr;
    return dynamic_cast<render::Mesh*>(world->getChild(childIndex));
}

core::Ref<render::World> loadWorld(const char* fileName)
{
    Objects objects;
    render::load(core::String(fileName), objects);
    if (objects.isEmpty())
        return core::Ref<render::World>();
    return core::Ref<render::World>(dynamic_cast<render::World*>(objects[0].get()));
}

// The image of a PNG file: its first object, which must be an Image2D.
core::Ref<render::Image2D> loadImage(const char* fileName)
{
    Objects objects;
    render::load(core::String(fileName), objects);
    render::Image2D* image = objects.isEmpty() ? nullptr : dynamic_cast<render::Image2D*>(objects[0].get());
    ASSERT_MSG(image, "invalid PNG-file");
    return core::Ref<render::Image2D>(image);
}

core::Ref<render::Texture2D> makeTexture(render::Graphics3D& g3d, render::Image2D* image)
{
    core::Ref<render::Texture2D> texture = g3d.createNewTexture(0, 0);
    if (texture)
        texture->setImage(image);
    return texture;
}

core::Ref<render::Sprite3D> makeSprite(render::Texture2D* texture, const int crop[4])
{
    core::Ref<render::Sprite3D> sprite = VORNA3D_NEW render::Sprite3D(texture);
    sprite->setCrop(crop[0], crop[1], crop[2], crop[3]);
    return sprite;
}

} // namespace

void MyApplication::mountArchive()
{
    core::FileSystem* fs = core::FileSystem::get();
    ASSERT_MSG(fs, " fs ");
    // The archive is read from the working directory, or from the program's
    // folder (where the build puts it) when the working directory has none.
    core::String folder = m_archiveFolder;
    if (folder.length() == 0) {
        core::Ref<core::Archive> workingDirectory = VORNA3D_NEW core::FileArchive("");
        folder = workingDirectory->exists(ARCHIVE_NAME, core::Archive::OPEN_READ)
                     ? core::String("")
                     : core::String(HAL::pathBesideProgram("").c_str());
    }
    fs->addArchive(TEMP_MOUNT, VORNA3D_NEW core::FileArchive(folder));
    try {
        core::Ref<core::Stream> stream;
        fs->openFile(stream, ARCHIVE_NAME, core::Archive::OPEN_READ);
        core::Ref<core::Archive> archive = VORNA3D_NEW core::TARArchive(stream);
        fs->addArchive("", archive);
        m_archiveMounted = true;
    } catch (...) {
        fs->removeArchive(TEMP_MOUNT);
        throw;
    }
    // From here on every file comes from the archive.
    fs->removeArchive(TEMP_MOUNT);
}

void MyApplication::loadFont()
{
    m_font = render::Font2D::createNewFont("font.txt");
    ASSERT_MSG(m_font, " m_font ");
    m_text = VORNA3D_NEW render::Text3D(m_font.get());
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Loading font...OK\n");
}

void MyApplication::loadBalls()
{
    m_world = loadWorld("demoball.m3g");
    ASSERT_MSG(m_world, " m_world ");
    m_demopallo = childMesh(m_world.get(), 0);
    ASSERT_MSG(m_demopallo, " m_demopallo ");
    m_demopallo2 = childMesh(m_world.get(), 2);
    ASSERT_MSG(m_demopallo2, " m_demopallo2 ");

    m_world = loadWorld("stoneball.m3g");
    ASSERT_MSG(m_world, " m_world ");
    m_stonepallo = childMesh(m_world.get(), 0);
    ASSERT_MSG(m_stonepallo, " m_stonepallo ");
}

void MyApplication::createSprites(render::Graphics3D& g3d)
{
    core::Ref<render::Image2D> sheet = loadImage("2dgfx.png");
    m_graphicsTexture = makeTexture(g3d, sheet.get());
    ASSERT_MSG(m_graphicsTexture, " hugeTexture ");

    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Creating static textures...");
    m_bubbleSprite = makeSprite(m_graphicsTexture.get(), BUBBLE_CROP);
    m_fadeSprite = makeSprite(m_graphicsTexture.get(), FADE_CROP);
    m_fadeSprite->setScale(256.f, 192.f, 1.f);

    // N(1, 85) x 106 of the cloud noise: the one seed of the show.
    std::srand(static_cast<unsigned>(static_cast<int>(cloud_noise::lattice(1, 85) * 106.0)));

    // The fish have a texture of their own, so that they are batched apart.
    // The twin sprites share it: both are only ever magnified (the bubbles,
    // shrunk to a tenth, keep the mipmapped sheet), so its base level alone
    // is sampled, the same picture at less cost.
    m_fishy = makeTexture(g3d, sheet.get());
    ASSERT_MSG(m_fishy, " m_fishy ");
    m_fishy->setFiltering(render::Texture2D::FILTER_BASE_LEVEL, render::Texture2D::FILTER_LINEAR);
    for (int frame = 0; frame < Scroller::FISH_FRAMES; ++frame) {
        const int crop[4] = {FISH_WIDTH * (frame % 4), 1 + 32 * (frame / 4), FISH_WIDTH, FISH_HEIGHT};
        m_fishSprites.add(makeSprite(m_fishy.get(), crop));
    }
    m_scroller.createFirstFish();

    m_closingSprite = makeSprite(m_graphicsTexture.get(), CLOSING_CROP);
    m_twinSpriteA = makeSprite(m_fishy.get(), TWIN_CROP);
    m_twinSpriteA->setScale(2.f, 2.f, 1.f);
    m_twinSpriteB = makeSprite(m_fishy.get(), TWIN_CROP);
    m_twin = TwinSpriteMotion();
}

void MyApplication::loadPictures(render::Graphics3D& g3d)
{
    core::Ref<render::Image2D> logo = loadImage("sulvantobynorvalliproductions.png");
    core::Ref<render::Texture2D> texture = makeTexture(g3d, logo.get());
    ASSERT_MSG(texture, " texture ");
    // Both pictures are drawn at about their own size over the whole
    // screen: the base level alone samples them faster than a mipmap blend.
    texture->setFiltering(render::Texture2D::FILTER_BASE_LEVEL, render::Texture2D::FILTER_LINEAR);
    m_logoSprite = VORNA3D_NEW render::Sprite3D(texture.get());

    core::Ref<render::Image2D> water = loadImage("wtr.png");
    m_uws = makeTexture(g3d, water.get());
    ASSERT_MSG(m_uws, " m_uws ");
    m_uws->setFiltering(render::Texture2D::FILTER_BASE_LEVEL, render::Texture2D::FILTER_LINEAR);
}

void MyApplication::loadMeshes(render::Graphics3D& g3d)
{
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Loading m3g meshes...");
    m_world = loadWorld("heelix.m3g");
    ASSERT_MSG(m_world, " m_world ");
    m_helixbase = childMesh(m_world.get(), 1);
    ASSERT_MSG(m_helixbase, " m_helixbase ");

    m_world = loadWorld("v3d.m3g");
    ASSERT_MSG(m_world, " m_world ");
    m_v3dmesh = childMesh(m_world.get(), 1);
    ASSERT_MSG(m_v3dmesh, " m_v3dmesh ");
    m_v3dmesh2 = m_v3dmesh->duplicate();
    ASSERT_MSG(m_v3dmesh2, " m_v3dmesh2 ");
    // The camera's path around the logo is made for a logo of a fixed
    // width; the scene file's own size is scaled to it.
    slmath::vec3 low, high;
    m_v3dmesh->getBoundingBox(&low, &high, nullptr);
    const float width = high.x - low.x;
    m_engineLogoScale = width > 0.f ? ENGINE_LOGO_WIDTH / width : 1.f;

    // The mirror image: the logo's look with its own picture, cut where
    // the picture's alpha falls to 0.1 or below.
    core::Ref<render::Appearance> mirror = VORNA3D_NEW render::Appearance();
    if (render::Appearance* source = m_v3dmesh->getAppearance(0)) {
        mirror->setLayer(source->getLayer());
        mirror->setMaterial(source->getMaterial());
        mirror->setPolygonMode(source->getPolygonMode());
        mirror->setFog(source->getFog());
        for (int unit = 0; unit < source->getTextureCount(); ++unit)
            mirror->setTexture(unit, source->getTexture(unit));
    }
    core::Ref<render::CompositingMode> cut = VORNA3D_NEW render::CompositingMode();
    cut->setAlphaThreshold(0.1f);
    cut->setAlphaTest(render::CompositingMode::GREATER);
    mirror->setCompositingMode(cut.get());
    m_v3dmesh2->setAppearance(0, mirror.get());

    core::Ref<render::Image2D> picture = loadImage("v3d.png");
    core::Ref<render::Texture2D> texture = makeTexture(g3d, picture.get());
    ASSERT_MSG(texture, " texture ");
    if (render::Texture2D* chrome = mirror->getTexture(0)) {
        texture->setBlending(chrome->getBlending());
        texture->setWrapping(chrome->getWrappingS(), chrome->getWrappingT());
    }
    mirror->setTexture(0, texture.get());
}

void MyApplication::createPlasma(render::Graphics3D& g3d)
{
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Calculating dynamics...");
    m_plasmaImage = VORNA3D_NEW render::Image2D(render::Image2D::RGBA, Plasma::SIZE, Plasma::SIZE);
    m_plasma.advance(*m_plasmaImage, 1.f);
    m_texture = makeTexture(g3d, m_plasmaImage.get());
    ASSERT_MSG(m_texture, " m_texture ");

    // The small balls' look, plasma-textured, on the big ball too.
    m_app = m_demopallo->getAppearance(0);
    ASSERT_MSG(m_app, " m_app ");
    m_app->setTexture(0, m_texture.get());
    m_stonepallo->setAppearance(0, m_app.get());
    // The plasma is magnified on every ball, and the image changes every
    // frame: its base level alone is sampled, so the levels built from an
    // older image never show.
    m_texture->setFiltering(render::Texture2D::FILTER_BASE_LEVEL, render::Texture2D::FILTER_LINEAR);

    // The big ball is drawn first with the same look but without the depth
    // buffer: the camera and the small balls are inside it, so it is
    // behind everything, and from inside a ball each pixel shows it once.
    // The small balls then test only against each other.
    m_backdropApp = VORNA3D_NEW render::Appearance();
    m_backdropApp->setLayer(m_app->getLayer());
    m_backdropApp->setMaterial(m_app->getMaterial());
    m_backdropApp->setPolygonMode(m_app->getPolygonMode());
    m_backdropApp->setFog(m_app->getFog());
    for (int unit = 0; unit < m_app->getTextureCount(); ++unit)
        m_backdropApp->setTexture(unit, m_app->getTexture(unit));
    core::Ref<render::CompositingMode> noDepth = VORNA3D_NEW render::CompositingMode();
    if (render::CompositingMode* source = m_app->getCompositingMode()) {
        noDepth->setBlending(source->getBlending());
        noDepth->setAlphaThreshold(source->getAlphaThreshold());
        noDepth->setAlphaTest(source->getAlphaTest());
    }
    noDepth->setDepthTestEnable(false);
    noDepth->setDepthWriteEnable(false);
    m_backdropApp->setCompositingMode(noDepth.get());
    m_stonepallo->setAppearance(0, m_backdropApp.get());
}

void MyApplication::createHelix(render::Graphics3D& g3d)
{
    m_spriteTransformA.setIdentity();
    core::Ref<render::Image2D> clouds = VORNA3D_NEW render::Image2D(render::Image2D::RGBA, CLOUD_SIZE, CLOUD_SIZE);
    cloud_noise::fillClouds(*clouds);
    m_cloudTexture = makeTexture(g3d, clouds.get());
    ASSERT_MSG(m_cloudTexture, " m_cloudTexture ");
    // The clouds are only ever magnified.
    m_cloudTexture->setFiltering(render::Texture2D::FILTER_BASE_LEVEL, render::Texture2D::FILTER_LINEAR);
    m_helixSpriteA = VORNA3D_NEW render::Sprite3D(m_cloudTexture.get());
    m_helixSpriteB = VORNA3D_NEW render::Sprite3D(m_cloudTexture.get());
    createHelixSegments(m_helixSegments);
}
