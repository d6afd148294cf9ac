// Textures without a GL context: power-of-two sizes, the padded size and
// texture scale, the unit-state setters and their checks, the GL filter and
// format tables, and the upload buffer's padding and palette expansion.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "HAL/GL.h"

#include "core/MemoryManager.h"
#include "render/appearance/Image2D.h"
#include "render/appearance/Image2D_Helpers.h"
#include "render/OGLES/OGLES1_Texture2D.h"
#include "render/OGLES/TextureUploadBuffer.h"
#include "render/RenderTarget.h"
#include "render/appearance/Texture2D.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/EngineTest.h"

using core::Ref;
using render::Image2D;
using render::OGLES1_Texture2D;
using render::Texture2D;
using render::TextureUploadBuffer;
using render_test::failsWith;

namespace {

class TextureTest : public testing_support::EngineTest { };

int allocationCount()
{
    return core::MemoryManager::getMemoryInfoPtr()->getStatistics().allocationCount;
}

std::vector<unsigned char> block(const unsigned char* data, size_t bytes)
{
    return std::vector<unsigned char>(data, data + bytes);
}

// The message of the plain engine exception `action` throws ("" when none).
template <class F> std::string engineFailure(F action)
{
    try {
        action();
    } catch (const AssertationFailedException&) {
        return "(assertion)";
    } catch (const Vorna3DException& e) {
        return e.getMessage() ? e.getMessage() : "";
    }
    return "";
}

} // namespace

TEST_F(TextureTest, NextPowerOfTwo)
{
    using render::Image2D_Helpers::getNextPowerOfTwo;
    EXPECT_EQ(getNextPowerOfTwo(1), 1);
    EXPECT_EQ(getNextPowerOfTwo(2), 2);
    EXPECT_EQ(getNextPowerOfTwo(3), 4);
    EXPECT_EQ(getNextPowerOfTwo(100), 128);
    EXPECT_EQ(getNextPowerOfTwo(256), 256);
    EXPECT_EQ(getNextPowerOfTwo(257), 512);
    EXPECT_EQ(getNextPowerOfTwo(1 << 30), 1 << 30);
    const char* fn = "render::Image2D_Helpers::getNextPowerOfTwo";
    EXPECT_TRUE(failsWith([] { getNextPowerOfTwo(0); }, "getNextPowerOfTwo failed because of invalid parameter", fn));
    EXPECT_TRUE(failsWith([] { getNextPowerOfTwo(-7); }, "getNextPowerOfTwo failed because of invalid parameter", fn));
    EXPECT_TRUE(failsWith([] { getNextPowerOfTwo((1 << 30) + 1); },
                          "getNextPowerOfTwo failed because can not find good value", fn));
}

TEST_F(TextureTest, ImageSizePaddingAndScale)
{
    Ref<Texture2D> texture = VORNA3D_NEW Texture2D(nullptr);
    EXPECT_TRUE(failsWith([&] { texture->getWidth(); }, " m_width > 0 ", "render::Texture2D::getWidth"));
    EXPECT_TRUE(failsWith([&] { texture->getHeight(); }, " m_height > 0 ", "render::Texture2D::getHeight"));
    EXPECT_EQ(texture->getPaddedWidth(), -1);
    EXPECT_EQ(texture->getFormat(), 0);

    // 256 x 100 pads to 256 x 128: coordinates 0..1 must reach row 99 only,
    // so t is scaled by 100 / 128 = 0.78125.
    Ref<Image2D> wide = VORNA3D_NEW Image2D(Image2D::RGB, 256, 100);
    texture->setImage(wide.get());
    EXPECT_EQ(texture->getImage(), wide.get());
    EXPECT_EQ(texture->getWidth(), 256);
    EXPECT_EQ(texture->getHeight(), 100);
    EXPECT_EQ(texture->getPaddedWidth(), 256);
    EXPECT_EQ(texture->getPaddedHeight(), 128);
    EXPECT_EQ(texture->getFormat(), Image2D::RGB);
    EXPECT_FLOAT_EQ(texture->getScale().x, 1.f);
    EXPECT_FLOAT_EQ(texture->getScale().y, 0.78125f);
    EXPECT_FLOAT_EQ(texture->getScale().z, 1.f);

    // A power-of-two image afterwards must not keep the old padding scale.
    Ref<Image2D> square = VORNA3D_NEW Image2D(Image2D::RGBA, 64, 64);
    texture->setImage(square.get());
    EXPECT_FLOAT_EQ(texture->getScale().y, 1.f);
    EXPECT_EQ(texture->getFormat(), Image2D::RGBA);

    // A scale the application set survives a power-of-two image.
    Ref<Texture2D> tiled = VORNA3D_NEW Texture2D(nullptr);
    tiled->setScale(4.f, 4.f, 1.f);
    tiled->setImage(square.get());
    EXPECT_FLOAT_EQ(tiled->getScale().x, 4.f);

    // Null drops the image; the sizes of the built texture stay.
    texture->setImage(nullptr);
    EXPECT_EQ(texture->getImage(), nullptr);
    EXPECT_EQ(texture->getWidth(), 64);
    EXPECT_EQ(wide->getNumOfRefs(), 1);
}

