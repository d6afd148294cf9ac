// Appearance records: Appearance, Background, CompositingMode, Fog,
// PolygonMode and Material.

#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/appearance/CompositingMode.h"
#include "render/appearance/Fog.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/m3g/M3G_ObjectReader.h"
#include "render/appearance/Material.h"
#include "render/appearance/PolygonMode.h"
#include "render/appearance/Texture2D.h"

namespace render {

// ---- Appearance ----

void M3G_ObjectReader::parseAppearance(core::DataIO& in, M3G_Appearance& record)
{
    parseObject3D(in, record);
    record.layer = static_cast<int8_t>(in.readByte());
    if (record.layer < -63 || record.layer > 63)
        fail("Appearance layer is not correct.");
    record.compositingMode = in.readUInt32();
    record.fog = in.readUInt32();
    record.polygonMode = in.readUInt32();
    record.material = in.readUInt32();
    const uint32_t count = readCount(in, 4, "Texture");
    if (count > static_cast<uint32_t>(Appearance::MAX_TEXTURE_UNITS))
        failf("Appearance has %u textures; at most %d texture units are supported.", count,
              Appearance::MAX_TEXTURE_UNITS);
    readIndices(in, count, record.textures);
}

core::Ref<Appearance> M3G_ObjectReader::setToClass(const M3G_Appearance& record)
{
    core::Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    setToClass(static_cast<const M3G_Object3D&>(record), *appearance);
    appearance->setLayer(record.layer);
    appearance->setCompositingMode(m_table.resolve<CompositingMode>(record.compositingMode));
    appearance->setFog(m_table.resolve<Fog>(record.fog));
    appearance->setPolygonMode(m_table.resolve<PolygonMode>(record.polygonMode));
    appearance->setMaterial(m_table.resolve<Material>(record.material));
    for (int unit = 0; unit < record.textures.size(); ++unit)
        appearance->setTexture(unit, m_table.resolve<Texture2D>(record.textures[unit]));
    return appearance;
}

// ---- Background ----

void M3G_ObjectReader::parseBackground(core::DataIO& in, M3G_Background& record)
{
    parseObject3D(in, record);
    record.backgroundColor = readColorRGBA(in);
    record.backgroundImage = in.readUInt32();
    record.backgroundImageModeX = in.readByte();
    record.backgroundImageModeY = in.readByte();
    record.cropX = in.readInt32();
    record.cropY = in.readInt32();
    record.cropWidth = in.readInt32();
    record.cropHeight = in.readInt32();
    record.depthClearEnabled = in.readBoolean();
    record.colorClearEnabled = in.readBoolean();
    if (record.backgroundImageModeX != Background::BORDER && record.backgroundImageModeX != Background::REPEAT)
        fail("Background image mode X is not valid enum value.");
    if (record.backgroundImageModeY != Background::BORDER && record.backgroundImageModeY != Background::REPEAT)
        fail("Background image mode Y is not valid enum value.");
    if (record.cropWidth < 0 || record.cropHeight < 0)
        fail("Background crop width and height must not be negative.");
}

core::Ref<Background> M3G_ObjectReader::setToClass(const M3G_Background& record)
{
    core::Ref<Background> background = VORNA3D_NEW Background();
    setToClass(static_cast<const M3G_Object3D&>(record), *background);
    background->setColor(record.backgroundColor);
    // The image first: setting it resets the crop to the whole image, and
    // the file's crop is to be kept.
    if (Image2D* image = m_table.resolve<Image2D>(record.backgroundImage)) {
        if (image->getFormat() != Image2D::RGB && image->getFormat() != Image2D::RGBA)
            fail("Background image must be RGB or RGBA.");
        background->setImage(image);
    }
    background->setCrop(record.cropX, record.cropY, record.cropWidth, record.cropHeight);
    background->setDepthClearEnable(record.depthClearEnabled);
    background->setColorClearEnable(record.colorClearEnabled);
    background->setImageMode(record.backgroundImageModeX, record.backgroundImageModeY);
    return background;
}

// ---- CompositingMode ----

void M3G_ObjectReader::parseCompositingMode(core::DataIO& in, M3G_CompositingMode& record)
{
    parseObject3D(in, record);
    record.depthTestEnabled = in.readBoolean();
    record.depthWriteEnabled = in.readBoolean();
    record.colorWriteEnabled = in.readBoolean();
    record.alphaWriteEnabled = in.readBoolean();
    record.blending = in.readByte();
    record.alphaThreshold = in.readByte();
    record.depthOffsetFactor = in.readFloat32();
    record.depthOffsetUnits = in.readFloat32();
    if (record.blending < CompositingMode::ALPHA || record.blending > CompositingMode::SCREEN)
        fail("CompositingMode blending mode is not correct.");
}

core::Ref<CompositingMode> M3G_ObjectReader::setToClass(const M3G_CompositingMode& record)
{
    core::Ref<CompositingMode> mode = VORNA3D_NEW CompositingMode();
    setToClass(static_cast<const M3G_Object3D&>(record), *mode);
    mode->setDepthTestEnable(record.depthTestEnabled);
    mode->setDepthWriteEnable(record.depthWriteEnabled);
    mode->setColorWriteEnable(record.colorWriteEnabled);
    mode->setAlphaWriteEnable(record.alphaWriteEnabled);
    mode->setBlending(record.blending);
    mode->setAlphaThreshold(record.alphaThreshold / 256.f);
    mode->setDepthOffset(record.depthOffsetFactor, record.depthOffsetUnits);
    return mode;
}

// ---- Fog ----

void M3G_ObjectReader::parseFog(core::DataIO& in, M3G_Fog& record)
{
    parseObject3D(in, record);
    record.color = readColorRGB(in);
    record.mode = in.readByte();
    if (record.mode == Fog::EXPONENTIAL) {
        record.density = in.readFloat32();
        if (!(record.density > 0))
            fail("Exponential fog density not greater than zero.");
    } else if (record.mode == Fog::LINEAR) {
        record.nearDistance = in.readFloat32();
        record.farDistance = in.readFloat32();
    } else {
        fail("Fog mode must be render::Fog::EXPONENTIAL or render::Fog::LINEAR.");
    }
}

core::Ref<Fog> M3G_ObjectReader::setToClass(const M3G_Fog& record)
{
    core::Ref<Fog> fog = VORNA3D_NEW Fog();
    setToClass(static_cast<const M3G_Object3D&>(record), *fog);
    fog->setColor(record.color);
    fog->setMode(record.mode);
    if (record.mode == Fog::EXPONENTIAL)
        fog->setDensity(record.density);
    else
        fog->setLinear(record.nearDistance, record.farDistance);
    return fog;
}

// ---- PolygonMode ----

void M3G_ObjectReader::parsePolygonMode(core::DataIO& in, M3G_PolygonMode& record)
{
    parseObject3D(in, record);
    record.culling = in.readByte();
    record.shading = in.readByte();
    record.winding = in.readByte();
    record.twoSidedLightingEnabled = in.readBoolean();
    record.localCameraLightingEnabled = in.readBoolean();
    record.perspectiveCorrectionEnabled = in.readBoolean();
    if (record.culling < PolygonMode::CULL_BACK || record.culling > PolygonMode::CULL_NONE)
        fail("Polygon mode culling not correct value.");
    if (record.shading != PolygonMode::SHADE_FLAT && record.shading != PolygonMode::SHADE_SMOOTH)
        fail("Polygon mode shading not correct value.");
    if (record.winding != PolygonMode::WINDING_CCW && record.winding != PolygonMode::WINDING_CW)
        fail("Polygon mode winding not correct value.");
}

core::Ref<PolygonMode> M3G_ObjectReader::setToClass(const M3G_PolygonMode& record)
{
    core::Ref<PolygonMode> mode = VORNA3D_NEW PolygonMode();
    setToClass(static_cast<const M3G_Object3D&>(record), *mode);
    mode->setCulling(record.culling);
    mode->setShading(record.shading);
    mode->setWinding(record.winding);
    mode->setTwoSidedLightingEnable(record.twoSidedLightingEnabled);
    mode->setLocalCameraLightingEnable(record.localCameraLightingEnabled);
    mode->setPerspectiveCorrectionEnable(record.perspectiveCorrectionEnabled);
    return mode;
}

// ---- Material ----

void M3G_ObjectReader::parseMaterial(core::DataIO& in, M3G_Material& record)
{
    parseObject3D(in, record);
    record.ambientColor = readColorRGB(in);
    record.diffuseColor = readColorRGBA(in);
    record.emissiveColor = readColorRGB(in);
    record.specularColor = readColorRGB(in);
    record.shininess = in.readFloat32();
    record.vertexColorTrackingEnabled = in.readBoolean();
    if (record.shininess < 0 || record.shininess > 128)
        fail("Material shininess is not in 0..128.");
}

core::Ref<Material> M3G_ObjectReader::setToClass(const M3G_Material& record)
{
    core::Ref<Material> material = VORNA3D_NEW Material();
    setToClass(static_cast<const M3G_Object3D&>(record), *material);
    material->setColor(Material::AMBIENT, record.ambientColor);
    material->setColor(Material::DIFFUSE, record.diffuseColor);
    material->setColor(Material::EMISSIVE, record.emissiveColor);
    material->setColor(Material::SPECULAR, record.specularColor);
    material->setShininess(record.shininess);
    material->setVertexColorTrackingEnable(record.vertexColorTrackingEnabled);
    return material;
}

} // namespace render
