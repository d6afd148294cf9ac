// The shared scene files load into the scene graphs they describe. The
// expected structure comes from reading the files' records by hand (a small
// Python dump of the sections and records, cross-checked with the record
// layouts): roots, children, vertex counts and image formats.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "core/MemoryStream.h"

#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/appearance/Image2D.h"
#include "render/scene/Light.h"
#include "render/appearance/Material.h"
#include "render/scene/Mesh.h"
#include "render/appearance/PolygonMode.h"
#include "render/scene/SkinnedMesh.h"
#include "render/appearance/Texture2D.h"
#include "render/geometry/TriangleStripArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "render/loaders/m3g/M3G_ObjectTypes.h"
#include "render/loaders/m3g/M3G_Writer.h"
#include "render/scene/World.h"
#include "tests/render/loaders/m3g/M3GTestSupport.h"

using namespace m3g_test;
using namespace render;

namespace {

class M3GTestFilesTest : public M3GTest {
protected:
    // Loads a shared test file by its bytes; skips the test when it is absent.
    core::Vector<core::Ref<Object3D>> loadShared(const char* name)
    {
        const std::filesystem::path path = testData() / name;
        if (!std::filesystem::exists(path))
            return {};
        return loadBytes(readFile(path), name);
    }
};

// Whether two scenes have the same objects: the same classes, IDs and
// names, the same vertex values, indices and pixels, and the same
// references, compared depth first.
::testing::AssertionResult sameScene(Object3D* a, Object3D* b)
{
    if (std::string(getM3GClassName(a)) != getM3GClassName(b))
        return ::testing::AssertionFailure() << getM3GClassName(a) << " vs " << getM3GClassName(b);
    if (a->getUserID() != b->getUserID() || !(a->getName() == b->getName()))
        return ::testing::AssertionFailure() << getM3GClassName(a) << ": user ID or name differ";
    if (VertexArray* va = dynamic_cast<VertexArray*>(a)) {
        VertexArray* vb = static_cast<VertexArray*>(b);
        const int n = va->getVertexCount() * va->getComponentCount() * va->getComponentType();
        if (vb->getVertexCount() != va->getVertexCount() || vb->getComponentCount() != va->getComponentCount() ||
            vb->getComponentType() != va->getComponentType() || std::memcmp(va->getPtr(), vb->getPtr(), size_t(n)) != 0)
            return ::testing::AssertionFailure() << "vertex arrays differ";
    }
    if (IndexBuffer* ia = dynamic_cast<IndexBuffer*>(a)) {
        IndexBuffer* ib = static_cast<IndexBuffer*>(b);
        if (ia->getIndexCount() != ib->getIndexCount() ||
            std::memcmp(ia->getPtr(), ib->getPtr(), sizeof(unsigned short) * size_t(ia->getIndexCount())) != 0)
            return ::testing::AssertionFailure() << "index buffers differ";
    }
    if (Image2D* ia = dynamic_cast<Image2D*>(a)) {
        Image2D* ib = static_cast<Image2D*>(b);
        if (ia->getFormat() != ib->getFormat() || ia->getPixelBlockSize() != ib->getPixelBlockSize() ||
            std::memcmp(ia->getPixels(), ib->getPixels(), size_t(ia->getPixelBlockSize())) != 0)
            return ::testing::AssertionFailure() << "images differ";
    }
    core::Vector<Object3D*> refsA, refsB;
    a->getReferences(&refsA);
    b->getReferences(&refsB);
    if (refsA.size() != refsB.size())
        return ::testing::AssertionFailure()
            << getM3GClassName(a) << ": " << refsA.size() << " vs " << refsB.size() << " references";
    for (int i = 0; i < refsA.size(); ++i) {
        ::testing::AssertionResult same = sameScene(refsA[i], refsB[i]);
        if (!same)
            return same << " (in " << getM3GClassName(a) << ")";
    }
    return ::testing::AssertionSuccess();
}

template <class T> T* as(Object3D* object)
{
    T* typed = dynamic_cast<T*>(object);
    EXPECT_NE(typed, nullptr);
    return typed;
}

} // namespace