TEST_F(TextureTest, UnitStateSettersCheckTheirValues)
{
    Ref<Texture2D> texture = VORNA3D_NEW Texture2D(nullptr);
    EXPECT_EQ(texture->getBlending(), Texture2D::FUNC_MODULATE);
    EXPECT_EQ(texture->getBlendColor(), 0u);
    EXPECT_EQ(texture->getWrappingS(), Texture2D::WRAP_REPEAT);
    EXPECT_EQ(texture->getWrappingT(), Texture2D::WRAP_REPEAT);
    EXPECT_EQ(texture->getLevelFilter(), Texture2D::FILTER_LINEAR);
    EXPECT_EQ(texture->getImageFilter(), Texture2D::FILTER_LINEAR);

    // The blend colour is RGB: 0xFF000000 and above are refused, compared
    // as unsigned (as signed they would pass as negative numbers).
    const char* colorText = "setBlendColor color value is invalid (use RGB)";
    EXPECT_TRUE(failsWith([&] { texture->setBlendColor(0xFF000000u); }, colorText, "render::Texture2D::setBlendColor"));
    EXPECT_TRUE(failsWith([&] { texture->setBlendColor(0xFFFFFFFFu); }, colorText, "render::Texture2D::setBlendColor"));
    EXPECT_EQ(texture->getBlendColor(), 0u);
    texture->setBlendColor(0xFE000000u);
    EXPECT_EQ(texture->getBlendColor(), 0xFE000000u);
    texture->setBlendColor(0x00FFFFFFu);
    EXPECT_EQ(texture->getBlendColor(), 0x00FFFFFFu);

    texture->setBlending(Texture2D::FUNC_KEEP);
    EXPECT_EQ(texture->getBlending(), 229);
    EXPECT_TRUE(
        failsWith([&] { texture->setBlending(223); }, "IllegalArgumentException", "render::Texture2D::setBlending"));
    EXPECT_TRUE(
        failsWith([&] { texture->setBlending(230); }, "IllegalArgumentException", "render::Texture2D::setBlending"));
    EXPECT_EQ(texture->getBlending(), 229);

    texture->setWrapping(Texture2D::WRAP_CLAMP, Texture2D::WRAP_REPEAT);
    EXPECT_EQ(texture->getWrappingS(), 240);
    EXPECT_EQ(texture->getWrappingT(), 241);
    EXPECT_TRUE(failsWith([&] { texture->setWrapping(240, 242); }, "IllegalArgumentException",
                          "render::Texture2D::setWrapping"));
    EXPECT_EQ(texture->getWrappingT(), 241);

    texture->setFiltering(Texture2D::FILTER_BASE_LEVEL, Texture2D::FILTER_NEAREST);
    EXPECT_EQ(texture->getLevelFilter(), 208);
    EXPECT_EQ(texture->getImageFilter(), 210);
    // Level filter 211 is refused when set, not only when a texture is built;
    // the base level is no image filter.
    EXPECT_TRUE(failsWith([&] { texture->setFiltering(211, Texture2D::FILTER_LINEAR); }, "IllegalArgumentException",
                          "render::Texture2D::setFiltering"));
    EXPECT_TRUE(failsWith([&] { texture->setFiltering(Texture2D::FILTER_LINEAR, Texture2D::FILTER_BASE_LEVEL); },
                          "IllegalArgumentException", "render::Texture2D::setFiltering"));
    EXPECT_EQ(texture->getLevelFilter(), 208);

    // A plain texture has nothing to draw.
    EXPECT_TRUE(failsWith([&] { texture->getTextureID(); }, "Dummy textrure was tried to render",
                          "render::Texture2D::getTextureID"));

    // Duplicates carry the whole state, the padding scale included.
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGBA, 3, 5);
    texture->setImage(image.get());
    Ref<Texture2D> copy = texture->duplicate();
    EXPECT_NE(copy->getImage(), image.get());
    EXPECT_EQ(copy->getImage()->getWidth(), 3);
    EXPECT_EQ(copy->getBlending(), 229);
    EXPECT_EQ(copy->getBlendColor(), 0x00FFFFFFu);
    EXPECT_EQ(copy->getWrappingS(), 240);
    EXPECT_EQ(copy->getLevelFilter(), 208);
    EXPECT_EQ(copy->getImageFilter(), 210);
    EXPECT_EQ(copy->getPaddedWidth(), 4);
    EXPECT_EQ(copy->getPaddedHeight(), 8);
    EXPECT_FLOAT_EQ(copy->getScale().x, 0.75f);
    EXPECT_FLOAT_EQ(copy->getScale().y, 0.625f);

    EXPECT_TRUE(
        failsWith([] { render::RenderTarget target(nullptr); }, " m_texture ", "render::RenderTarget::RenderTarget"));
    Ref<render::RenderTarget> target = VORNA3D_NEW render::RenderTarget(texture.get());
    EXPECT_EQ(target->getTexture(), texture.get());
}

