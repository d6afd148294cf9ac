// The renderer's dynamic buffers on the recording back end: which buffer a
// sprite, text or line goes to (batch key, camera and its place), the one
// flush-and-retry when none takes it, flushing under the stored cameras,
// clearing, the configuration check; and the debug text and statistics
// overlay that go through them.

#include <gtest/gtest.h>

#include <string>

#include "core/Globals.h"
#include "core/MemoryManager.h"
#include "render/DynamicBuffer.h"
#include "render/text/Font2D.h"
#include "render/Graphics3D.h"
#include "render/scene/Sprite3D.h"
#include "render/text/Text3D.h"
#include "tests/render/BatchTestSupport.h"

using core::Ref;
using namespace render;
using namespace render_test;

namespace {

class DynamicBufferTest : public BatchTest {
protected:
    void SetUp() override
    {
        BatchTest::SetUp();
        Ref<Texture2D> made = texture(8, 8);
        tex = made.get();
        tex->addRef();
    }
    void TearDown() override
    {
        if (tex)
            tex->releaseRef();
        tex = nullptr;
        BatchTest::TearDown();
    }

    Ref<Sprite3D> sprite(Texture2D* t = nullptr) { return Ref<Sprite3D>(VORNA3D_NEW Sprite3D(t ? t : tex)); }
    void draw(Node* node) { g3d->render(Graphics3D::RENDER_ALL, node, Transform()); }
    int draws() const { return static_cast<int>(g3d->of(RecordingGraphics3D::DRAW).size()); }
    DynamicBuffer* buffer(int i) const { return g3d->getDynamicBuffer(i); }