TEST_F(M3GTestFilesTest, SimpleFileIsOneWorldWithCameraMeshAndLight)
{
    if (!std::filesystem::exists(testData() / "simple.m3g"))
        GTEST_SKIP() << "simple.m3g not present";
    core::Vector<core::Ref<Object3D>> roots = loadShared("simple.m3g");
    ASSERT_EQ(roots.size(), 1);
    World* world = as<World>(roots[0].get());
    ASSERT_TRUE(world);
    // World record: children 11 (mesh), 12 (light), 2 (camera); camera 2, background 3.
    ASSERT_EQ(world->getChildCount(), 3);
    Mesh* mesh = as<Mesh>(world->getChild(0));
    Light* light = as<Light>(world->getChild(1));
    Camera* camera = as<Camera>(world->getChild(2));
    ASSERT_TRUE(camera && mesh && light);
    EXPECT_EQ(world->getActiveCamera(), camera);
    ASSERT_TRUE(world->getBackground());
    // Background colour bytes 0E 38 66 00 (RGBA).
    EXPECT_EQ(world->getBackground()->getColor(), 0x000E3866u);

    // The camera is perspective: fovy 60, aspect 4/3, near 0.1, far 100.
    float params[4];
    EXPECT_EQ(camera->getProjection(params), Camera::PERSPECTIVE);
    EXPECT_FLOAT_EQ(params[0], 60.f);
    EXPECT_FLOAT_EQ(params[1], 4.f / 3.f);
    EXPECT_FLOAT_EQ(params[2], 0.1f);
    EXPECT_FLOAT_EQ(params[3], 100.f);

    // A cube: 24 vertices (positions in shorts, normals in bytes), six strips of 4.
    VertexBuffer* vb = mesh->getVertexBuffer();
    EXPECT_EQ(vb->getVertexCount(), 24);
    EXPECT_EQ(vb->getPositions()->getComponentType(), 2);
    EXPECT_EQ(vb->getNormals()->getComponentType(), 1);
    ASSERT_EQ(mesh->getSubmeshCount(), 1);
    core::Vector<unsigned short> indices;
    core::Vector<int> lengths;
    as<TriangleStripArray>(mesh->getIndexBuffer(0))->getTriangleStrips(indices, lengths);
    EXPECT_EQ(lengths.size(), 6);
    EXPECT_EQ(indices.size(), 24);
    Appearance* appearance = mesh->getAppearance(0);
    ASSERT_TRUE(appearance);
    EXPECT_TRUE(appearance->getMaterial());
    EXPECT_TRUE(appearance->getPolygonMode());
    EXPECT_EQ(light->getMode(), Light::OMNI);
}

TEST_F(M3GTestFilesTest, KituneMikoHasAnUnreferencedMaterialAndATexturedMesh)
{
    if (!std::filesystem::exists(testData() / "kitune-miko.m3g"))
        GTEST_SKIP() << "kitune-miko.m3g not present";
    core::Vector<core::Ref<Object3D>> roots = loadShared("kitune-miko.m3g");
    // Material 6 is referred to by nothing; everything else hangs off the world.
    ASSERT_EQ(roots.size(), 2);
    EXPECT_TRUE(as<Material>(roots[0].get()));
    World* world = as<World>(roots[1].get());
    ASSERT_TRUE(world);
    Mesh* mesh = nullptr;
    int lights = 0;
    for (int i = 0; i < world->getChildCount(); ++i) {
        if (Mesh* m = dynamic_cast<Mesh*>(world->getChild(i)))
            mesh = m;
        lights += dynamic_cast<Light*>(world->getChild(i)) ? 1 : 0;
    }
    EXPECT_EQ(lights, 2);
    ASSERT_TRUE(mesh);
    // 3176 vertices, 14 submeshes (one per strip array and appearance pair).
    EXPECT_EQ(mesh->getVertexBuffer()->getVertexCount(), 3176);
    EXPECT_EQ(mesh->getSubmeshCount(), 14);
    // Texture coordinates: 2 components of 16 bits.
    ASSERT_GE(mesh->getVertexBuffer()->getTexCoordCount(), 1);
    VertexArray* uv = mesh->getVertexBuffer()->getTexCoords(0, nullptr);
    ASSERT_TRUE(uv);
    EXPECT_EQ(uv->getComponentCount(), 2);
    // The first submesh's texture shows the 512 x 512 RGB image.
    Texture2D* texture = mesh->getAppearance(0)->getTexture(0);
    ASSERT_TRUE(texture);
    Image2D* image = texture->getImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), Image2D::RGB);
    EXPECT_EQ(image->getWidth(), 512);
    EXPECT_EQ(image->getHeight(), 512);
    EXPECT_FALSE(image->isMutable());
}

TEST_F(M3GTestFilesTest, AnimatedFileLoadsWithItsSkinnedMesh)
{
    if (!std::filesystem::exists(testData() / "test.m3g"))
        GTEST_SKIP() << "test.m3g not present";
    // The last object (142) is the world: children 140 (a group holding the
    // skinned mesh), 21 (camera) and 22 (light). Animation is tested in
    // M3GAnimationFileTest.cpp.
    core::Vector<core::Ref<Object3D>> roots = loadShared("test.m3g");
    ASSERT_EQ(roots.size(), 1);
    World* world = as<World>(roots[0].get());
    ASSERT_TRUE(world);
    ASSERT_EQ(world->getChildCount(), 3);
    Group* holder = as<Group>(world->getChild(0));
    ASSERT_TRUE(holder && holder->getChildCount() == 1);
    EXPECT_TRUE(as<SkinnedMesh>(holder->getChild(0)));
}

TEST_F(M3GTestFilesTest, SharedFilesComeBackTheSameThroughTheWriter)
{
    for (const char* name : {"simple.m3g", "kitune-miko.m3g"}) {
        SCOPED_TRACE(name);
        if (!std::filesystem::exists(testData() / name))
            continue;
        core::Vector<core::Ref<Object3D>> roots = loadShared(name);
        for (bool compress : {false, true}) {
            M3G_Writer::Options options;
            options.compress = compress;
            core::Ref<core::MemoryStream> out = VORNA3D_NEW core::MemoryStream();
            M3G_Writer::save(out.get(), roots, options);
            const Bytes written(out->getData(), out->getData() + out->getSize());
            core::Vector<core::Ref<Object3D>> again = loadBytes(written, "written.m3g");
            ASSERT_EQ(again.size(), roots.size());
            for (int i = 0; i < roots.size(); ++i)
                EXPECT_TRUE(sameScene(roots[i].get(), again[i].get()));
        }
    }
}
