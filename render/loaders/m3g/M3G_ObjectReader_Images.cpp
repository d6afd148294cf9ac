// Image records: Image2D and Texture2D.

#include <climits>
#include <cstring>

#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/m3g/M3G_ObjectReader.h"
#include "render/appearance/Texture2D.h"

namespace render {

namespace {

constexpr int PALETTE_ENTRIES = 256;
// The largest image side a file may declare (textures are padded to powers
// of two, so a side must leave room for that).
constexpr uint32_t MAX_IMAGE_SIDE = 32768;

} // namespace

// ---- Image2D ----

void M3G_ObjectReader::parseImage2D(core::DataIO& in, M3G_Image2D& record)
{
    parseObject3D(in, record);
    record.format = in.readByte();
    record.isMutable = in.readBoolean();
    record.width = in.readUInt32();
    record.height = in.readUInt32();
    if (record.format != Image2D::RGB && record.format != Image2D::RGBA)
        fail("Unsuported image format.");
    const uint32_t bpp = static_cast<uint32_t>(Image2D::getBpp(record.format));
    // Sizes in 64 bits: width x height x bpp may not fit 32.
    if (record.width == 0 || record.height == 0 || record.width > MAX_IMAGE_SIDE || record.height > MAX_IMAGE_SIDE ||
        uint64_t(record.width) * record.height * bpp > uint64_t(INT_MAX))
        failf("Image2D size %ux%u is not supported.", record.width, record.height);
    if (record.isMutable)
        return;

    const uint32_t paletteLength = readCount(in, 1, "Image2D palette byte");
    if (paletteLength % bpp != 0 || paletteLength > PALETTE_ENTRIES * bpp)
        failf("Image2D palette of %u bytes is not a whole number of at most %d entries.", paletteLength,
              PALETTE_ENTRIES);
    in.readBytes(record.palette, paletteLength);
    const uint32_t pixelLength = readCount(in, 1, "Image2D pixel byte");
    if (pixelLength == 0)
        fail("No pixels specified for immutable object");
    const uint64_t expected = uint64_t(record.width) * record.height * (paletteLength > 0 ? 1 : bpp);
    if (pixelLength != expected)
        failf("Image2D pixel data of %u bytes does not match the %llu bytes of a %ux%u image.", pixelLength,
              static_cast<unsigned long long>(expected), record.width, record.height);
    in.readBytes(record.pixels, pixelLength);
}

core::Ref<Image2D> M3G_ObjectReader::setToClass(const M3G_Image2D& record)
{
    const int width = static_cast<int>(record.width);
    const int height = static_cast<int>(record.height);
    core::Ref<Image2D> image;
    if (record.isMutable) {
        image = VORNA3D_NEW Image2D(record.format, width, height);
    } else if (record.palette.isEmpty()) {
        image = VORNA3D_NEW Image2D(record.format, width, height, record.pixels.data());
    } else {
        // A file's palette may have fewer than 256 entries; the image keeps
        // all 256, the missing ones zero.
        core::Vector<unsigned char> palette;
        palette.setSizeForNativeType(PALETTE_ENTRIES * Image2D::getBpp(record.format));
        std::memcpy(palette.data(), record.palette.data(), static_cast<size_t>(record.palette.size()));
        image = VORNA3D_NEW Image2D(record.format, width, height, record.pixels.data(), palette.data());
    }
    setToClass(static_cast<const M3G_Object3D&>(record), *image);
    return image;
}

// ---- Texture2D ----

void M3G_ObjectReader::parseTexture2D(core::DataIO& in, M3G_Texture2D& record)
{
    parseTransformable(in, record);
    record.image = in.readUInt32();
    record.blendColor = readColorRGB(in);
    record.blending = in.readByte();
    record.wrappingS = in.readByte();
    record.wrappingT = in.readByte();
    record.levelFilter = in.readByte();
    record.imageFilter = in.readByte();
    if (record.image == 0)
        fail("No image set for texture.");
    if (record.blending < Texture2D::FUNC_ADD || record.blending > Texture2D::FUNC_KEEP)
        fail("Unknown blending type.");
    if (record.wrappingS != Texture2D::WRAP_CLAMP && record.wrappingS != Texture2D::WRAP_REPEAT)
        fail("Unknown s-wrapping type.");
    if (record.wrappingT != Texture2D::WRAP_CLAMP && record.wrappingT != Texture2D::WRAP_REPEAT)
        fail("Unknown t-wrapping type.");
    if (record.levelFilter < Texture2D::FILTER_BASE_LEVEL || record.levelFilter > Texture2D::FILTER_NEAREST)
        fail("Unknown level filter.");
    if (record.imageFilter != Texture2D::FILTER_LINEAR && record.imageFilter != Texture2D::FILTER_NEAREST)
        fail("Unknown image filter.");
}

core::Ref<Texture2D> M3G_ObjectReader::setToClass(const M3G_Texture2D& record)
{
    Image2D* image = m_table.resolve<Image2D>(record.image);
    // The renderer makes the texture, so that it can be drawn; a renderer
    // without textures of its own (a null back end) gives a texture that
    // keeps the state only.
    Graphics3D* g3d = Graphics3D::getInstance();
    core::Ref<Texture2D> texture = g3d->createNewTexture(0, 0);
    if (!texture)
        texture = VORNA3D_NEW Texture2D(nullptr);
    // The transform before the image: an image that has to be padded sets
    // the texture's scale, and that scale must stay.
    setToClass(static_cast<const M3G_Transformable&>(record), *texture);
    texture->setImage(image);
    texture->setBlendColor(record.blendColor);
    texture->setBlending(record.blending);
    texture->setWrapping(record.wrappingS, record.wrappingT);
    texture->setFiltering(record.levelFilter, record.imageFilter);
    return texture;
}

} // namespace render
