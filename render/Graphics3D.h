#pragma once
// Graphics3D: the renderer facade. The application binds it to a display,
// sets the camera and lights, clears, and renders nodes or raw submeshes
// through it; scene nodes find it with getInstance. The class is abstract:
// everything that touches the graphics API goes through the back-end slots
// declared below, which the OpenGL back end implements. There is one
// renderer per program; the back end registers itself in the engine globals
// (registerInstance) when it is constructed.
//
// This part holds what the scene graph needs: the configuration, the
// instance lookup, the camera with its cached matrices, the light list with
// one LightConfig per GL light, clears and the two render calls.

#include <cstdint>

#include "core/Object.h"
#include "core/Ref.h"
#include "core/Vector.h"
#include "render/Graphics3DConfig.h"
#include "render/LightConfig.h"
#include "render/Transform.h"
#include "slmath/slmath.h"

namespace HAL {
class Display;
}

namespace render {

class Appearance;
class Background;
class Camera;
class IndexBuffer;
class Light;
class Node;
class Texture2D;
class VertexBuffer;

class Graphics3D : public core::Object {
public:
    // Render-flag bits: texture binding, clearing a World with its
    // background, the outline pass. RENDER_ALL is every bit but the outline.
    static constexpr int RENDER_FLAG_TEXTURES = 0x10;
    static constexpr int RENDER_FLAG_BACKGROUND = 0x20;
    static constexpr int RENDER_FLAG_OUTLINE = 0x40;
    static constexpr int RENDER_ALL = 0xFFBF;
    // GL lights, one LightConfig each.
    static constexpr int MAX_LIGHTS = 8;

    ~Graphics3D() noexcept(false) override;

    // The one registered renderer. Asserts "Graphics3D::getInstance failed
    // because Globals does not include Graphics3D object" when none is
    // registered and "Graphics3D::getInstance failed because Globals has 0
    // or > 1 Graphics3D objects" when several are.
    static Graphics3D* getInstance();

    // Binds the renderer to `display`, copies `config` and creates the
    // drawing context (createContext). A back end extends it with its own
    // start-up. Asserts "configGraphics3D failed because display is 0".
    virtual void configGraphics3D(HAL::Display* display, const Graphics3DConfig& config);
    // Takes the display's current size and sets the viewport to it, after
    // the window was resized. Asserts "can not reset Graphics because
    // display is 0" before configGraphics3D.
    virtual void resetGraphics3D();

    const Graphics3DConfig& getConfig() const { return m_GraphicsConfig; }
    HAL::Display* getDisplay() const { return m_display.get(); }
    int getDisplayWidth() const { return m_displayWidth; }
    int getDisplayHeight() const { return m_displayHeight; }

    // Sets the viewport to (0, 0, width, height); nothing happens when it is
    // unchanged. Asserts "setViewport : width < 0" / "setViewport : height < 0".
    void setViewport(int width, int height);

    // Clears the target with the background's colour and clear switches, or
    // to colour (0, 0, 0, 0) and depth without one. Asserts "OpenGLES error"
    // when the back end reports an error.
    void clear(Background* background);

    // Stores `flags` and renders `node` with `transform` as its parent's
    // world transform. Asserts "node parameter is 0".
    void render(int flags, Node* node, const Transform& transform);
    // Stores `flags` and draws one submesh with the world transform
    // `transform`; a buffer without vertices draws nothing. Asserts
    // "vertices parameter is 0" / "triangles parameter is 0".
    void render(int flags, VertexBuffer* vertices, IndexBuffer* triangles, Appearance* appearance,
                const Transform& transform, int scope);
    // The flags of the last render call.
    int getRenderFlags() const { return m_renderFlags; }

    // Makes `camera` (null: none) the active camera, placed by `transform`.
    // A call with the active camera and unchanged matrices does nothing.
    // Asserts "setCamera : Components of the matrix are not valid numbers so
    // transform not invertible" for a matrix that is not finite; throws
    // ArithmeticException when it cannot be inverted.
    void setCamera(Camera* camera, const Transform& transform);
    Camera* getCamera() const { return m_camera.get(); }
    // The active camera's world transform and its inverse (identity without a camera).
    const Transform& getCameraTransform() const { return m_cameraTransform; }
    const Transform& getViewTransform() const { return m_viewTransform; }
    // The projection in use (the camera's, times the correction matrix).
    const slmath::mat4& getProjectionMatrix() const { return m_cachedProjection; }
    // The same, transposed for GL.
    const slmath::mat4& getGLProjectionMatrix() const { return m_glProjection; }
    // Cameras actually set since the counters were last reset.
    int getCameraSetCount() const { return m_cameraSetCount; }

    // Appends `light` with its world transform and returns its index.
    // Asserts "light parameter is 0". Lights beyond MAX_LIGHTS are listed
    // but not lit (one warning).
    int addLight(Light* light, const Transform& transform);
    // Replaces light `index`. Asserts "light parameter is 0",
    // "setLight : index parameter is < 0", "setLight : index parameter is too big".
    void setLight(int index, Light* light, const Transform& transform);
    // Asserts "getLight : index parameter is < 0" / "getLight : index parameter is too big".
    Light* getLight(int index) const;
    int getLightCount() const { return m_lights.size(); }
    // Empties the light list, frees every LightConfig and switches all
    // lights off (sendLightData(null)). Keeps the list's storage.
    void resetLights();
    // Sends every changed LightConfig to the back end; the back end calls it
    // before each draw. Returns false when a send failed. Does nothing when
    // the configuration has lighting off.
    bool updateLights();
    // The record of GL light `index`. Requires 0 <= index < MAX_LIGHTS.
    const LightConfig& getLightConfig(int index) const { return m_lightConfigs[index]; }

