// GL textures built from images, read back from GL: padding of sizes that
// are not powers of two, the mipmap chain, tightly packed RGB rows, the
// channels kept for ALPHA / LUMINANCE / LUMINANCE_ALPHA, palette expansion,
// filters and wrapping as GL parameters, and the texture object's lifetime.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>

#include "core/Ref.h"
#include "render/appearance/Image2D.h"
#include "render/OGLES/OGLES1_Texture2D.h"
#include "render/OGLES/TextureUploadBuffer.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/gl/GLTestSupport.h"

using core::Ref;
using render::Image2D;
using render::OGLES1_Texture2D;
using render::Texture2D;
using render_gl_test::Frame;
using render_gl_test::Rgba;
using render_test::failsWith;

namespace {

class TextureGLTest : public render_gl_test::GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        upload = VORNA3D_NEW render::TextureUploadBuffer();
        upload->addRef(); // a Ref member would make the fixture's destructor throwing
    }
    void TearDown() override
    {
        upload->releaseRef();
        GLTest::TearDown();
    }

    // A texture built from `image`.
    Ref<OGLES1_Texture2D> build(Image2D* image)
    {
        Ref<OGLES1_Texture2D> texture = VORNA3D_NEW OGLES1_Texture2D(upload);
        texture->setImage(image);
        return texture;
    }

    Frame level(const OGLES1_Texture2D& texture, int lod)
    {
        glBindTexture(GL_TEXTURE_2D, GLuint(texture.getTextureID()));
        Frame frame = render_gl_test::readBoundTexture(lod);
        glBindTexture(GL_TEXTURE_2D, 0);
        return frame;
    }

    int parameter(const OGLES1_Texture2D& texture, GLenum name)
    {
        GLint value = 0;
        glBindTexture(GL_TEXTURE_2D, GLuint(texture.getTextureID()));
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        glBindTexture(GL_TEXTURE_2D, 0);
        return value;
    }

    render::TextureUploadBuffer* upload = nullptr;
};

bool sameColor(const Rgba& a, const Rgba& b)
{
    return render_gl_test::near(a, b, 0);
}

} // namespace

