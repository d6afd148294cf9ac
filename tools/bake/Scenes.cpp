#include "Scenes.h"

#include <cmath>
#include <stdexcept>

#include "Meshes.h"
#include "Paint.h"
#include "render/scene/Camera.h"
#include "render/appearance/Image2D.h"
#include "render/scene/Light.h"
#include "render/appearance/Material.h"
#include "render/appearance/PolygonMode.h"
#include "render/appearance/Texture2D.h"
#include "render/geometry/TriangleStripArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"

namespace bake {

namespace {

short quantise(float value, float scale)
{
    const long q = std::lround(value / scale);
    if (q < -32768 || q > 32767)
        throw std::runtime_error("mesh value out of the 16-bit range");
    return static_cast<short>(q);
}

core::Ref<render::VertexArray> shortArray(const std::vector<short>& values, int components)
{
    const int count = static_cast<int>(values.size()) / components;
    core::Ref<render::VertexArray> array = VORNA3D_NEW render::VertexArray(count, components, 2, 0);
    array->set(count, values.data());
    return array;
}

core::Ref<render::Camera> makeCamera()
{
    core::Ref<render::Camera> camera = VORNA3D_NEW render::Camera();
    camera->setPerspective(60.f, 4.f / 3.f, 0.1f, 2050.f);
    camera->setTranslation(0.f, 0.f, 600.f);
    return camera;
}

// A white directional light from the upper left front.
core::Ref<render::Light> makeLight()
{
    core::Ref<render::Light> light = VORNA3D_NEW render::Light();
    light->setMode(render::Light::DIRECTIONAL);
    light->setColor(0xFFFFFF);
    light->setIntensity(1.f);
    light->setOrientation(-40.f, 1.f, 1.f, 0.f);
    return light;
}

core::Ref<render::Material> makeMaterial(uint32_t ambient, uint32_t diffuse, uint32_t specular, uint32_t emissive,
                                         float shininess)
{
    core::Ref<render::Material> material = VORNA3D_NEW render::Material();
    material->setColor(render::Material::AMBIENT, ambient);
    material->setColor(render::Material::DIFFUSE, diffuse);
    material->setColor(render::Material::SPECULAR, specular);
    material->setColor(render::Material::EMISSIVE, emissive);
    material->setShininess(shininess);
    return material;
}

core::Ref<render::World> worldOf(std::initializer_list<render::Node*> children, render::Camera* camera)
{
    core::Ref<render::World> world = VORNA3D_NEW render::World();
    for (render::Node* child : children)
        world->addChild(child);
    world->setActiveCamera(camera);
    return world;
}

} // namespace

core::Ref<render::Mesh> toEngineMesh(const MeshData& mesh, render::Appearance* appearance)
{
    const int count = mesh.vertexCount();
    std::vector<short> positions, normals, texCoords;
    std::vector<char> colors;
    for (int i = 0; i < count; ++i) {
        const Vec3& p = mesh.positions[i];
        const Vec3& n = mesh.normals[i];
        positions.insert(positions.end(),
                         {quantise(p.x, POSITION_SCALE), quantise(p.y, POSITION_SCALE), quantise(p.z, POSITION_SCALE)});
        normals.insert(normals.end(),
                       {quantise(n.x, 1.f / 32767.f), quantise(n.y, 1.f / 32767.f), quantise(n.z, 1.f / 32767.f)});
        if (mesh.withTexCoords)
            texCoords.insert(
                texCoords.end(),
                {quantise(mesh.texCoords[i].x, TEXCOORD_SCALE), quantise(mesh.texCoords[i].y, TEXCOORD_SCALE)});
        if (mesh.withColors) {
            const Color& c = mesh.colors[i];
            for (float v : {c.r, c.g, c.b, c.a})
                colors.push_back(
                    static_cast<char>(static_cast<unsigned char>(std::lround(clampf(v, 0.f, 1.f) * 255.f))));
        }
    }
    core::Ref<render::VertexBuffer> vertices = VORNA3D_NEW render::VertexBuffer();
    vertices->setPositions(shortArray(positions, 3).get(), POSITION_SCALE, nullptr);
    vertices->setNormals(shortArray(normals, 3).get());
    if (mesh.withTexCoords)
        vertices->setTexCoords(0, shortArray(texCoords, 2).get(), TEXCOORD_SCALE, nullptr);
    if (mesh.withColors) {
        core::Ref<render::VertexArray> array = VORNA3D_NEW render::VertexArray(count, 4, 1, 0);
        array->set(count, colors.data());
        vertices->setColors(array.get());
    }

    std::vector<unsigned short> indices;
    std::vector<int> lengths;
    for (const std::vector<uint16_t>& strip : mesh.strips) {
        indices.insert(indices.end(), strip.begin(), strip.end());
        lengths.push_back(static_cast<int>(strip.size()));
    }
    core::Ref<render::TriangleStripArray> strips =
        VORNA3D_NEW render::TriangleStripArray(indices.data(), lengths.data(), static_cast<int>(lengths.size()));
    return core::Ref<render::Mesh>(VORNA3D_NEW render::Mesh(vertices.get(), strips.get(), appearance));
}

core::Ref<render::World> makeDemoBallScene()
{
    // A glossy white ball: the plasma texture gives it its colour at run time.
    core::Ref<render::Appearance> look = VORNA3D_NEW render::Appearance();
    look->setMaterial(makeMaterial(0x404040, 0xFFFFFFFF, 0xFFFFFF, 0x101010, 48.f).get());
    core::Ref<render::Mesh> ball = toEngineMesh(sphere(40.f, 40, 24, 2.f, 1.f, false), look.get());

    core::Ref<render::Appearance> coarseLook = VORNA3D_NEW render::Appearance();
    coarseLook->setMaterial(makeMaterial(0x404040, 0xFFE0E0FF, 0xFFFFFF, 0x000000, 32.f).get());
    core::Ref<render::Mesh> coarse = toEngineMesh(sphere(40.f, 20, 12, 2.f, 1.f, false), coarseLook.get());

    core::Ref<render::Camera> camera = makeCamera();
    core::Ref<render::Light> light = makeLight();
    return worldOf({ball.get(), camera.get(), coarse.get(), light.get()}, camera.get());
}

core::Ref<render::World> makeStoneBallScene()
{
    // Seen from inside: the faces and normals point inward, and nothing is
    // culled in case the camera ever leaves it. Emissive so that the side
    // away from the light still shows the plasma.
    core::Ref<render::PolygonMode> polygons = VORNA3D_NEW render::PolygonMode();
    polygons->setCulling(render::PolygonMode::CULL_NONE);
    polygons->setTwoSidedLightingEnable(true);
    core::Ref<render::Appearance> look = VORNA3D_NEW render::Appearance();
    look->setPolygonMode(polygons.get());
    look->setMaterial(makeMaterial(0x606060, 0xFFB0B0B0, 0x000000, 0x505050, 0.f).get());
    core::Ref<render::Mesh> backdrop = toEngineMesh(sphere(115.f, 48, 32, 4.f, 2.f, true), look.get());

    core::Ref<render::Camera> camera = makeCamera();
    return worldOf({backdrop.get(), camera.get()}, camera.get());
}

core::Ref<render::World> makeHelixScene()
{
    // The vertex colours drive the ambient and diffuse lighting.
    core::Ref<render::Material> material = makeMaterial(0x303030, 0xFFFFFFFF, 0xFFFFFF, 0x000000, 24.f);
    material->setVertexColorTrackingEnable(true);
    core::Ref<render::Appearance> look = VORNA3D_NEW render::Appearance();
    look->setMaterial(material.get());
    core::Ref<render::Mesh> rung = toEngineMesh(helixBar(120.f, 12.f), look.get());

    core::Ref<render::Camera> camera = makeCamera();
    core::Ref<render::Light> light = makeLight();
    return worldOf({camera.get(), rung.get(), light.get()}, camera.get());
}

core::Ref<render::World> makeLogoScene(const Canvas& texture)
{
    const std::vector<unsigned char> pixels = texture.toRGBA8();
    core::Ref<render::Image2D> image =
        VORNA3D_NEW render::Image2D(render::Image2D::RGBA, texture.width(), texture.height(), pixels.data());
    core::Ref<render::Texture2D> chrome = VORNA3D_NEW render::Texture2D(image.get());
    chrome->setBlending(render::Texture2D::FUNC_MODULATE);
    chrome->setWrapping(render::Texture2D::WRAP_CLAMP, render::Texture2D::WRAP_CLAMP);

    core::Ref<render::Appearance> look = VORNA3D_NEW render::Appearance();
    look->setMaterial(makeMaterial(0x808080, 0xFFFFFFFF, 0xFFFFFF, 0x202020, 40.f).get());
    look->setTexture(0, chrome.get());
    core::Ref<render::Mesh> letters = toEngineMesh(logoLetters(100.f, 12.f), look.get());

    core::Ref<render::Camera> camera = makeCamera();
    core::Ref<render::Light> light = makeLight();
    return worldOf({camera.get(), letters.get(), light.get()}, camera.get());
}

} // namespace bake
