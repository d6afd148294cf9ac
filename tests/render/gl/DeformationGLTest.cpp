// Skinned and morphing meshes through the OpenGL renderer: the deformed
// positions are what GL draws. White squares (a mesh without appearance is
// drawn white) on black, seen by the renderer's 2D camera (one unit per
// pixel, y up); the expected places follow from the bone's translation and
// the morph target's offset.

#include <gtest/gtest.h>

#include "core/Ref.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/scene/Group.h"
#include "render/scene/MorphingMesh.h"
#include "render/OGLES/OGLES1_Graphics3D.h"
#include "render/scene/SkinnedMesh.h"
#include "render/geometry/TriangleListArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "tests/render/gl/GLTestSupport.h"

using core::Ref;
using namespace render;
using render_gl_test::Frame;
using render_gl_test::regionNear;
using render_gl_test::Rgba;

namespace {

constexpr int W = 64;
constexpr int H = 48;
const Rgba WHITE{255, 255, 255, 255};
const Rgba BLACK{0, 0, 0, 255};

class DeformationGLTest : public render_gl_test::RendererGLTest {
protected:
    // A 16 x 16 square with its lower left corner at (x, y).
    static Ref<VertexBuffer> square(short x, short y)
    {
        Ref<VertexArray> positions = VORNA3D_NEW VertexArray(4, 3, 2, 0);
        const short xyz[] = {x, y, 0, short(x + 16), y, 0, short(x + 16), short(y + 16), 0, x, short(y + 16), 0};
        positions->set(4, xyz);
        Ref<VertexBuffer> vertices = VORNA3D_NEW VertexBuffer();
        vertices->setPositions(positions.get(), 1.f, nullptr);
        return vertices;
    }

    static Ref<IndexBuffer> quad()
    {
        const unsigned short indices[] = {0, 1, 2, 0, 2, 3};
        return Ref<IndexBuffer>(VORNA3D_NEW TriangleListArray(indices, 6));
    }

    // Draws `node` on black and reads the frame back (rows from the top).
    Frame draw(Node* node)
    {
        Ref<Background> background = VORNA3D_NEW Background();
        background->setColor(0xFF000000u);
        g3d->setCamera(g3d->getCamera2DForBackground(), Transform());
        g3d->bindTarget(nullptr);
        g3d->clear(background.get());
        g3d->render(Graphics3D::RENDER_ALL, node, Transform());
        Frame pixels = render_gl_test::readFrame(W, H);
        g3d->releaseTarget();
        return pixels;
    }
};

} // namespace

TEST_F(DeformationGLTest, SkinnedSquareIsDrawnWhereItsBoneTookIt)
{
    // The square at (4, 4), bound to one bone; the bone moves by (36, 24):
    // the square covers x 40..56 and y 28..44 (rows 4..20 from the top).
    Ref<Group> skeleton = VORNA3D_NEW Group();
    Ref<Group> bone = VORNA3D_NEW Group();
    skeleton->addChild(bone.get());
    Ref<SkinnedMesh> mesh = VORNA3D_NEW SkinnedMesh(square(4, 4).get(), quad().get(), nullptr, skeleton.get());
    mesh->addTransform(bone.get(), 1, 0, 4);

    mesh->animate(0);
    Frame rest = draw(mesh.get());
    EXPECT_TRUE(regionNear(rest, 5, H - 19, 19, H - 5, WHITE, 0));
    EXPECT_TRUE(regionNear(rest, 41, 5, 55, 19, BLACK, 0));

    bone->setTranslation(36.f, 24.f, 0.f);
    mesh->animate(0);
    Frame moved = draw(mesh.get());
    EXPECT_TRUE(regionNear(moved, 41, 5, 55, 19, WHITE, 0));
    EXPECT_TRUE(regionNear(moved, 5, H - 19, 19, H - 5, BLACK, 0));
}

TEST_F(DeformationGLTest, MorphedSquareIsDrawnAtTheBlend)
{
    // Base at (4, 4), target at (44, 28): weight 1 draws the target's
    // square, weight 0.5 the one halfway, at (24, 16).
    Ref<VertexBuffer> base = square(4, 4);
    core::Vector<Ref<VertexBuffer>> targets;
    targets.add(square(44, 28));
    Ref<MorphingMesh> mesh = VORNA3D_NEW MorphingMesh(base.get(), quad().get(), nullptr, targets);
    const float one = 1.f, half = 0.5f;

    mesh->setWeights(&one, 1);
    Frame full = draw(mesh.get());
    EXPECT_TRUE(regionNear(full, 45, H - 43, 59, H - 29, WHITE, 0));
    EXPECT_TRUE(regionNear(full, 5, H - 19, 19, H - 5, BLACK, 0));

    mesh->setWeights(&half, 1);
    Frame middle = draw(mesh.get());
    EXPECT_TRUE(regionNear(middle, 25, H - 31, 39, H - 17, WHITE, 0));
    EXPECT_TRUE(regionNear(middle, 45, H - 43, 59, H - 33, BLACK, 0));
}
