#include "examples/viewer/ViewerScene.h"

#include <cmath>

#include "examples/viewer/ProceduralImages.h"
#include "examples/viewer/TorusMesh.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/scene/Light.h"
#include "render/appearance/Material.h"
#include "render/scene/Mesh.h"
#include "render/appearance/Texture2D.h"

namespace viewer {

ViewerScene::ViewerScene(render::Graphics3D& g3d)
{
    m_torus = createTorus(TorusShape());
    core::Ref<render::Image2D> checker = createCheckerImage(64, 64, 8, CHECKER_A, CHECKER_B);
    core::Ref<render::Texture2D> texture = g3d.createNewTexture(0, 0);
    ASSERT_MSG(texture, "the renderer made no texture");
    texture->setImage(checker.get());
    texture->setBlending(render::Texture2D::FUNC_MODULATE);
    core::Ref<render::Material> material = VORNA3D_NEW render::Material();
    material->setColor(render::Material::AMBIENT, 0xFFFFFFFFu);
    material->setColor(render::Material::DIFFUSE, 0xFFFFFFFFu);
    material->setColor(render::Material::SPECULAR, 0xFF606060u);
    material->setShininess(24.f);
    core::Ref<render::Appearance> appearance = VORNA3D_NEW render::Appearance();
    appearance->setMaterial(material.get());
    appearance->setTexture(0, texture.get());
    m_torus->setAppearance(0, appearance.get());

    m_background = VORNA3D_NEW render::Background();
    core::Ref<render::Image2D> sky =
        createGradientImage(BACKGROUND_WIDTH, BACKGROUND_HEIGHT, BACKGROUND_TOP, BACKGROUND_BOTTOM);
    m_background->setImage(sky.get());
    m_background->setColor(0xFF000000u);

    m_camera = VORNA3D_NEW render::Camera();
    setAspect(g3d.getDisplayWidth(), g3d.getDisplayHeight());
    m_cameraTransform.postTranslate(0.f, 0.f, 4.5f);

    // The sun shines along its -z axis; turned so that it comes from the
    // upper left, in front of the torus: direction about (0.53, -0.57, -0.63).
    m_sun = VORNA3D_NEW render::Light();
    m_sun->setMode(render::Light::DIRECTIONAL);
    m_sun->setColor(0xFFFFFF);
    m_sun->setIntensity(1.f);
    render::Transform sunTransform;
    sunTransform.postRotate(-40.f, 0.f, 1.f, 0.f);
    sunTransform.postRotate(-35.f, 1.f, 0.f, 0.f);
    m_ambient = VORNA3D_NEW render::Light();
    m_ambient->setMode(render::Light::AMBIENT);
    m_ambient->setColor(0x303030);
    m_ambient->setIntensity(1.f);
    g3d.addLight(m_sun.get(), sunTransform);
    g3d.addLight(m_ambient.get(), render::Transform());
}

ViewerScene::~ViewerScene() noexcept(false) = default;

void ViewerScene::setAspect(int width, int height)
{
    ASSERT(width > 0 && height > 0);
    m_camera->setPerspective(45.f, float(width) / float(height), 0.5f, 50.f);
}

void ViewerScene::advance(float seconds)
{
    ASSERT(seconds >= 0.f);
    m_time += seconds;
}

void ViewerScene::getTorusTransform(render::Transform* transform) const
{
    ASSERT(transform);
    // Spins about its own axis while that axis nods to and fro.
    const float spin = std::fmod(m_time * 40.f, 360.f);
    const float tilt = 30.f + 15.f * std::sin(m_time * 0.7f);
    transform->setIdentity();
    transform->postRotate(tilt, 1.f, 0.f, 0.f);
    transform->postRotate(20.f, 0.f, 1.f, 0.f);
    transform->postRotate(spin, 0.f, 0.f, 1.f);
}

void ViewerScene::draw(render::Graphics3D& g3d)
{
    render::Transform torusTransform;
    getTorusTransform(&torusTransform);
    g3d.setCamera(m_camera.get(), m_cameraTransform);
    g3d.clear(m_background.get());
    g3d.render(render::Graphics3D::RENDER_ALL, m_torus.get(), torusTransform);
}

} // namespace viewer
