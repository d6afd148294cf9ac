// Image2D: block sizes per format, the byte order of setPixel, palettes,
// duplication, and the argument checks that keep a bad size from turning
// into a short allocation.

#include <gtest/gtest.h>

#include <cstring>

#include "render/appearance/Image2D.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/EngineTest.h"

using core::Ref;
using render::Image2D;
using render_test::failsWith;

namespace {

class Image2DTest : public testing_support::EngineTest { };

std::vector<unsigned char> bytesOf(const Image2D& image)
{
    return std::vector<unsigned char>(image.getPixels(), image.getPixels() + image.getPixelBlockSize());
}

} // namespace

TEST_F(Image2DTest, FormatsAndBlockSizes)
{
    // Every format but RGB takes four bytes per pixel, LUMINANCE included.
    EXPECT_EQ(Image2D::getBpp(Image2D::ALPHA), 4);
    EXPECT_EQ(Image2D::getBpp(Image2D::LUMINANCE), 4);
    EXPECT_EQ(Image2D::getBpp(Image2D::LUMINANCE_ALPHA), 4);
    EXPECT_EQ(Image2D::getBpp(Image2D::RGB), 3);
    EXPECT_EQ(Image2D::getBpp(Image2D::RGBA), 4);
    EXPECT_TRUE(failsWith([] { Image2D::getBpp(101); }, "IllegalArgumentException", "render::Image2D::getBpp"));
    EXPECT_TRUE(failsWith([] { Image2D::getBpp(95); }, "IllegalArgumentException", "render::Image2D::getBpp"));

    Ref<Image2D> luminance = VORNA3D_NEW Image2D(Image2D::LUMINANCE, 2, 2);
    EXPECT_EQ(luminance->getPixelBlockSize(), 16);
    EXPECT_TRUE(luminance->isMutable());
    EXPECT_FALSE(luminance->isPalettised());
    EXPECT_EQ(bytesOf(*luminance), std::vector<unsigned char>(16, 0xFF));

    Ref<Image2D> rgb = VORNA3D_NEW Image2D(Image2D::RGB, 3, 2);
    EXPECT_EQ(rgb->getPixelBlockSize(), 18);
    EXPECT_EQ(rgb->getWidth(), 3);
    EXPECT_EQ(rgb->getHeight(), 2);
    EXPECT_EQ(rgb->getFormat(), Image2D::RGB);
    EXPECT_STREQ(Image2D::getFormatName(Image2D::LUMINANCE_ALPHA), "LUMINANCE_ALPHA");
    EXPECT_STREQ(Image2D::getFormatName(7), "UNKNOWN");
}

TEST_F(Image2DTest, SetPixelStoresTheMostSignificantByteFirst)
{
    // 0x11223344: on RGBA the bytes 11 22 33 44; on RGB the low three.
    Ref<Image2D> rgba = VORNA3D_NEW Image2D(Image2D::RGBA, 2, 2);
    rgba->setPixel(1, 1, 0x11223344u);
    EXPECT_EQ(bytesOf(*rgba)[12], 0x11);
    EXPECT_EQ(bytesOf(*rgba)[13], 0x22);
    EXPECT_EQ(bytesOf(*rgba)[14], 0x33);
    EXPECT_EQ(bytesOf(*rgba)[15], 0x44);
    EXPECT_EQ(rgba->getPixel(1, 1), 0x11223344u);
    EXPECT_EQ(rgba->getPixel(0, 0), 0xFFFFFFFFu);

    Ref<Image2D> rgb = VORNA3D_NEW Image2D(Image2D::RGB, 2, 2);
    rgb->setPixel(1, 0, 0x11223344u);
    const std::vector<unsigned char> expected = {0xFF, 0xFF, 0xFF, 0x22, 0x33, 0x44};
    EXPECT_EQ(std::vector<unsigned char>(rgb->getPixels(), rgb->getPixels() + 6), expected);
    EXPECT_EQ(rgb->getPixel(1, 0), 0x00223344u);

    const char* function = "render::Image2D::pixelAt";
    EXPECT_TRUE(failsWith([&] { rgb->setPixel(-1, 0, 0); }, " x >= 0 && x < getWidth() ", function));
    EXPECT_TRUE(failsWith([&] { rgb->setPixel(2, 0, 0); }, " x >= 0 && x < getWidth() ", function));
    EXPECT_TRUE(failsWith([&] { rgb->getPixel(0, 2); }, " y >= 0 && y < getHeight() ", function));
    EXPECT_TRUE(failsWith([&] { rgb->getPixel(0, -1); }, " y >= 0 && y < getHeight() ", function));
}