TEST_F(TextureGLTest, NonPowerOfTwoImageIsPaddedWithItsEdges)
{
    // 3 x 3 RGB, every pixel different: rows of 9 bytes, so any row
    // alignment but 1 would shift the second and third rows.
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGB, 3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            image->setPixel(x, y, uint32_t((40 * x + 10) << 16 | (60 * y + 20) << 8 | (x + 3 * y)));
    Ref<OGLES1_Texture2D> texture = build(image.get());
    ASSERT_NE(texture->getTextureID(), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_FLOAT_EQ(texture->getScale().x, 0.75f);
    EXPECT_FLOAT_EQ(texture->getScale().y, 0.75f);

    const Frame base = level(*texture, 0);
    ASSERT_EQ(base.width, 4);
    ASSERT_EQ(base.height, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            // Inside: the image; column 3 and row 3 repeat column 2 and row 2.
            const int sx = x < 3 ? x : 2;
            const int sy = y < 3 ? y : 2;
            const Rgba expected{40 * sx + 10, 60 * sy + 20, sx + 3 * sy, 255};
            EXPECT_TRUE(sameColor(base.at(x, y), expected)) << "texel " << x << ", " << y;
        }
    }
    // The whole mipmap chain down to 1 x 1.
    EXPECT_EQ(level(*texture, 1).width, 2);
    EXPECT_EQ(level(*texture, 2).width, 1);
    EXPECT_EQ(level(*texture, 2).height, 1);

    // A power-of-two RGB image goes straight from its own block: 2 x 2 rows
    // of 6 bytes.
    const unsigned char rgb[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
    Ref<Image2D> square = VORNA3D_NEW Image2D(Image2D::RGB, 2, 2, rgb);
    Ref<OGLES1_Texture2D> direct = build(square.get());
    const Frame texels = level(*direct, 0);
    EXPECT_TRUE(sameColor(texels.at(0, 0), Rgba{255, 0, 0, 255}));
    EXPECT_TRUE(sameColor(texels.at(1, 0), Rgba{0, 255, 0, 255}));
    EXPECT_TRUE(sameColor(texels.at(0, 1), Rgba{0, 0, 255, 255}));
    EXPECT_TRUE(sameColor(texels.at(1, 1), Rgba{255, 255, 0, 255}));
    EXPECT_EQ(upload->getCapacity(), 4 * 4 * 3);
}

TEST_F(TextureGLTest, FormatsKeepTheirChannelsAndPalettesAreExpanded)
{
    // Each four-byte format holds R G B A; GL keeps its own channels.
    // glGetTexImage returns luminance in red only (green and blue 0), while
    // drawing samples it as (L, L, L).
    struct Case {
        int format;
        GLint internal;
        Rgba expected;
    };
    const Case cases[] = {
        {Image2D::ALPHA, GL_ALPHA, Rgba{0, 0, 0, 0x30}},
        {Image2D::LUMINANCE, GL_LUMINANCE, Rgba{0xC0, 0, 0, 255}},
        {Image2D::LUMINANCE_ALPHA, GL_LUMINANCE_ALPHA, Rgba{0xC0, 0, 0, 0x30}},
        {Image2D::RGBA, GL_RGBA, Rgba{0xC0, 0x80, 0x40, 0x30}},
    };
    for (const Case& c : cases) {
        Ref<Image2D> image = VORNA3D_NEW Image2D(c.format, 2, 2);
        for (int i = 0; i < 4; ++i)
            image->setPixel(i % 2, i / 2, 0xC0804030u);
        Ref<OGLES1_Texture2D> texture = build(image.get());
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << Image2D::getFormatName(c.format);
        glBindTexture(GL_TEXTURE_2D, GLuint(texture->getTextureID()));
        GLint red = 0;
        GLint alpha = 0;
        GLint luminance = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_SIZE, &red);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alpha);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_LUMINANCE_SIZE, &luminance);
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(red > 0, c.internal == GL_RGBA) << Image2D::getFormatName(c.format);
        EXPECT_EQ(luminance > 0, c.internal == GL_LUMINANCE || c.internal == GL_LUMINANCE_ALPHA)
            << Image2D::getFormatName(c.format);
        EXPECT_EQ(alpha > 0, c.internal != GL_LUMINANCE) << Image2D::getFormatName(c.format);
        EXPECT_TRUE(sameColor(level(*texture, 0).at(1, 1), c.expected)) << Image2D::getFormatName(c.format);
    }

    // A palettised RGB image arrives as its palette colours, not its indices.
    unsigned char palette[256 * 3] = {};
    const unsigned char orange[3] = {255, 128, 0};
    const unsigned char teal[3] = {0, 128, 128};
    std::memcpy(palette + 1 * 3, orange, 3);
    std::memcpy(palette + 2 * 3, teal, 3);
    const unsigned char indices[] = {1, 2, 2, 1, 1, 1};
    Ref<Image2D> indexed = VORNA3D_NEW Image2D(Image2D::RGB, 3, 2, indices, palette);
    Ref<OGLES1_Texture2D> texture = build(indexed.get());
    const Frame texels = level(*texture, 0);
    EXPECT_TRUE(sameColor(texels.at(0, 0), Rgba{255, 128, 0, 255}));
    EXPECT_TRUE(sameColor(texels.at(1, 0), Rgba{0, 128, 128, 255}));
    EXPECT_TRUE(sameColor(texels.at(2, 0), Rgba{0, 128, 128, 255}));
    EXPECT_TRUE(sameColor(texels.at(3, 0), Rgba{0, 128, 128, 255})); // padding repeats column 2
    EXPECT_TRUE(sameColor(texels.at(0, 1), Rgba{255, 128, 0, 255}));
}

