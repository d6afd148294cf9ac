#include "render/Graphics3D.h"

#include "HAL/Display.h"
#include "HAL/System.h"
#include "core/Debug.h"
#include "core/Globals.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/Batcher.h"
#include "render/scene/Camera.h"
#include "render/DynamicBuffer.h"
#include "render/text/Font2D.h"
#include "render/FrameReader.h"
#include "render/geometry/IndexBuffer.h"
#include "render/scene/Light.h"
#include "render/scene/Mesh.h"
#include "render/scene/Node.h"
#include "render/RenderTarget.h"
#include "render/text/Text3D.h"
#include "render/appearance/Texture2D.h"
#include "render/geometry/VertexBuffer.h"

namespace render {

namespace {

constexpr float BYTE_TO_UNIT = 0.003921569f; // 1 / 255

// value * numerator / denominator, rounded to the nearest whole number
// (halves up), in 64 bits: sizes times sizes may pass 2^31.
int32_t scaled(int64_t value, int64_t numerator, int64_t denominator)
{
    return static_cast<int32_t>((value * numerator * 2 + denominator) / (denominator * 2));
}

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

const char* Graphics3D::getBackendName() const
{
    switch (m_backendType) {
    case BACKEND_OPENGL_ES_1:
        return "OPENGL";
    case BACKEND_OPENGL_SHADERS:
        return "OPENGL SHADERS";
    case BACKEND_DIRECT3DMOBILE:
        return "DIRECT3DMOBILE";
    default:
        return "UNKNOWN";
    }
}

void Graphics3D::configGraphics3D(HAL::Display* display, const Graphics3DConfig& config)
{
    ASSERT_MSG(display, "configGraphics3D failed because display is 0");
    m_display = display;
    m_GraphicsConfig = config;
    createContext();
    readGraphics3DConfig();
    createInternalObjects();
}

void Graphics3D::readGraphics3DConfig()
{
    ASSERT_MSG(!m_configRead, "You can not call readGraphics3DConfig because object is already initialized");
    m_configRead = true;
    m_properties = Graphics3DProperties();
    if (!m_display) {
        core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "OGLES_Graphics3D created without functionality\n");
        return;
    }
    m_scratchColor[0] = m_scratchColor[1] = m_scratchColor[2] = m_scratchColor[3] = 0.f;
    updatePicture();
    ASSERT_MSG(checkError("readGraphics3DConfig"), "OpenGLES error");

    updateProperties();
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "OpenGLES : maxViewportWidth     = %d\n",
                        m_properties.maxViewportWidth);
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "OpenGLES : maxViewportHeight    = %d\n",
                        m_properties.maxViewportHeight);
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "OpenGLES : maxViewportDimension = %d\n",
                        m_properties.maxViewportDimension);
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "OpenGLES : maxTextureDimension  = %d\n",
                        m_properties.maxTextureDimension);
    ASSERT_MSG(m_properties.maxViewportWidth > 0, "maxViewportWidth <= 0");
    ASSERT_MSG(m_properties.maxViewportHeight > 0, "maxViewportHeight <= 0");
    ASSERT_MSG(m_properties.maxViewportDimension > 0, "maxViewportDimension <= 0");
    ASSERT_MSG(m_properties.maxTextureDimension > 0, "maxTextureDimension <= 0");
    ASSERT_MSG(checkError("readGraphics3DConfig"), "OpenGLES error");

    resetLights();
    initRenderState();
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "Graphics3D: setGraphics3DDefaults\n");
    setViewport(m_pictureWidth, m_pictureHeight);
    setDepthRange(0.f, 1.f);
    ASSERT_MSG(checkError("readGraphics3DConfig"), "OpenGLES error");
}