TEST_F(Image2DTest, ImmutableImagesCopyTheirSource)
{
    unsigned char pixels[2 * 1 * 4] = {1, 2, 3, 4, 5, 6, 7, 8};
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGBA, 2, 1, pixels);
    pixels[0] = 99;
    EXPECT_FALSE(image->isMutable());
    EXPECT_EQ(bytesOf(*image), (std::vector<unsigned char>{1, 2, 3, 4, 5, 6, 7, 8}));

    const char* ctor = "render::Image2D::Image2D";
    EXPECT_TRUE(failsWith([] { Ref<Image2D> i = VORNA3D_NEW Image2D(Image2D::RGBA, 2, 1, nullptr); },
                          "NullPointerException ", ctor));
    EXPECT_TRUE(failsWith([&] { Ref<Image2D> i = VORNA3D_NEW Image2D(Image2D::RGBA, 0, 1, pixels); },
                          "IllegalArgumentException", ctor));
    EXPECT_TRUE(failsWith([&] { Ref<Image2D> i = VORNA3D_NEW Image2D(Image2D::RGBA, 2, -1, pixels); },
                          "IllegalArgumentException", ctor));
}

TEST_F(Image2DTest, SizesWhoseBlockPassesInt32AreRefused)
{
    // 32768 x 32768 x 4 = 2^32: wraps to 0 in 32 bits. 46341^2 x 3 passes
    // INT_MAX as well. Both must fail before anything is allocated.
    const char* check = "render::Image2D::checkedBlockSize";
    EXPECT_TRUE(failsWith([] { Ref<Image2D> i = VORNA3D_NEW Image2D(Image2D::RGBA, 32768, 32768); },
                          "IllegalArgumentException", check));
    EXPECT_TRUE(failsWith([] { Ref<Image2D> i = VORNA3D_NEW Image2D(Image2D::RGB, 46341, 46341); },
                          "IllegalArgumentException", check));
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGB, 1, 1);
    EXPECT_TRUE(failsWith([&] { image->allocNewRawImage(65536, 65536, Image2D::ALPHA, nullptr); },
                          "IllegalArgumentException", check));
    // The failed reallocation left the image as it was.
    EXPECT_EQ(image->getWidth(), 1);
    EXPECT_EQ(image->getPixelBlockSize(), 3);
}

TEST_F(Image2DTest, PalettisedImages)
{
    // 256 RGB entries, entry i = (i, 255 - i, 7); a 3 x 1 image of indices 0, 200, 255.
    unsigned char palette[256 * 3];
    for (int i = 0; i < 256; ++i) {
        palette[3 * i] = static_cast<unsigned char>(i);
        palette[3 * i + 1] = static_cast<unsigned char>(255 - i);
        palette[3 * i + 2] = 7;
    }
    const unsigned char indices[3] = {0, 200, 255};
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGB, 3, 1, indices, palette);
    EXPECT_TRUE(image->isPalettised());
    EXPECT_FALSE(image->isMutable());
    // One index byte per pixel; getPixel and setPixel work on the index.
    EXPECT_EQ(image->getPixelBlockSize(), 3);
    EXPECT_EQ(image->getPixel(1, 0), 200u);
    image->setPixel(2, 0, 0x12345601u);
    EXPECT_EQ(image->getPixels()[2], 0x01);
    EXPECT_EQ(image->getPixels()[1], 200);
    EXPECT_EQ(std::memcmp(image->getPalette(), palette, sizeof palette), 0);

    // The duplicate is a mutable direct-colour image with the entries resolved.
    Ref<Image2D> copy = static_cast<Image2D*>(image->duplicate());
    EXPECT_TRUE(copy->isMutable());
    EXPECT_FALSE(copy->isPalettised());
    EXPECT_EQ(copy->getFormat(), Image2D::RGB);
    EXPECT_EQ(bytesOf(*copy), (std::vector<unsigned char>{0, 255, 7, 200, 55, 7, 1, 254, 7}));

    const char* ctor = "render::Image2D::Image2D";
    EXPECT_TRUE(failsWith([&] { Ref<Image2D> i = VORNA3D_NEW Image2D(Image2D::RGB, 3, 1, indices, nullptr); },
                          "NullPointerException ", ctor));
    EXPECT_TRUE(failsWith([&] { Ref<Image2D> i = VORNA3D_NEW Image2D(42, 3, 1, indices, palette); },
                          "IllegalArgumentException", "render::Image2D::checkedBlockSize"));
}

TEST_F(Image2DTest, DuplicateCopiesThePixelsAndTheObjectFields)
{
    unsigned char pixels[4] = {9, 8, 7, 6};
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::ALPHA, 1, 1, pixels);
    image->setUserID(77);
    Ref<Image2D> copy = static_cast<Image2D*>(image->duplicate());
    EXPECT_TRUE(copy->isMutable());
    EXPECT_EQ(copy->getUserID(), 77);
    EXPECT_EQ(copy->getFormat(), Image2D::ALPHA);
    EXPECT_NE(copy->getPixels(), image->getPixels());
    EXPECT_EQ(bytesOf(*copy), bytesOf(*image));
    copy->setPixel(0, 0, 0);
    EXPECT_EQ(image->getPixel(0, 0), 0x09080706u);
}