TEST_F(TextureGLTest, FiltersAndWrappingReachTheTexture)
{
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGBA, 4, 4);
    Ref<OGLES1_Texture2D> texture = VORNA3D_NEW OGLES1_Texture2D(upload);
    // Settings before the image apply when it is built.
    texture->setFiltering(Texture2D::FILTER_NEAREST, Texture2D::FILTER_NEAREST);
    texture->setWrapping(Texture2D::WRAP_CLAMP, Texture2D::WRAP_REPEAT);
    EXPECT_EQ(texture->getTextureID(), 0);
    texture->setImage(image.get());
    EXPECT_EQ(parameter(*texture, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_NEAREST);
    EXPECT_EQ(parameter(*texture, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(parameter(*texture, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(parameter(*texture, GL_TEXTURE_WRAP_T), GL_REPEAT);

    // Changes on a built texture apply at once.
    texture->setFiltering(Texture2D::FILTER_BASE_LEVEL, Texture2D::FILTER_LINEAR);
    texture->setWrapping(Texture2D::WRAP_REPEAT, Texture2D::WRAP_CLAMP);
    EXPECT_EQ(parameter(*texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(*texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(*texture, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(*texture, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureGLTest, TextureObjectLifetime)
{
    Ref<Image2D> first = VORNA3D_NEW Image2D(Image2D::RGBA, 2, 2);
    Ref<Image2D> second = VORNA3D_NEW Image2D(Image2D::RGB, 8, 2);
    Ref<OGLES1_Texture2D> texture = build(first.get());
    const GLuint firstName = GLuint(texture->getTextureID());
    ASSERT_TRUE(glIsTexture(firstName));

    // A new image replaces the GL texture.
    texture->setImage(second.get());
    const GLuint secondName = GLuint(texture->getTextureID());
    EXPECT_FALSE(glIsTexture(firstName));
    EXPECT_TRUE(glIsTexture(secondName));
    EXPECT_EQ(level(*texture, 0).width, 8);

    // A duplicate has its own texture with the same texels.
    Ref<Texture2D> copy = texture->duplicate();
    const GLuint copyName = GLuint(copy->getTextureID());
    EXPECT_NE(copyName, secondName);
    EXPECT_TRUE(glIsTexture(copyName));
    EXPECT_EQ(level(static_cast<OGLES1_Texture2D&>(*copy), 0).rgba, level(*texture, 0).rgba);

    // Dropping the image keeps the texture (render targets live on the GL side).
    texture->setImage(nullptr);
    EXPECT_TRUE(glIsTexture(secondName));
    EXPECT_EQ(texture->getWidth(), 8);

    texture = nullptr;
    copy = nullptr;
    EXPECT_FALSE(glIsTexture(secondName));
    EXPECT_FALSE(glIsTexture(copyName));

    // Larger than the hardware takes: refused before any GL object is made.
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    Ref<Image2D> huge = VORNA3D_NEW Image2D(Image2D::RGB, maxSize + 1, 1);
    Ref<OGLES1_Texture2D> refused = VORNA3D_NEW OGLES1_Texture2D(upload);
    EXPECT_TRUE(failsWith([&] { refused->setImage(huge.get()); },
                          "can not create a texture because texture size is too big for this HW",
                          "render::OGLES1_Texture2D::createTexture"));
    EXPECT_EQ(refused->getTextureID(), 0);
    // A built texture keeps its texture, sizes and scale after a refused image.
    Ref<Image2D> small = VORNA3D_NEW Image2D(Image2D::RGB, 3, 2);
    Ref<OGLES1_Texture2D> kept = build(small.get());
    const int keptName = kept->getTextureID();
    EXPECT_TRUE(failsWith([&] { kept->setImage(huge.get()); },
                          "can not create a texture because texture size is too big for this HW",
                          "render::OGLES1_Texture2D::createTexture"));
    EXPECT_EQ(kept->getTextureID(), keptName);
    EXPECT_TRUE(glIsTexture(GLuint(keptName)));
    EXPECT_EQ(kept->getImage(), small.get());
    EXPECT_EQ(kept->getWidth(), 3);
    EXPECT_EQ(kept->getPaddedWidth(), 4);
    EXPECT_FLOAT_EQ(kept->getScale().x, 0.75f);
    EXPECT_FLOAT_EQ(kept->getScale().y, 1.f);

    EXPECT_TRUE(failsWith([&] { refused->bindFBOandRBO(); }, " 0 ", "render::OGLES1_Texture2D::bindFBOandRBO"));
    EXPECT_TRUE(
        failsWith([] { OGLES1_Texture2D t(nullptr); }, " upload ", "render::OGLES1_Texture2D::OGLES1_Texture2D"));
}
