// A steady scene through the OpenGL renderer allocates nothing from the
// pool: the memory manager's allocation count is the same after frame 20
// as before frame 10. The scene uses what a frame can touch: a World with
// a background image (padded), lights reset and added every frame plus the
// camera light, a lit, textured, fogged and turning mesh drawn also with
// the outline pass, a screen rectangle, the FPS bookkeeping.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include "core/MemoryManager.h"
#include "core/Ref.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/appearance/CompositingMode.h"
#include "render/appearance/Fog.h"
#include "render/appearance/Image2D.h"
#include "render/scene/Light.h"
#include "render/appearance/Material.h"
#include "render/scene/Mesh.h"
#include "render/OGLES/OGLES1_Graphics3D.h"
#include "render/appearance/PolygonMode.h"
#include "render/appearance/Texture2D.h"
#include "render/geometry/TriangleListArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "render/scene/World.h"
#include "tests/render/gl/GLTestSupport.h"

using core::Ref;
using namespace render;

namespace {

class SteadyFrameGLTest : public render_gl_test::RendererGLTest {
protected:
    void configureGraphics(Graphics3DConfig& config) override
    {
        // The per-frame paths on: camera light, FPS counting.
        config.showStatistics = true;
        config.printFps = true;
        config.cameraLight = true;
    }
};

int allocations()
{
    return core::MemoryManager::getMemoryInfoPtr()->getStatistics().allocationCount;
}

Ref<Image2D> image(int format, int width, int height)
{
    Ref<Image2D> result = VORNA3D_NEW Image2D(format, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            result->setPixel(x, y, ((x + y) & 1) ? 0xFF8040FFu : 0x2040A0FFu);
    return result;
}

TEST_F(SteadyFrameGLTest, FramesTenToTwentyAllocateNothing)
{
    // A square with normals and texture coordinates (8-bit, widened in the first frame).
    Ref<VertexArray> positions = VORNA3D_NEW VertexArray(4, 3, 1, 0);
    const char xyz[] = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
    positions->set(4, xyz);
    Ref<VertexArray> normals = VORNA3D_NEW VertexArray(4, 3, 1, 0);
    const char up[] = {0, 0, 127, 0, 0, 127, 0, 0, 127, 0, 0, 127};
    normals->set(4, up);
    Ref<VertexArray> texCoords = VORNA3D_NEW VertexArray(4, 2, 1, 0);
    const char st[] = {0, 1, 1, 1, 1, 0, 0, 0};
    texCoords->set(4, st);
    Ref<VertexBuffer> vertices = VORNA3D_NEW VertexBuffer();
    vertices->setPositions(positions.get(), 1.f, nullptr);
    vertices->setNormals(normals.get());
    vertices->setTexCoords(0, texCoords.get(), 1.f, nullptr);
    const unsigned short quad[] = {0, 1, 2, 0, 2, 3};
    Ref<IndexBuffer> indices = VORNA3D_NEW TriangleListArray(quad, 6);

    Ref<Texture2D> texture = g3d->createNewTexture(0, 0);
    Ref<Image2D> checker = image(Image2D::RGBA, 8, 8);
    texture->setImage(checker.get());
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    Ref<Material> material = VORNA3D_NEW Material();
    Ref<Fog> fog = VORNA3D_NEW Fog();
    fog->setLinear(1.f, 50.f);
    Ref<PolygonMode> polygon = VORNA3D_NEW PolygonMode();
    polygon->setCulling(PolygonMode::CULL_NONE);
    Ref<CompositingMode> compositing = VORNA3D_NEW CompositingMode();
    compositing->setBlending(CompositingMode::ALPHA);
    appearance->setMaterial(material.get());
    appearance->setFog(fog.get());
    appearance->setPolygonMode(polygon.get());
    appearance->setCompositingMode(compositing.get());
    appearance->setTexture(0, texture.get());
    Ref<Mesh> mesh = VORNA3D_NEW Mesh(vertices.get(), indices.get(), appearance.get());
    mesh->setTranslation(0.f, 0.f, -4.f);

    Ref<Camera> camera = VORNA3D_NEW Camera();
    camera->setPerspective(60.f, float(kWidth) / float(kHeight), 1.f, 100.f);
    Ref<Light> sun = VORNA3D_NEW Light();
    sun->setOrientation(-30.f, 1.f, 0.f, 0.f);
    Ref<Background> background = VORNA3D_NEW Background();
    Ref<Image2D> backgroundImage = image(Image2D::RGB, 20, 10); // padded to 32 x 16
    background->setImage(backgroundImage.get());
    Ref<World> world = VORNA3D_NEW World();
    world->addChild(camera.get());
    world->addChild(sun.get());
    world->addChild(mesh.get());
    world->setActiveCamera(camera.get());
    world->setBackground(background.get());

    int before = 0;
    for (int frame = 1; frame <= 20; ++frame) {
        if (frame == 10)
            before = allocations();
        mesh->setOrientation(float(frame) * 7.f, 0.f, 1.f, 0.f);
        g3d->bindTarget(nullptr);
        g3d->render(Graphics3D::RENDER_ALL, world.get(), Transform());
        Transform placed;
        mesh->getCompositeTransform(&placed);
        g3d->render(Graphics3D::RENDER_ALL | Graphics3D::RENDER_FLAG_OUTLINE, mesh.get(), placed);
        g3d->rect(slmath::vec2(1.f, 0.f), slmath::vec2(0.75f, 0.25f), texture.get());
        g3d->releaseTarget();
    }
    EXPECT_EQ(allocations(), before);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(g3d->getFrameCount(), 20);
    // The camera light joined the world's light.
    EXPECT_EQ(g3d->getLightCount(), 2);
}

} // namespace