TEST_F(TextureTest, GLFilterWrapAndFormatTables)
{
    struct Row {
        int level, image, min, mag;
    };
    // Minification: the image filter within a level, the level filter
    // between levels. Magnification samples the base level, so it follows
    // the image filter in every row.
    const Row rows[] = {
        {Texture2D::FILTER_BASE_LEVEL, Texture2D::FILTER_NEAREST, GL_NEAREST, GL_NEAREST},
        {Texture2D::FILTER_BASE_LEVEL, Texture2D::FILTER_LINEAR, GL_LINEAR, GL_LINEAR},
        {Texture2D::FILTER_LINEAR, Texture2D::FILTER_NEAREST, GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST},
        {Texture2D::FILTER_LINEAR, Texture2D::FILTER_LINEAR, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
        {Texture2D::FILTER_NEAREST, Texture2D::FILTER_NEAREST, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST},
        {Texture2D::FILTER_NEAREST, Texture2D::FILTER_LINEAR, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR},
    };
    for (const Row& row : rows) {
        int minFilter = 0;
        int magFilter = 0;
        OGLES1_Texture2D::getGLFilters(row.level, row.image, &minFilter, &magFilter);
        EXPECT_EQ(minFilter, row.min) << row.level << "/" << row.image;
        EXPECT_EQ(magFilter, row.mag) << row.level << "/" << row.image;
    }
    int minFilter = 0;
    int magFilter = 0;
    EXPECT_EQ(engineFailure([&] { OGLES1_Texture2D::getGLFilters(211, 209, &minFilter, &magFilter); }),
              "You sure have some weird Filtering modes...");

    EXPECT_EQ(OGLES1_Texture2D::getGLWrap(Texture2D::WRAP_REPEAT), GL_REPEAT);
    EXPECT_EQ(OGLES1_Texture2D::getGLWrap(Texture2D::WRAP_CLAMP), GL_CLAMP_TO_EDGE);

    // Every format goes out as RGB or RGBA bytes; GL keeps the channels of
    // the internal format.
    EXPECT_EQ(OGLES1_Texture2D::getGLInternalFormat(Image2D::ALPHA), GL_ALPHA);
    EXPECT_EQ(OGLES1_Texture2D::getGLInternalFormat(Image2D::LUMINANCE), GL_LUMINANCE);
    EXPECT_EQ(OGLES1_Texture2D::getGLInternalFormat(Image2D::LUMINANCE_ALPHA), GL_LUMINANCE_ALPHA);
    EXPECT_EQ(OGLES1_Texture2D::getGLInternalFormat(Image2D::RGB), GL_RGB);
    EXPECT_EQ(OGLES1_Texture2D::getGLInternalFormat(Image2D::RGBA), GL_RGBA);
    EXPECT_EQ(OGLES1_Texture2D::getGLSourceFormat(Image2D::ALPHA), GL_RGBA);
    EXPECT_EQ(OGLES1_Texture2D::getGLSourceFormat(Image2D::LUMINANCE), GL_RGBA);
    EXPECT_EQ(OGLES1_Texture2D::getGLSourceFormat(Image2D::RGB), GL_RGB);
    EXPECT_EQ(engineFailure([] { OGLES1_Texture2D::getGLInternalFormat(101); }),
              "Image2D format is not supported in OGLES2_Texture2D!");
}

TEST_F(TextureTest, UploadBufferPadsExpandsAndOnlyGrows)
{
    Ref<TextureUploadBuffer> upload = VORNA3D_NEW TextureUploadBuffer();

    // A power-of-two direct image goes out as it is.
    Ref<Image2D> square = VORNA3D_NEW Image2D(Image2D::RGBA, 2, 2);
    EXPECT_EQ(upload->prepare(*square, 2, 2), square->getPixels());
    EXPECT_EQ(upload->getCapacity(), 0);

    // 3 x 2 RGB padded to 4 x 4: the image at the origin, its last column
    // and last row repeated (hand-written expectation).
    const unsigned char rgb[] = {1,  2,  3,  4,  5,  6,  7,  8,  9, // row 0
                                 10, 11, 12, 13, 14, 15, 16, 17, 18}; // row 1
    Ref<Image2D> odd = VORNA3D_NEW Image2D(Image2D::RGB, 3, 2, rgb);
    const unsigned char* padded = upload->prepare(*odd, 4, 4);
    const std::vector<unsigned char> row0 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 7, 8, 9};
    const std::vector<unsigned char> row1 = {10, 11, 12, 13, 14, 15, 16, 17, 18, 16, 17, 18};
    EXPECT_EQ(block(padded, 12), row0);
    EXPECT_EQ(block(padded + 12, 12), row1);
    EXPECT_EQ(block(padded + 24, 12), row1);
    EXPECT_EQ(block(padded + 36, 12), row1);
    EXPECT_EQ(upload->getCapacity(), 48);

    // A palettised image is expanded through its palette even at a
    // power-of-two size: GL must never see the index bytes.
    unsigned char palette[256 * 4] = {};
    const unsigned char red[4] = {255, 0, 0, 255};
    const unsigned char clear[4] = {0, 0, 255, 0};
    std::memcpy(palette + 7 * 4, red, 4);
    std::memcpy(palette + 200 * 4, clear, 4);
    const unsigned char indices[] = {7, 200, 200, 7};
    Ref<Image2D> indexed = VORNA3D_NEW Image2D(Image2D::RGBA, 2, 2, indices, palette);
    const int before = allocationCount();
    const unsigned char* expanded = upload->prepare(*indexed, 2, 2);
    const std::vector<unsigned char> expected = {255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 0, 255, 0, 0, 255};
    EXPECT_EQ(block(expanded, 16), expected);
    // 16 bytes fit the 48 already reserved: no new block.
    EXPECT_EQ(allocationCount(), before);
    EXPECT_EQ(upload->getCapacity(), 48);

    // LUMINANCE keeps its four bytes per pixel (R G B A) through padding.
    Ref<Image2D> luminance = VORNA3D_NEW Image2D(Image2D::LUMINANCE, 1, 1);
    luminance->setPixel(0, 0, 0x80402010u);
    const unsigned char* lum = upload->prepare(*luminance, 2, 1);
    const std::vector<unsigned char> lumExpected = {0x80, 0x40, 0x20, 0x10, 0x80, 0x40, 0x20, 0x10};
    EXPECT_EQ(block(lum, 8), lumExpected);

    // Growing replaces the block once; the capacity never shrinks.
    Ref<Image2D> big = VORNA3D_NEW Image2D(Image2D::RGBA, 5, 5);
    upload->prepare(*big, 8, 8);
    EXPECT_EQ(upload->getCapacity(), 256);
    upload->prepare(*odd, 4, 4);
    EXPECT_EQ(upload->getCapacity(), 256);

    EXPECT_TRUE(failsWith([&] { upload->prepare(*odd, 2, 4); }, " paddedWidth >= width && paddedHeight >= height ",
                          "render::TextureUploadBuffer::prepare"));
}