void Graphics3D::createInternalObjects()
{
    if (!m_display)
        return;
    ASSERT(m_camera2DForBackground.get() == 0);
    ASSERT(m_displayWidth > 0);
    ASSERT(m_displayHeight > 0);

    if (m_cameraLightPending && m_GraphicsConfig.cameraLight) {
        m_cameraLightPending = false;
        m_cameraLight = VORNA3D_NEW Light();
        m_cameraLight->setMode(Light::DIRECTIONAL);
    }
    m_texture2DMesh = create2DPolygonWithDefaultAppearance(nullptr);
    // The quad rect and background images draw with, and the texture unit
    // rect lends its texture to, and room for the camera light, which joins
    // the light list at the first draw: made here so that no frame has to.
    m_backgroundMesh = create2DPolygonWithDefaultAppearance(nullptr);
    m_backgroundMesh->getAppearance(0)->setTexture(0, nullptr);
    m_lights.reserve(MAX_LIGHTS);
    m_lightTransforms.reserve(MAX_LIGHTS);
    m_camera2DForBackground = VORNA3D_NEW Camera();
    m_camera2DForDebugText3D = VORNA3D_NEW Camera();
    resetGraphics3D();

    ASSERT(m_dynamicBuffer.size() == 0);
    ASSERT_MSG(m_GraphicsConfig.maxDynamicBuffers > 2, "Graphics3D configuration error : max_dynamic_buffers <= 2");
    m_dynamicBuffer.setSize(m_GraphicsConfig.maxDynamicBuffers);
    for (core::Ref<DynamicBuffer>& buffer : m_dynamicBuffer)
        buffer = VORNA3D_NEW DynamicBuffer(m_GraphicsConfig.batchDepthWrite, m_GraphicsConfig.batchDepthTest);
    ASSERT(m_dynamicBuffer[0]);

    // The debug text leaves out what the built-in font lacks (lower case,
    // brackets, '_' of the overlay's first line) instead of failing.
    core::Ref<Font2D> debugFont = Font2D::createNewFont();
    m_debugText3D = VORNA3D_NEW Text3D(debugFont.get());
    m_debugText3D->setSkipUnmappedCharacters(true);
    if (m_GraphicsConfig.flipY)
        m_debugText3D->setTextScale(1.f, -1.f);
    m_debugTextTransform.setIdentity();

    ASSERT(m_defaultAppearance.get() == 0);
    m_defaultAppearance = Appearance::createOverlay(true, false);
}

void Graphics3D::releaseInternalObjects()
{
    m_dynamicBuffer.clear();
    m_debugText3D = nullptr;
    m_camera2DForDebugText3D = nullptr;
    m_renderTarget = nullptr;
    m_backgroundTexture = nullptr;
    m_backgroundMesh = nullptr;
    m_backgroundImage = nullptr;
    m_texture2DMesh = nullptr;
    m_defaultAppearance = nullptr;
    m_camera2DForBackground = nullptr;
    m_camera = nullptr;
    m_cameraCacheValid = false;
    m_lights.clear();
    m_lightTransforms.clear();
    m_cameraLightIndex = -1;
    m_cameraLight = nullptr;
}

void Graphics3D::updatePicture()
{
    const HAL::DisplayConfig& config = m_display->getConfig();
    m_displayWidth = config.width;
    m_displayHeight = config.height;
    m_fixedPicture = config.pictureWidth > 0 && config.pictureHeight > 0;
    m_pictureWidth = m_fixedPicture ? config.pictureWidth : m_displayWidth;
    m_pictureHeight = m_fixedPicture ? config.pictureHeight : m_displayHeight;
    if (m_fixedPicture) {
        m_screenViewport = fitPicture(m_pictureWidth, m_pictureHeight, m_displayWidth, m_displayHeight);
    } else {
        m_screenViewport = PixelRect{0, 0, m_displayWidth, m_displayHeight};
    }
}