    // Run-time lighting switch (the configuration's switch still applies).
    bool isLightingEnabled() const { return m_lightingEnabled; }
    void setLightingEnabled(bool enabled) { m_lightingEnabled = enabled; }

    // `color` (0xAARRGGBB) as four floats in the renderer's scratch colour:
    // red, green and blue are byte / 255 * scale; alpha is 1 (colorToRGB) or
    // byte / 255 * scale (colorToRGBA). Valid until the next conversion.
    const float* colorToRGB(uint32_t color, float scale);
    const float* colorToRGBA(uint32_t color, float scale);

    // ---- Back-end slots, in slot order. ----

    // Depth range; both values in [0, 1].
    virtual void setDepthRange(float nearPlane, float farPlane) = 0;
    // Shader programs; the fixed-function back end has none.
    virtual void setActiveShaderProgram(int program) = 0;
    // Creates a GPU buffer of `size` bytes from `data`: kind 0 vertex data,
    // 1 index data. Returns its id.
    virtual int createStaticBuffer(int kind, int size, const void* data) = 0;
    virtual void deleteStaticBuffer(int id) = 0;
    // A new back-end texture of the given size; the caller holds it in a Ref.
    virtual Texture2D* createNewTexture(int width, int height) = 0;
    virtual int getActiveShaderProgram() = 0;
    // Presents the frame, makes the context current, creates the context.
    virtual void swapBuffers() = 0;
    virtual void makeCurrent() = 0;
    virtual void createContext() = 0;

protected:
    // Clears colour (to r, g, b, a) and depth as asked.
    virtual void lowLevelClear(float r, float g, float b, float a, bool clearDepth, bool clearColor) = 0;
    // Draws one submesh with the world transform `transform`.
    virtual void lowLevelRender(VertexBuffer* vertices, IndexBuffer* triangles, Appearance* appearance,
                                const Transform& transform, int scope) = 0;
    virtual void lowLevelBindTarget() = 0;
    // Copies the frame into a render target's texture when one is bound.
    virtual void lowLevelReleaseTarget() = 0;
    // Sends one light (null: switches every light off). False on failure.
    virtual bool sendLightData(const LightConfig* config) = 0;
    // Loads the projection (getGLProjectionMatrix) into the graphics API.
    virtual void loadProjection() = 0;
    virtual void lowLevelSetViewport(int x, int y, int width, int height) = 0;
    // False (after logging) when the graphics API reports an error.
    virtual bool checkError(const char* where) = 0;
    // Reads the device limits.
    virtual void updateProperties() = 0;
    // One-time default state.
    virtual void initRenderState() = 0;
    virtual void copyScreenToTexture(int textureId, int format, int width, int height) = 0;

    // Starts with no camera, no lights, eight free LightConfigs.
    Graphics3D();

    // Appends this renderer to the engine's Graphics3D list. The back end's
    // constructor calls it. Requires the engine globals.
    void registerInstance();

    // Applies the active camera: projection, view matrix, and every light
    // record marked for sending. Asserts "handleCamera failed. camera is missing".
    void handleCamera();
    // Builds the LightConfig of light `index` (see addLight).
    void handleLight(const Transform* tr, Light* light, int index);

private:
    Graphics3D(const Graphics3D&) = delete;
    Graphics3D& operator=(const Graphics3D&) = delete;

    // Builds `config` for `light` placed by `transform` as GL light `index`.
    void buildLightConfig(LightConfig& config, const Light& light, const Transform& transform, int index);

    Graphics3DConfig m_GraphicsConfig;
    bool m_lightingEnabled = true;
    int32_t m_renderFlags = 0;
    core::Ref<HAL::Display> m_display;
    Transform m_cameraTransform;
    Transform m_viewTransform;
    core::Ref<Camera> m_camera;
    int32_t m_cameraSetCount = 0;
    core::Vector<core::Ref<Light>> m_lights;
    core::Vector<Transform> m_lightTransforms;
    core::Vector<LightConfig> m_lightConfigs;
    bool m_lightOverflowWarned = false;
    slmath::mat4 m_glProjection;
    slmath::mat4 m_cachedCameraTransform;
    slmath::mat4 m_viewMatrix;
    slmath::mat4 m_cachedProjection;
    slmath::mat4 m_projectionCorrection;
    // Whether the cached matrices describe m_camera; a new camera is always
    // applied, even when its matrices equal the cached ones.
    bool m_cameraCacheValid = false;
    int32_t m_viewportX = 0;
    int32_t m_viewportY = 0;
    int32_t m_viewportWidth = 0;
    int32_t m_viewportHeight = 0;
    int32_t m_displayWidth = 0;
    int32_t m_displayHeight = 0;
    float m_scratchColor[4] = {0.f, 0.f, 0.f, 0.f};
};

} // namespace render
