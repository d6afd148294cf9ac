// Appearance records: Appearance, Background, CompositingMode, Fog,
// PolygonMode and Material. The compositing mode's depth and alpha test
// functions, blend colour and stencil have no place in a file and are not
// written.

#include <cmath>

#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/appearance/CompositingMode.h"
#include "render/appearance/Fog.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/m3g/M3G_ObjectWriter.h"
#include "render/appearance/Material.h"
#include "render/appearance/PolygonMode.h"
#include "render/appearance/Texture2D.h"

namespace render {

// ---- Appearance ----

void M3G_ObjectWriter::setToStruct(Appearance& appearance, M3G_Appearance& record)
{
    setToStruct(static_cast<Object3D&>(appearance), record);
    if (appearance.getLayer() < -63 || appearance.getLayer() > 63)
        fail("Too big layer in Appearance!");
    record.layer = static_cast<int8_t>(appearance.getLayer());
    record.compositingMode = indexOf(appearance.getCompositingMode());
    record.fog = indexOf(appearance.getFog());
    record.polygonMode = indexOf(appearance.getPolygonMode());
    record.material = indexOf(appearance.getMaterial());
    for (int unit = 0; unit < appearance.getTextureCount(); ++unit)
        record.textures.add(indexOf(appearance.getTexture(unit)));
}

void M3G_ObjectWriter::saveAppearance(const M3G_Appearance& record, core::DataIO& out)
{
    saveObject3D(record, out);
    out.writeByte(static_cast<uint8_t>(record.layer));
    out.writeUInt32(record.compositingMode);
    out.writeUInt32(record.fog);
    out.writeUInt32(record.polygonMode);
    out.writeUInt32(record.material);
    saveIndices(record.textures, out);
}

// ---- Background ----

void M3G_ObjectWriter::setToStruct(Background& background, M3G_Background& record)
{
    setToStruct(static_cast<Object3D&>(background), record);
    record.backgroundColor = background.getColor();
    record.backgroundImage = indexOf(background.getImage());
    if (background.getImageModeX() != Background::BORDER && background.getImageModeX() != Background::REPEAT)
        fail("Too big Image mode X in Background!");
    if (background.getImageModeY() != Background::BORDER && background.getImageModeY() != Background::REPEAT)
        fail("Too big Image mode Y in Background!");
    record.backgroundImageModeX = static_cast<uint8_t>(background.getImageModeX());
    record.backgroundImageModeY = static_cast<uint8_t>(background.getImageModeY());
    record.cropX = background.getCropX();
    record.cropY = background.getCropY();
    record.cropWidth = background.getCropWidth();
    record.cropHeight = background.getCropHeight();
    record.depthClearEnabled = background.isDepthClearEnabled();
    record.colorClearEnabled = background.isColorClearEnabled();
}

void M3G_ObjectWriter::saveBackground(const M3G_Background& record, core::DataIO& out)
{
    saveObject3D(record, out);
    saveColorRGBA(record.backgroundColor, out);
    out.writeUInt32(record.backgroundImage);
    out.writeByte(record.backgroundImageModeX);
    out.writeByte(record.backgroundImageModeY);
    out.writeInt32(record.cropX);
    out.writeInt32(record.cropY);
    out.writeInt32(record.cropWidth);
    out.writeInt32(record.cropHeight);
    out.writeBoolean(record.depthClearEnabled);
    out.writeBoolean(record.colorClearEnabled);
}

// ---- CompositingMode ----

void M3G_ObjectWriter::setToStruct(CompositingMode& mode, M3G_CompositingMode& record)
{
    setToStruct(static_cast<Object3D&>(mode), record);
    record.depthTestEnabled = mode.isDepthTestEnabled();
    record.depthWriteEnabled = mode.isDepthWriteEnabled();
    record.colorWriteEnabled = mode.isColorWriteEnabled();
    record.alphaWriteEnabled = mode.isAlphaWriteEnabled();
    record.blending = static_cast<uint8_t>(mode.getBlending());
    const float threshold = mode.getAlphaThreshold();
    if (!(threshold >= 0.f && threshold <= 1.f))
        fail("Invalid alpha treshold value in CompositingMode!");
    // The file keeps 1/256 steps; 1.0 would be 256, which a byte cannot
    // hold, so the top step stands for it.
    const long steps = std::lround(threshold * 256.f);
    record.alphaThreshold = static_cast<uint8_t>(steps > 255 ? 255 : steps);
    record.depthOffsetFactor = mode.getDepthOffsetFactor();
    record.depthOffsetUnits = mode.getDepthOffsetUnits();
}

void M3G_ObjectWriter::saveCompositingMode(const M3G_CompositingMode& record, core::DataIO& out)
{
    saveObject3D(record, out);
    out.writeBoolean(record.depthTestEnabled);
    out.writeBoolean(record.depthWriteEnabled);
    out.writeBoolean(record.colorWriteEnabled);
    out.writeBoolean(record.alphaWriteEnabled);
    out.writeByte(record.blending);
    out.writeByte(record.alphaThreshold);
    out.writeFloat32(record.depthOffsetFactor);
    out.writeFloat32(record.depthOffsetUnits);
}

// ---- Fog ----

void M3G_ObjectWriter::setToStruct(Fog& fog, M3G_Fog& record)
{
    setToStruct(static_cast<Object3D&>(fog), record);
    record.color = fog.getColor() & 0x00FFFFFFu;
    record.mode = static_cast<uint8_t>(fog.getMode());
    record.density = fog.getDensity();
    record.nearDistance = fog.getNearDistance();
    record.farDistance = fog.getFarDistance();
}

void M3G_ObjectWriter::saveFog(const M3G_Fog& record, core::DataIO& out)
{
    saveObject3D(record, out);
    saveColorRGB(record.color, out);
    out.writeByte(record.mode);
    if (record.mode == Fog::EXPONENTIAL) {
        out.writeFloat32(record.density);
    } else {
        out.writeFloat32(record.nearDistance);
        out.writeFloat32(record.farDistance);
    }
}

// ---- PolygonMode ----

void M3G_ObjectWriter::setToStruct(PolygonMode& mode, M3G_PolygonMode& record)
{
    setToStruct(static_cast<Object3D&>(mode), record);
    if (mode.getCulling() < PolygonMode::CULL_BACK || mode.getCulling() > PolygonMode::CULL_NONE)
        fail("Polygon mode culling not correct value.");
    if (mode.getShading() != PolygonMode::SHADE_FLAT && mode.getShading() != PolygonMode::SHADE_SMOOTH)
        fail("Polygon mode shading not correct value.");
    if (mode.getWinding() != PolygonMode::WINDING_CCW && mode.getWinding() != PolygonMode::WINDING_CW)
        fail("Polygon mode winding not correct value.");
    record.culling = static_cast<uint8_t>(mode.getCulling());
    record.shading = static_cast<uint8_t>(mode.getShading());
    record.winding = static_cast<uint8_t>(mode.getWinding());
    record.twoSidedLightingEnabled = mode.isTwoSidedLightingEnabled();
    record.localCameraLightingEnabled = mode.isLocalCameraLightingEnabled();
    record.perspectiveCorrectionEnabled = mode.isPerspectiveCorrectionEnabled();
}

void M3G_ObjectWriter::savePolygonMode(const M3G_PolygonMode& record, core::DataIO& out)
{
    saveObject3D(record, out);
    out.writeByte(record.culling);
    out.writeByte(record.shading);
    out.writeByte(record.winding);
    out.writeBoolean(record.twoSidedLightingEnabled);
    out.writeBoolean(record.localCameraLightingEnabled);
    out.writeBoolean(record.perspectiveCorrectionEnabled);
}

// ---- Material ----

void M3G_ObjectWriter::setToStruct(Material& material, M3G_Material& record)
{
    setToStruct(static_cast<Object3D&>(material), record);
    record.ambientColor = material.getColor(Material::AMBIENT) & 0x00FFFFFFu;
    record.diffuseColor = material.getColor(Material::DIFFUSE);
    record.emissiveColor = material.getColor(Material::EMISSIVE) & 0x00FFFFFFu;
    record.specularColor = material.getColor(Material::SPECULAR) & 0x00FFFFFFu;
    record.shininess = material.getShininess();
    record.vertexColorTrackingEnabled = material.isVertexColorTrackingEnabled();
}

void M3G_ObjectWriter::saveMaterial(const M3G_Material& record, core::DataIO& out)
{
    saveObject3D(record, out);
    saveColorRGB(record.ambientColor, out);
    saveColorRGBA(record.diffuseColor, out);
    saveColorRGB(record.emissiveColor, out);
    saveColorRGB(record.specularColor, out);
    out.writeFloat32(record.shininess);
    out.writeBoolean(record.vertexColorTrackingEnabled);
}

} // namespace render