Graphics3D::PixelRect Graphics3D::fitPicture(int pictureWidth, int pictureHeight, int clientWidth, int clientHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0 || clientWidth <= 0 || clientHeight <= 0)
        return PixelRect{};
    PixelRect fit;
    // Compare the aspect ratios crosswise, in whole numbers.
    if (int64_t(clientWidth) * pictureHeight >= int64_t(clientHeight) * pictureWidth) {
        // The client area is wider: full height, bars left and right.
        fit.height = clientHeight;
        fit.width = scaled(clientHeight, pictureWidth, pictureHeight);
    } else {
        // Narrower: full width, bars below and above.
        fit.width = clientWidth;
        fit.height = scaled(clientWidth, pictureHeight, pictureWidth);
    }
    fit.x = (clientWidth - fit.width) / 2;
    fit.y = (clientHeight - fit.height) / 2;
    return fit;
}

bool Graphics3D::hasBars() const
{
    return m_screenViewport.x != 0 || m_screenViewport.y != 0 || m_screenViewport.width != m_displayWidth ||
        m_screenViewport.height != m_displayHeight;
}

void Graphics3D::resetGraphics3D()
{
    ASSERT_MSG(m_display, "can not reset Graphics because display is 0");
    updatePicture();
    // A reset inside a render-target frame keeps that frame's viewport; the
    // display's is set for its next frame.
    if (m_targetBound && m_renderTarget) {
        m_displayViewportWidth = m_pictureWidth;
        m_displayViewportHeight = m_pictureHeight;
    } else {
        setViewport(m_pictureWidth, m_pictureHeight);
    }
    const float width = static_cast<float>(m_pictureWidth);
    const float height = static_cast<float>(m_pictureHeight);
    if (m_camera2DForBackground)
        m_camera2DForBackground->setParallel(0.f, width, 0.f, height, 0.f, 1000.f);
    if (m_camera2DForDebugText3D)
        m_camera2DForDebugText3D->setParallel(0.f, width, 0.f, height, 0.f, 1000.f);
}

void Graphics3D::setDeviceLimits(int maxViewportWidth, int maxViewportHeight, int maxTextureDimension, int textureUnits)
{
    m_properties.maxViewportWidth = maxViewportWidth;
    m_properties.maxViewportHeight = maxViewportHeight;
    m_properties.maxViewportDimension = maxViewportWidth < maxViewportHeight ? maxViewportWidth : maxViewportHeight;
    m_properties.maxTextureDimension = maxTextureDimension;
    m_properties.numTextureUnits = textureUnits;
}

void Graphics3D::storeDepthRange(float nearPlane, float farPlane)
{
    // Both are checked before either is stored: a rejected call changes nothing.
    ASSERT_MSG(nearPlane >= 0.f && nearPlane <= 1.f, "setDepthRange : near_range has invalid data");
    ASSERT_MSG(farPlane >= 0.f && farPlane <= 1.f, "setDepthRange : far_range has invalid data");
    m_depthRangeNear = nearPlane;
    m_depthRangeFar = farPlane;
}

void Graphics3D::bindTarget(RenderTarget* target, bool depthBuffer, int hints)
{
    ASSERT_MSG(checkError("bindTarget"), "Graphics3D error before bindTarget");
    ASSERT_MSG(!m_targetBound, "bindTarget : target is already bound");
    ASSERT_MSG((hints & ~(HINT_DEFAULT | HINT_ANTIALIAS | HINT_DITHER | HINT_TRUE_COLOR | HINT_OVERWRITE)) == 0,
               "bindTarget : hints are invalid");
    ASSERT(m_display);
    m_renderTarget = target;
    m_hints = hints;
    makeCurrent();
    m_depthBufferEnabled = depthBuffer;
    m_targetBound = true;
    if (target) {
        // The part of the texture that the picture covers, from its origin.
        Texture2D* texture = target->getTexture();
        const int width = texture->getWidth() < m_pictureWidth ? texture->getWidth() : m_pictureWidth;
        const int height = texture->getHeight() < m_pictureHeight ? texture->getHeight() : m_pictureHeight;
        applyViewport(width, height, false);
    } else {
        applyViewport(m_displayViewportWidth, m_displayViewportHeight, true);
    }
    lowLevelBindTarget();
}