    Texture2D* tex = nullptr; // held with addRef
};

class OverlayTest : public DynamicBufferTest {
protected:
    void adjust(Graphics3DConfig& config) override { config.showStatistics = true; }
};

TEST_F(DynamicBufferTest, ObjectsGoToTheFirstBufferOfTheirBatchAndCamera)
{
    ASSERT_EQ(g3d->getDynamicBufferCount(), 6);
    Ref<Sprite3D> a = sprite();
    Ref<Sprite3D> b = sprite();
    Ref<Texture2D> otherTexture = texture(4, 4);
    Ref<Sprite3D> c = sprite(otherTexture.get());
    g3d->bindTarget(nullptr);
    draw(a.get());
    draw(b.get());
    draw(c.get());
    EXPECT_EQ(buffer(0)->getBatcher()->getLiveItemCount(), 2);
    EXPECT_EQ(buffer(1)->getBatcher()->getLiveItemCount(), 1);
    EXPECT_EQ(buffer(0)->getCamera(), camera);
    EXPECT_EQ(draws(), 0); // nothing drawn before the flush

    // The same camera in another place starts a buffer of its own.
    Transform moved;
    moved.postTranslate(0.f, 0.f, 5.f);
    g3d->setCamera(camera, moved);
    draw(a.get());
    EXPECT_EQ(buffer(2)->getBatcher()->getLiveItemCount(), 1);

    g3d->setCamera(camera, Transform());
    g3d->releaseTarget();
    EXPECT_EQ(draws(), 3);
    EXPECT_EQ(g3d->getLastFrameStatistics().buffersUsed, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(buffer(i)->isInUse());
        EXPECT_TRUE(buffer(i)->getBatcher()->isEmpty());
    }
    EXPECT_EQ(g3d->getCamera(), camera);
    EXPECT_TRUE(g3d->getCameraTransform().getMatrix() == slmath::mat4());

    // clear empties the buffers: what was rendered before it is not drawn.
    g3d->calls.clear();
    g3d->bindTarget(nullptr);
    draw(a.get());
    g3d->clear(nullptr);
    EXPECT_FALSE(buffer(0)->isInUse());
    g3d->releaseTarget();
    EXPECT_EQ(draws(), 0);
}

TEST_F(DynamicBufferTest, FullPoolIsFlushedOnceAndTheObjectTakesTheFirstBuffer)
{
    Ref<Sprite3D> s = sprite();
    Ref<Camera> cameras[7];
    g3d->bindTarget(nullptr);
    for (int i = 0; i < 6; ++i) {
        cameras[i] = VORNA3D_NEW Camera();
        g3d->setCamera(cameras[i].get(), Transform());
        draw(s.get());
        EXPECT_EQ(buffer(i)->getCamera(), cameras[i].get());
    }
    EXPECT_EQ(draws(), 0);
    cameras[6] = VORNA3D_NEW Camera();
    g3d->setCamera(cameras[6].get(), Transform());
    g3d->calls.clear();
    draw(s.get());
    // Six draws, each after its own camera's projection; then the seventh
    // sprite waits in buffer 0 under the seventh camera, which is active.
    EXPECT_EQ(draws(), 6);
    EXPECT_EQ(g3d->sequence(), "PDPDPDPDPDPDP");
    EXPECT_EQ(buffer(0)->getCamera(), cameras[6].get());
    EXPECT_TRUE(buffer(0)->isInUse());
    for (int i = 1; i < 6; ++i)
        EXPECT_FALSE(buffer(i)->isInUse());
    EXPECT_EQ(g3d->getCamera(), cameras[6].get());
    EXPECT_EQ(g3d->getStatistics().buffersUsed, 6);
    g3d->releaseTarget();
    EXPECT_EQ(draws(), 7);
}

TEST_F(DynamicBufferTest, LinesTakeTheLastIdleBufferAndWhatNoBufferTakesFails)
{
    Ref<Sprite3D> s = sprite();
    g3d->bindTarget(nullptr);
    g3d->drawLine(slmath::vec3(0.f, 0.f, 0.f), slmath::vec3(10.f, 10.f, 0.f));
    g3d->drawLine(slmath::vec3(0.f, 10.f, 0.f), slmath::vec3(10.f, 0.f, 0.f), 0xFF0000FFu);
    draw(s.get());
    EXPECT_TRUE(buffer(5)->getBatcher()->isLineBatcher());
    EXPECT_EQ(buffer(5)->getBatcher()->getLiveItemCount(), 2);
    EXPECT_EQ(buffer(0)->getBatcher()->getLiveItemCount(), 1);
    // The line batch is one line list of two lines, drawn after the sprite's.
    buffer(5)->getBatcher()->updateMesh();
    EXPECT_EQ(buffer(5)->getBatcher()->getMesh()->getIndexBuffer(0)->getIndexCount(), 4);
    g3d->releaseTarget();
    ASSERT_EQ(draws(), 2);
    EXPECT_EQ(g3d->of(RecordingGraphics3D::DRAW)[1].triangles->getPrimitiveType(), IndexBuffer::LINE_LIST);

    // Every buffer a line batcher (one per camera): sprites find none, even
    // after the flush.
    Ref<Camera> cameras[6];
    g3d->bindTarget(nullptr);
    for (int i = 0; i < 6; ++i) {
        cameras[i] = VORNA3D_NEW Camera();
        g3d->setCamera(cameras[i].get(), Transform());
        g3d->drawLine(slmath::vec3(), slmath::vec3(1.f, 0.f, 0.f));
    }
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(buffer(i)->getBatcher()->isLineBatcher());
    EXPECT_EQ(assertionText([&] { draw(s.get()); }), "can not add Sprite3D to buffer");
    Ref<Font2D> font = Font2D::createNewFont();
    Ref<Text3D> text = VORNA3D_NEW Text3D(font.get());
    EXPECT_EQ(assertionText([&] { draw(text.get()); }), "can not add Text3D to buffer");
    g3d->setCamera(nullptr, Transform());
    EXPECT_EQ(assertionText([&] { g3d->drawLine(slmath::vec3(), slmath::vec3()); }),
              "can not draw a line because active camera is missing");
    g3d->releaseTarget();
}

TEST_F(DynamicBufferTest, ReservedBufferTakesItsFirstFullFrameWithoutAllocating)
{
    const auto allocations = [] { return core::MemoryManager::getMemoryInfoPtr()->getStatistics().allocationCount; };
    Ref<Sprite3D> s = sprite();
    Ref<Font2D> font = Font2D::createNewFont();
    Ref<Text3D> text = VORNA3D_NEW Text3D(font.get());
    text->setText("AB");
    g3d->reserveDynamicBuffer(0, s.get(), 50);
    g3d->reserveDynamicBuffer(1, text.get(), 20);
    Batcher* batcher = buffer(0)->getBatcher();
    EXPECT_EQ(batcher->getItemCount(), 50);
    EXPECT_TRUE(batcher->isEmpty());

    // The first frame of 50 sprites and 20 texts fits what was reserved:
    // two draws, no allocation for the items, their vectors, the mesh
    // arrays or the texture unit each batch lends its texture to.
    const int before = allocations();
    g3d->bindTarget(nullptr);
    for (int i = 0; i < 50; ++i)
        draw(s.get());
    for (int i = 0; i < 20; ++i)
        draw(text.get());
    EXPECT_EQ(batcher->getLiveItemCount(), 50);
    EXPECT_EQ(buffer(1)->getBatcher()->getLiveItemCount(), 20);
    g3d->releaseTarget();
    EXPECT_EQ(draws(), 2);
    EXPECT_EQ(allocations(), before);

    // An unreserved buffer filled the same way allocates: buffer 2 takes
    // the sprites of a second texture.
    Ref<Texture2D> second = texture(8, 8);
    Ref<Sprite3D> other = sprite(second.get());
    const int unreserved = allocations();
    g3d->bindTarget(nullptr);
    draw(s.get());
    draw(text.get());
    for (int i = 0; i < 50; ++i)
        draw(other.get());
    EXPECT_EQ(buffer(2)->getBatcher()->getLiveItemCount(), 50);
    EXPECT_GT(allocations(), unreserved);

    // Reserving more keeps what a buffer holds.
    g3d->reserveDynamicBuffer(0, s.get(), 60);
    EXPECT_EQ(batcher->getItemCount(), 60);
    EXPECT_EQ(batcher->getLiveItemCount(), 1);
    g3d->releaseTarget();
    EXPECT_EQ(draws(), 5);
}

TEST_F(DynamicBufferTest, TooFewBuffersAreAConfigurationError)
{
    Ref<RecordingGraphics3D> other = VORNA3D_NEW RecordingGraphics3D();
    Graphics3DConfig config;
    config.maxDynamicBuffers = 2;
    EXPECT_EQ(assertionText([&] { other->configGraphics3D(display, config); }),
              "Graphics3D configuration error : max_dynamic_buffers <= 2");
}

TEST_F(DynamicBufferTest, DebugTextLinesStandTenUnitsApartUnderTheDebugCamera)
{
    g3d->bindTarget(nullptr);
    g3d->drawText("ONE");
    g3d->drawText("two (lower case left out)");
    EXPECT_FLOAT_EQ(g3d->getDebugTextTransform().getMatrix()[1][3], 20.f);
    EXPECT_EQ(g3d->getCamera(), camera); // the caller's camera is kept
    Batcher* batcher = buffer(0)->getBatcher();
    EXPECT_EQ(buffer(0)->getCamera(), g3d->getCamera2DForDebugText3D());
    ASSERT_EQ(batcher->getLiveItemCount(), 2);
    EXPECT_EQ(batcher->getItem(0)->positionCoords[1], 10 * 32);
    EXPECT_EQ(batcher->getItem(1)->positionCoords[1], 20 * 32);
    // Of the second line only its four blanks are in the built-in font.
    EXPECT_EQ(batcher->getItem(1)->getVertexCount(), 4 * 4);

    // With a transform the text stands there under the active camera.
    Transform placed;
    placed.postTranslate(3.f, 4.f, 0.f);
    g3d->drawText("X", &placed);
    EXPECT_EQ(buffer(1)->getCamera(), camera);
    g3d->releaseTarget();
    // Every frame starts again from the bottom.
    EXPECT_TRUE(g3d->getDebugTextTransform().getMatrix() == slmath::mat4());
}

TEST_F(OverlayTest, OverlayDrawsThirteenLinesInOneBatchAndRestoresTheState)
{
    Ref<Sprite3D> s = sprite();
    g3d->bindTarget(nullptr);
    draw(s.get());
    g3d->releaseTarget();
    // The sprite's batch, then the overlay's.
    EXPECT_EQ(draws(), 2);
    const Graphics3D::Statistics& frame = g3d->getLastFrameStatistics();
    EXPECT_EQ(frame.buffersUsed, 1); // the overlay's own draw is not counted
    // The overlay used the first buffer again, 13 lines from y = 10 up.
    Batcher* batcher = buffer(0)->getBatcher();
    ASSERT_EQ(batcher->getItemCount(), 13);
    for (int line = 0; line < 13; ++line)
        EXPECT_EQ(batcher->getItem(line)->positionCoords[1], (line + 1) * 10 * 32) << "line " << line;
    EXPECT_STREQ(g3d->getDebugText3D()->getText().getASCII(), "SHADER UNIFORMS : 0");
    EXPECT_EQ(g3d->getCamera(), camera);
    EXPECT_TRUE(g3d->isLightingEnabled());
    EXPECT_EQ(g3d->getStatistics().buffersUsed, 0); // zeroed after the overlay
    EXPECT_EQ(g3d->getFrameCount(), 1);
}

} // namespace
