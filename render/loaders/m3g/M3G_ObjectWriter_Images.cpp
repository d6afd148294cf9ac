// Image records: Image2D and Texture2D.

#include <cstring>

#include "render/appearance/Image2D.h"
#include "render/loaders/m3g/M3G_ObjectWriter.h"
#include "render/appearance/Texture2D.h"

namespace render {

namespace {

constexpr int PALETTE_ENTRIES = 256;

} // namespace

// ---- Image2D ----

void M3G_ObjectWriter::setToStruct(Image2D& image, M3G_Image2D& record)
{
    setToStruct(static_cast<Object3D&>(image), record);
    if (image.getFormat() != Image2D::RGB && image.getFormat() != Image2D::RGBA)
        fail("Unsuported image format.");
    // A file's mutable image carries no pixels: writing one would lose them.
    if (image.isMutable())
        fail("Mutable Image2D can not be written: only immutable images keep their pixels in a file.");
    if (!image.getPixels())
        fail("No pixels specified for immutable object");
    record.format = static_cast<uint8_t>(image.getFormat());
    record.isMutable = false;
    record.width = static_cast<uint32_t>(image.getWidth());
    record.height = static_cast<uint32_t>(image.getHeight());
    if (image.isPalettised()) {
        const int paletteBytes = PALETTE_ENTRIES * image.getBpp();
        record.palette.setSizeForNativeType(paletteBytes);
        std::memcpy(record.palette.data(), image.getPalette(), static_cast<size_t>(paletteBytes));
    }
    record.pixels.setSizeForNativeType(image.getPixelBlockSize());
    std::memcpy(record.pixels.data(), image.getPixels(), static_cast<size_t>(image.getPixelBlockSize()));
}

void M3G_ObjectWriter::saveImage2D(const M3G_Image2D& record, core::DataIO& out)
{
    saveObject3D(record, out);
    out.writeByte(record.format);
    out.writeBoolean(record.isMutable);
    out.writeUInt32(record.width);
    out.writeUInt32(record.height);
    if (record.isMutable)
        return;
    out.writeUInt32(static_cast<uint32_t>(record.palette.size()));
    out.writeBytes(record.palette.data(), static_cast<uint32_t>(record.palette.size()));
    out.writeUInt32(static_cast<uint32_t>(record.pixels.size()));
    out.writeBytes(record.pixels.data(), static_cast<uint32_t>(record.pixels.size()));
}

// ---- Texture2D ----

void M3G_ObjectWriter::setToStruct(Texture2D& texture, M3G_Texture2D& record)
{
    setToStruct(static_cast<Transformable&>(texture), record);
    Image2D* image = texture.getImage();
    if (!image)
        fail("No image set for texture.");
    // A texture padded to powers of two scales its coordinates to the image
    // inside the padding. That scale belongs to this engine, not to the
    // file: the reader sets it again when it pads the image.
    const float paddingScale[3] = {float(texture.getWidth()) / float(texture.getPaddedWidth()),
                                   float(texture.getHeight()) / float(texture.getPaddedHeight()), 1.f};
    const bool padded =
        texture.getWidth() != texture.getPaddedWidth() || texture.getHeight() != texture.getPaddedHeight();
    if (padded && std::memcmp(record.scale, paddingScale, sizeof paddingScale) == 0) {
        for (float& value : record.scale)
            value = 1.f;
        const float* t = record.translation;
        record.hasComponentTransform = t[0] != 0 || t[1] != 0 || t[2] != 0 || record.orientationAngle != 0;
    }
    record.image = indexOf(image);
    record.blendColor = texture.getBlendColor() & 0x00FFFFFFu;
    if (texture.getBlending() < Texture2D::FUNC_ADD || texture.getBlending() > Texture2D::FUNC_KEEP)
        fail("Unknown blending type.");
    if (texture.getWrappingS() != Texture2D::WRAP_CLAMP && texture.getWrappingS() != Texture2D::WRAP_REPEAT)
        fail("Unknown s-wrapping type.");
    if (texture.getWrappingT() != Texture2D::WRAP_CLAMP && texture.getWrappingT() != Texture2D::WRAP_REPEAT)
        fail("Unknown t-wrapping type.");
    if (texture.getLevelFilter() < Texture2D::FILTER_BASE_LEVEL || texture.getLevelFilter() > Texture2D::FILTER_NEAREST)
        fail("Unknown level filter.");
    if (texture.getImageFilter() != Texture2D::FILTER_LINEAR && texture.getImageFilter() != Texture2D::FILTER_NEAREST)
        fail("Unknown image filter.");
    record.blending = static_cast<uint8_t>(texture.getBlending());
    record.wrappingS = static_cast<uint8_t>(texture.getWrappingS());
    record.wrappingT = static_cast<uint8_t>(texture.getWrappingT());
    record.levelFilter = static_cast<uint8_t>(texture.getLevelFilter());
    record.imageFilter = static_cast<uint8_t>(texture.getImageFilter());
}

void M3G_ObjectWriter::saveTexture2D(const M3G_Texture2D& record, core::DataIO& out)
{
    saveTransformable(record, out);
    out.writeUInt32(record.image);
    saveColorRGB(record.blendColor, out);
    out.writeByte(record.blending);
    out.writeByte(record.wrappingS);
    out.writeByte(record.wrappingT);
    out.writeByte(record.levelFilter);
    out.writeByte(record.imageFilter);
}

} // namespace render