void Graphics3D::releaseTarget()
{
    ASSERT_MSG(m_targetBound, "releaseTarget : no target is bound");
    ASSERT_MSG(checkError("releaseTarget"), "Graphics3D error before releaseTarget");
    const bool toDisplay = !m_renderTarget;
    // The buffers first, so that the overlay counts this frame's batches.
    flushDynamicBuffers();
    if (toDisplay)
        drawStatistics();
    lowLevelReleaseTarget();
    if (toDisplay) {
        if (m_frameReader) {
            try {
                deliverFrame();
            } catch (...) {
                // Unpresented, but the renderer is ready for the next frame.
                m_renderTarget = nullptr;
                m_targetBound = false;
                m_hints = HINT_DEFAULT;
                throw;
            }
        }
        swapBuffers();
        m_hints = HINT_DEFAULT;
    }
    m_renderTarget = nullptr;
    m_targetBound = false;
    ASSERT_MSG(checkError("releaseTarget"), "OpenGLES error after releaseTarget");
}

void Graphics3D::releaseTarget(FrameReader& reader)
{
    FrameReader* const installed = m_frameReader;
    m_frameReader = &reader;
    try {
        releaseTarget();
    } catch (...) {
        m_frameReader = installed;
        throw;
    }
    m_frameReader = installed;
}

int Graphics3D::percentOf(int64_t value, int64_t total)
{
    if (total == 0)
        return 0;
    return static_cast<int>(static_cast<double>(value) / static_cast<double>(total) * 100.0);
}

void Graphics3D::setViewport(int width, int height)
{
    ASSERT_MSG(width >= 0, "setViewport : width < 0");
    ASSERT_MSG(height >= 0, "setViewport : height < 0");
    // The limits are known once the back end has read them.
    if (m_properties.maxViewportWidth > 0)
        ASSERT(width <= m_properties.maxViewportWidth);
    if (m_properties.maxViewportHeight > 0)
        ASSERT(height <= m_properties.maxViewportHeight);
    const bool onScreen = !(m_targetBound && m_renderTarget);
    if (onScreen) {
        m_displayViewportWidth = width;
        m_displayViewportHeight = height;
    }
    applyViewport(width, height, onScreen);
}

void Graphics3D::applyViewport(int width, int height, bool onScreen)
{
    m_viewportX = 0;
    m_viewportY = 0;
    m_viewportWidth = width;
    m_viewportHeight = height;
    PixelRect rect{0, 0, width, height};
    if (onScreen && m_fixedPicture) {
        // Picture pixels to client pixels: the whole picture is exactly the
        // screen viewport, edges rounded to whole pixels.
        rect.x = m_screenViewport.x;
        rect.y = m_screenViewport.y;
        rect.width = scaled(width, m_screenViewport.width, m_pictureWidth);
        rect.height = scaled(height, m_screenViewport.height, m_pictureHeight);
    }
    if (rect == m_sentViewport)
        return;
    m_sentViewport = rect;
    lowLevelSetViewport(rect.x, rect.y, rect.width, rect.height);
}

void Graphics3D::deliverFrame()
{
    const PixelRect& rect = m_screenViewport;
    if (rect.width <= 0 || rect.height <= 0)
        return; // a minimised window shows nothing
    if (m_readBackDepth > 1) {
        // The slot this frame goes to is free: at most depth - 1 frames are
        // held between frames.
        const int slot = (m_heldFirst + m_heldCount) % m_readBackDepth;
        if (startPixelRead(slot, rect.x, rect.y, rect.width, rect.height)) {
            m_heldWidth[slot] = rect.width;
            m_heldHeight[slot] = rect.height;
            ++m_heldCount;
            if (m_heldCount >= m_readBackDepth)
                deliverHeldFrame();
            return;
        }
        m_readBackDepth = 1; // no pixel buffers here: read at once from now on
    }
    const size_t bytes = size_t(rect.width) * size_t(rect.height) * 4;
    if (m_framePixels.size() != bytes)
        m_framePixels.resize(bytes);
    readScreenPixels(rect.x, rect.y, rect.width, rect.height, m_framePixels.data());
    m_frameReader->frameDrawn(m_framePixels.data(), rect.width, rect.height);
}

