#include "render/Graphics3D.h"

#include "HAL/Display.h"
#include "core/Debug.h"
#include "core/Globals.h"
#include "render/Background.h"
#include "render/Camera.h"
#include "render/IndexBuffer.h"
#include "render/Light.h"
#include "render/Node.h"
#include "render/VertexBuffer.h"

namespace render {

namespace {

constexpr float BYTE_TO_UNIT = 0.003921569f; // 1 / 255

} // namespace

Graphics3D::Graphics3D()
{
    m_lightConfigs.setSize(MAX_LIGHTS);
}

Graphics3D::~Graphics3D() noexcept(false) = default;

void Graphics3D::registerInstance()
{
    core::Globals::get()->m_g3d.add(core::Ref<core::Object>(this));
}

Graphics3D* Graphics3D::getInstance()
{
    const auto& list = core::Globals::get()->m_g3d;
    ASSERT_MSG(list.size() > 0 && list[0],
               "Graphics3D::getInstance failed because Globals does not include Graphics3D object");
    ASSERT_MSG(list.size() == 1, "Graphics3D::getInstance failed because Globals has 0 or > 1 Graphics3D objects");
    // Only registerInstance adds to the list, so the entry is a Graphics3D.
    return static_cast<Graphics3D*>(list[0].get());
}

void Graphics3D::configGraphics3D(HAL::Display* display, const Graphics3DConfig& config)
{
    ASSERT_MSG(display, "configGraphics3D failed because display is 0");
    m_display = display;
    m_GraphicsConfig = config;
    m_displayWidth = display->getConfig().width;
    m_displayHeight = display->getConfig().height;
    createContext();
}

void Graphics3D::resetGraphics3D()
{
    ASSERT_MSG(m_display, "can not reset Graphics because display is 0");
    m_displayWidth = m_display->getConfig().width;
    m_displayHeight = m_display->getConfig().height;
    setViewport(m_displayWidth, m_displayHeight);
}

void Graphics3D::setViewport(int width, int height)
{
    ASSERT_MSG(width >= 0, "setViewport : width < 0");
    ASSERT_MSG(height >= 0, "setViewport : height < 0");
    if (m_viewportX == 0 && m_viewportY == 0 && m_viewportWidth == width && m_viewportHeight == height)
        return;
    m_viewportX = 0;
    m_viewportY = 0;
    m_viewportWidth = width;
    m_viewportHeight = height;
    lowLevelSetViewport(0, 0, width, height);
}

void Graphics3D::clear(Background* background)
{
    if (background) {
        const float* c = colorToRGBA(background->getColor(), 1.f);
        lowLevelClear(c[0], c[1], c[2], c[3], background->isDepthClearEnabled(), background->isColorClearEnabled());
    } else {
        lowLevelClear(0.f, 0.f, 0.f, 0.f, true, true);
    }
    ASSERT_MSG(checkError("clear"), "OpenGLES error");
}

void Graphics3D::render(int flags, Node* node, const Transform& transform)
{
    ASSERT_MSG(node, "node parameter is 0");
    m_renderFlags = flags;
    node->render(this, &transform, flags);
}

void Graphics3D::render(int flags, VertexBuffer* vertices, IndexBuffer* triangles, Appearance* appearance,
                        const Transform& transform, int scope)
{
    m_renderFlags = flags;
    ASSERT_MSG(vertices, "vertices parameter is 0");
    ASSERT_MSG(triangles, "triangles parameter is 0");
    if (vertices->getVertexCount() > 0)
        lowLevelRender(vertices, triangles, appearance, transform, scope);
}

void Graphics3D::setCamera(Camera* camera, const Transform& transform)
{
    const slmath::mat4& matrix = transform.getMatrix();
    if (camera && camera == m_camera.get() && m_cameraCacheValid &&
        camera->getProjectionMatrix() == m_cachedProjection && matrix == m_cachedCameraTransform)
        return;
    if (!camera) {
        m_camera = nullptr;
        m_cameraCacheValid = false;
        m_cachedProjection = slmath::mat4();
        m_cameraTransform.setIdentity();
        m_viewTransform.setIdentity();
        return;
    }
    ASSERT_MSG(slmath::check(matrix),
               "setCamera : Components of the matrix are not valid numbers so transform not invertible");
    // Inverted aside first: a singular transform throws with the old camera intact.
    Transform view(transform);
    view.invert();
    m_cameraTransform.set(transform);
    m_viewTransform.set(view);
    m_camera = camera;
    m_cameraCacheValid = false;
    ++m_cameraSetCount;
    handleCamera();
}

void Graphics3D::handleCamera()
{
    ASSERT_MSG(m_camera, "handleCamera failed. camera is missing");
    if (m_camera->getScope() == 0)
        return;
    m_cachedProjection = m_projectionCorrection * m_camera->getProjectionMatrix();
    m_glProjection = slmath::transpose(m_cachedProjection);
    m_cachedCameraTransform = m_cameraTransform.getMatrix();
    m_viewMatrix = m_viewTransform.getMatrix();
    m_cameraCacheValid = true;
    loadProjection();
    // Light positions are sent relative to the view: all of them go again.
    for (LightConfig& config : m_lightConfigs)
        config.dirty = true;
}

int Graphics3D::addLight(Light* light, const Transform& transform)
{
    ASSERT_MSG(light, "light parameter is 0");
    const int index = m_lights.size();
    m_lights.add(core::Ref<Light>(light));
    m_lightTransforms.add(transform);
    ASSERT(m_lights.size() == m_lightTransforms.size());
    handleLight(&transform, light, index);
    return index;
}

void Graphics3D::setLight(int index, Light* light, const Transform& transform)
{
    ASSERT_MSG(light, "light parameter is 0");
    ASSERT_MSG(index >= 0, "setLight : index parameter is < 0");
    ASSERT_MSG(index < m_lights.size(), "setLight : index parameter is too big");
    ASSERT_MSG(index < m_lightTransforms.size(), "setLight : lightTransform internal error");
    m_lights[index] = light;
    m_lightTransforms[index] = transform;
    handleLight(&transform, light, index);
}

Light* Graphics3D::getLight(int index) const
{
    ASSERT_MSG(index >= 0, "getLight : index parameter is < 0");
    ASSERT_MSG(index < m_lights.size(), "getLight : index parameter is too big");
    return m_lights[index].get();
}

void Graphics3D::resetLights()
{
    core::Debug::printf(core::DEBUG_LEVEL_RENDER, "resetLights\n");
    m_lights.clear();
    m_lightTransforms.clear();
    for (LightConfig& config : m_lightConfigs) {
        config.dirty = false;
        config.valid = false;
        config.index = -1;
    }
    sendLightData(nullptr);
}

void Graphics3D::handleLight(const Transform* tr, Light* light, int index)
{
    ASSERT(tr);
    ASSERT(light);
    if (!m_GraphicsConfig.lighting) {
        sendLightData(nullptr);
        return;
    }
    if (index >= MAX_LIGHTS) {
        // A scene may hold more lights than GL has: the first eight light it.
        if (!m_lightOverflowWarned)
            core::Debug::printf(core::DEBUG_LEVEL_WARNING, "Graphics3D: more than %d lights, light %d and later ignored\n",
                                MAX_LIGHTS, index);
        m_lightOverflowWarned = true;
        return;
    }
    LightConfig& config = m_lightConfigs[index];
    if (light->isRenderingEnabled()) {
        buildLightConfig(config, *light, *tr, index);
    } else if (config.valid) {
        // A disabled light replaces a lit one: that GL light must go off.
        config.valid = false;
        config.dirty = true;
        config.index = index;
    }
    ASSERT_MSG(checkError("handleLight"), "OpenGLES error");
}

void Graphics3D::buildLightConfig(LightConfig& config, const Light& light, const Transform& transform, int index)
{
    const int mode = light.getMode();
    ASSERT_MSG(mode >= Light::AMBIENT && mode <= Light::SPOT, "render : invalid light mode (not supported)");
    const float* c = colorToRGB(static_cast<uint32_t>(light.getColor()), light.getIntensity());
    const slmath::vec4 color(c[0], c[1], c[2], c[3]);
    const slmath::vec4 zero;
    const bool attenuated = mode == Light::OMNI || mode == Light::SPOT;

    config.transform = transform.getMatrix();
    switch (mode) {
    case Light::AMBIENT: config.position = slmath::vec4(0.f, 0.f, 0.f, 0.f); break;
    case Light::DIRECTIONAL: config.position = slmath::vec4(0.f, 0.f, 1.f, 0.f); break;
    default: config.position = slmath::vec4(0.f, 0.f, 0.f, 1.f); break;
    }
    config.diffuse = mode == Light::AMBIENT ? zero : color;
    config.specular = mode == Light::OMNI ? color : zero;
    config.ambient = mode == Light::AMBIENT ? color : zero;
    config.spotDirection = slmath::vec4(0.f, 0.f, -1.f, 0.f);
    config.constantAttenuation = attenuated ? light.getConstantAttenuation() : 0.f;
    config.linearAttenuation = attenuated ? light.getLinearAttenuation() : 0.f;
    config.quadraticAttenuation = attenuated ? light.getQuadraticAttenuation() : 0.f;
    config.spotCutoff = mode == Light::SPOT ? light.getSpotAngle() : 180.f;
    config.spotExponent = mode == Light::SPOT ? light.getSpotExponent() : 0.f;
    config.index = index;
    config.mode = mode;
    config.dirty = true;
    config.valid = true;
}

bool Graphics3D::updateLights()
{
    if (!m_GraphicsConfig.lighting)
        return true;
    for (LightConfig& config : m_lightConfigs) {
        if (!config.dirty)
            continue;
        if (config.index >= 0 && !sendLightData(&config))
            return false;
        config.dirty = false;
    }
    return true;
}

const float* Graphics3D::colorToRGB(uint32_t color, float scale)
{
    m_scratchColor[0] = static_cast<float>((color >> 16) & 0xFF) * BYTE_TO_UNIT * scale;
    m_scratchColor[1] = static_cast<float>((color >> 8) & 0xFF) * BYTE_TO_UNIT * scale;
    m_scratchColor[2] = static_cast<float>(color & 0xFF) * BYTE_TO_UNIT * scale;
    m_scratchColor[3] = 1.f;
    return m_scratchColor;
}

const float* Graphics3D::colorToRGBA(uint32_t color, float scale)
{
    colorToRGB(color, scale);
    m_scratchColor[3] = static_cast<float>((color >> 24) & 0xFF) * BYTE_TO_UNIT * scale;
    return m_scratchColor;
}

} // namespace render
