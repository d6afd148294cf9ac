// The baked scene files, loaded through the engine's loader from the
// mounted archive: the worlds and child indices the demo reads, and the
// meshes' data and sizes.

#include <gtest/gtest.h>

#include "Assets.h"
#include "BakedArchive.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Camera.h"
#include "render/appearance/Image2D.h"
#include "render/geometry/IndexBuffer.h"
#include "render/appearance/Material.h"
#include "render/scene/Mesh.h"
#include "render/appearance/PolygonMode.h"
#include "render/appearance/Texture2D.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "render/scene/World.h"

namespace bake_test {

namespace {

// The one root of a scene file, which must be a World.
core::Ref<render::World> worldOf(const core::Vector<core::Ref<render::Object3D>>& objects, const char* name)
{
    EXPECT_EQ(objects.size(), 1) << name << ": every object must hang under the world";
    core::Ref<render::World> world;
    if (objects.size() > 0)
        world = dynamic_cast<render::World*>(objects[0].get());
    EXPECT_TRUE(world) << name << ": the first object is not a World";
    return world;
}

render::Mesh* meshAt(render::World& world, int index)
{
    if (index >= world.getChildCount())
        return nullptr;
    return dynamic_cast<render::Mesh*>(world.getChild(index));
}

// What the demo needs of every mesh: 16-bit positions with normals, one
// triangle-strip submesh with an appearance.
void expectDrawableMesh(render::Mesh& mesh, const char* what)
{
    render::VertexBuffer* vb = mesh.getVertexBuffer();
    ASSERT_TRUE(vb) << what;
    ASSERT_TRUE(vb->getPositions()) << what;
    EXPECT_EQ(vb->getPositions()->getComponentType(), 2) << what << ": positions are not 16-bit";
    EXPECT_TRUE(vb->getNormals()) << what;
    ASSERT_EQ(mesh.getSubmeshCount(), 1) << what;
    EXPECT_EQ(mesh.getIndexBuffer(0)->getPrimitiveType(), render::IndexBuffer::TRIANGLE_STRIP) << what;
    EXPECT_GT(mesh.getIndexBuffer(0)->getIndexCount(), 100) << what;
    ASSERT_TRUE(mesh.getAppearance(0)) << what;
    EXPECT_TRUE(mesh.getAppearance(0)->getMaterial()) << what;
}

bool hasTexCoords(render::Mesh& mesh)
{
    render::VertexBuffer* vb = mesh.getVertexBuffer();
    return vb->getTexCoordCount() > 0 && vb->getTexCoords(0, nullptr) != nullptr;
}

void boundsOf(render::Mesh& mesh, slmath::vec3& min, slmath::vec3& max)
{
    mesh.getBoundingBox(&min, &max, nullptr);
}

// The compression byte of every section of a scene file (after the
// 12-byte identifier, each section starts with it, then its total length).
std::vector<int> sectionSchemes(const std::string& file)
{
    std::vector<int> schemes;
    size_t at = 12;
    while (at + 5 <= file.size()) {
        schemes.push_back(static_cast<unsigned char>(file[at]));
        const uint32_t total = static_cast<unsigned char>(file[at + 1]) |
            (static_cast<unsigned char>(file[at + 2]) << 8) | (static_cast<unsigned char>(file[at + 3]) << 16) |
            (static_cast<uint32_t>(static_cast<unsigned char>(file[at + 4])) << 24);
        if (total == 0)
            break;
        at += total;
    }
    return schemes;
}

} // namespace

TEST_F(BakedArchiveTest, DemoBallSceneHasTwoBallMeshesAtChildrenZeroAndTwo)
{
    core::Ref<render::World> world = worldOf(load(bake::DEMOBALL_SCENE), bake::DEMOBALL_SCENE);
    ASSERT_TRUE(world);
    ASSERT_GE(world->getChildCount(), 3);
    for (int index : {0, 2}) {
        render::Mesh* ball = meshAt(*world, index);
        ASSERT_TRUE(ball) << "child " << index << " is not a Mesh";
        expectDrawableMesh(*ball, "demo ball");
        EXPECT_TRUE(hasTexCoords(*ball)) << "child " << index << ": the plasma needs texture coordinates";
        slmath::vec3 min, max;
        boundsOf(*ball, min, max);
        EXPECT_NEAR(max.x, 40.f, 0.5f);
        EXPECT_NEAR(min.y, -40.f, 0.5f);
        EXPECT_NEAR(max.z - min.z, 80.f, 1.f);
    }
    EXPECT_TRUE(dynamic_cast<render::Camera*>(world->getChild(1)));
}

TEST_F(BakedArchiveTest, StoneBallSceneIsABackdropSeenFromInside)
{
    core::Ref<render::World> world = worldOf(load(bake::STONEBALL_SCENE), bake::STONEBALL_SCENE);
    ASSERT_TRUE(world);
    render::Mesh* backdrop = meshAt(*world, 0);
    ASSERT_TRUE(backdrop);
    expectDrawableMesh(*backdrop, "stone ball");
    EXPECT_TRUE(hasTexCoords(*backdrop));
    render::PolygonMode* polygons = backdrop->getAppearance(0)->getPolygonMode();
    ASSERT_TRUE(polygons);
    EXPECT_EQ(polygons->getCulling(), render::PolygonMode::CULL_NONE);
    slmath::vec3 min, max;
    boundsOf(*backdrop, min, max);
    EXPECT_NEAR(max.x, 115.f, 1.f);
    EXPECT_NEAR(min.z, -115.f, 1.f);
    // Scaled by 4.1 it encloses the camera at z 400 with room to spare,
    // inside the far plane of 1000.
    EXPECT_GT(max.z * 4.1f, 400.f);
    EXPECT_LT(max.z * 4.1f + 400.f, 1000.f);
    // Normals point to the centre.
    render::VertexBuffer* vb = backdrop->getVertexBuffer();
    const int count = vb->getPositions()->getVertexCount();
    std::vector<short> p(static_cast<size_t>(count) * 3), n(static_cast<size_t>(count) * 3);
    vb->getPositions()->get(0, count, p.data());
    vb->getNormals()->get(0, count, n.data());
    for (int i = 0; i < count; ++i)
        ASSERT_LT(p[i * 3] * n[i * 3] + p[i * 3 + 1] * n[i * 3 + 1] + p[i * 3 + 2] * n[i * 3 + 2], 0) << "vertex " << i;
}

TEST_F(BakedArchiveTest, HelixSceneHasALitColouredBarAtChildOne)
{
    core::Ref<render::World> world = worldOf(load(bake::HELIX_SCENE), bake::HELIX_SCENE);
    ASSERT_TRUE(world);
    render::Mesh* bar = meshAt(*world, 1);
    ASSERT_TRUE(bar);
    expectDrawableMesh(*bar, "helix bar");
    EXPECT_TRUE(bar->getVertexBuffer()->getColors());
    EXPECT_TRUE(bar->getAppearance(0)->getMaterial()->isVertexColorTrackingEnabled());
    slmath::vec3 min, max;
    boundsOf(*bar, min, max);
    EXPECT_NEAR(max.x - min.x, 120.f, 0.5f);
    EXPECT_NEAR(max.y - min.y, 12.f, 0.5f);
    EXPECT_NEAR(max.z - min.z, 12.f, 0.5f);
    EXPECT_NEAR(min.x + max.x, 0.f, 0.5f);
}

TEST_F(BakedArchiveTest, LogoSceneHasTexturedLettersStandingOnTheMirrorLine)
{
    core::Ref<render::World> world = worldOf(load(bake::LOGO_SCENE), bake::LOGO_SCENE);
    ASSERT_TRUE(world);
    render::Mesh* letters = meshAt(*world, 1);
    ASSERT_TRUE(letters);
    expectDrawableMesh(*letters, "logo");
    EXPECT_TRUE(hasTexCoords(*letters));
    slmath::vec3 min, max;
    boundsOf(*letters, min, max);
    EXPECT_NEAR(max.x - min.x, 100.f, 0.5f);
    EXPECT_NEAR(min.x + max.x, 0.f, 0.1f);
    EXPECT_NEAR(min.z + max.z, 0.f, 0.1f);
    EXPECT_NEAR(min.y, 0.f, 0.05f); // above y = 0: the mirrored copy goes below
    EXPECT_GT(max.y, 20.f);
    // The embedded texture: an immutable RGBA image.
    render::Texture2D* texture = letters->getAppearance(0)->getTexture(0);
    ASSERT_TRUE(texture);
    render::Image2D* image = texture->getImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), render::Image2D::RGBA);
    EXPECT_FALSE(image->isMutable());
    EXPECT_EQ(image->getWidth(), 256);
    EXPECT_EQ(image->getHeight(), 256);
}

TEST_F(BakedArchiveTest, SceneFilesUseBothPlainAndCompressedSections)
{
    bool compressed = false, plainObjects = false;
    for (const char* name : {bake::DEMOBALL_SCENE, bake::STONEBALL_SCENE, bake::HELIX_SCENE, bake::LOGO_SCENE}) {
        const std::vector<int> schemes = sectionSchemes(readFile(name));
        ASSERT_GE(schemes.size(), 2u) << name;
        EXPECT_EQ(schemes[0], 0) << name << ": the header section is never compressed";
        for (size_t i = 1; i < schemes.size(); ++i) {
            EXPECT_TRUE(schemes[i] == 0 || schemes[i] == 1) << name;
            compressed |= schemes[i] == 1;
            plainObjects |= schemes[i] == 0;
        }
    }
    EXPECT_TRUE(compressed);
    EXPECT_TRUE(plainObjects);
}

} // namespace bake_test