void Graphics3D::deliverHeldFrame()
{
    const int slot = m_heldFirst;
    m_heldFirst = (m_heldFirst + 1) % m_readBackDepth;
    --m_heldCount;
    const uint8_t* pixels = mapPixelRead(slot);
    try {
        m_frameReader->frameDrawn(pixels, m_heldWidth[slot], m_heldHeight[slot]);
    } catch (...) {
        finishPixelRead(slot);
        throw;
    }
    finishPixelRead(slot);
}

void Graphics3D::flushFrameReader()
{
    while (m_heldCount > 0) {
        if (!m_frameReader) {
            m_heldCount = 0; // nobody to hand them to
            break;
        }
        deliverHeldFrame();
    }
    m_heldFirst = 0;
}

void Graphics3D::setFrameReadBackDepth(int depth)
{
    ASSERT_MSG(depth >= 1 && depth <= MAX_READ_BACK_DEPTH, "setFrameReadBackDepth : depth must be 1 to 3");
    flushFrameReader();
    m_readBackDepth = depth;
}

bool Graphics3D::startPixelRead(int, int, int, int, int)
{
    return false;
}

const uint8_t* Graphics3D::mapPixelRead(int)
{
    ASSERT_MSG(false, "this renderer has no pixel buffers");
    return nullptr;
}

void Graphics3D::finishPixelRead(int)
{
}

void Graphics3D::readScreenPixels(int, int, int, int, uint8_t*)
{
    ASSERT_MSG(false, "this renderer can not read frames back");
}

void Graphics3D::clear(Background* background)
{
    if (background) {
        const float* c = colorToRGBA(background->getColor(), 1.f);
        lowLevelClear(c[0], c[1], c[2], c[3], background->isDepthClearEnabled(), background->isColorClearEnabled());
        if (background->getImage())
            drawBackgroundImage(background);
    } else {
        lowLevelClear(0.f, 0.f, 0.f, 0.f, true, true);
    }
    for (const core::Ref<DynamicBuffer>& buffer : m_dynamicBuffer) {
        ASSERT_MSG(buffer->getBatcher(), " m_dynamicBuffer[i]->m_batcher != 0 ");
        buffer->getBatcher()->clear();
        buffer->markFree();
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
    // The camera light carries the camera's transform.
    if (m_cameraLightIndex != -1)
        setLight(m_cameraLightIndex, getLight(m_cameraLightIndex), transform);
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
    ++m_statistics.cameraSetCount;
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
    m_cameraLightIndex = -1;
    // clear() keeps the storage: a steady frame allocates nothing here.
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
            core::Debug::printf(core::DEBUG_LEVEL_WARNING,
                                "Graphics3D: more than %d lights, light %d and later ignored\n", MAX_LIGHTS, index);
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
    case Light::AMBIENT:
        config.position = slmath::vec4(0.f, 0.f, 0.f, 0.f);
        break;
    case Light::DIRECTIONAL:
        config.position = slmath::vec4(0.f, 0.f, 1.f, 0.f);
        break;
    default:
        config.position = slmath::vec4(0.f, 0.f, 0.f, 1.f);
        break;
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
    if (m_GraphicsConfig.cameraLight && m_cameraLight && m_cameraLightIndex == -1) {
        // The camera light joins the list at the next free index, placed
        // where the camera is.
        m_cameraLight->setTransform(m_cameraTransform);
        Transform placed;
        m_cameraLight->getCompositeTransform(&placed);
        m_cameraLightIndex = addLight(m_cameraLight.get(), placed);
    }
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
