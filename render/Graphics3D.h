#pragma once
// Graphics3D: the renderer facade. The application binds it to the window
// or a render target, clears, sets the camera and lights, renders nodes, raw
// submeshes and screen rectangles, and releases the target at the end of the
// frame; scene nodes find it with getInstance. The class is abstract:
// everything that touches the graphics API goes through the back-end slots
// declared below, which the OpenGL back end implements. There is one
// renderer per program; the back end registers itself in the engine globals
// (registerInstance) when it is constructed.
//
// A frame:
//     g3d.setCamera(camera, cameraTransform);
//     g3d.bindTarget(nullptr);        // the window (or a RenderTarget)
//     g3d.clear(background);
//     g3d.render(Graphics3D::RENDER_ALL, node, identity);
//     g3d.releaseTarget();            // presents (or copies into the target)
//
// The screen-space helpers (rect, the background image drawn by clear, and
// the mesh factories) are defined in Graphics3D_ScreenQuads.cpp; the
// dynamic buffers in Graphics3D_DynamicBuffers.cpp; debug text and the
// statistics overlay in Graphics3D_DebugText.cpp.
//
// The picture: when the display's configuration names a picture size
// (pictureWidth x pictureHeight), that size is the coordinate space of
// everything laid out in pixels (the viewport, the 2D cameras of backgrounds,
// rect and debug text, pixel-sized sprites and texts), whatever the window's
// size: on the screen the picture is scaled to the largest rectangle of its
// aspect ratio that fits the client area, centred, in whole pixels
// (getScreenViewport), and the back end keeps the bars around it black.
// Without a picture size the picture is the client area and follows it.
//
// Sprites, texts and lines are not drawn when they are rendered: they are
// collected in a pool of dynamic buffers (each a Batcher with the camera its
// items were added under) and drawn, one draw call per batch, when the
// buffers are flushed: by releaseTarget, by flushDynamicBuffers, or when no
// buffer can take a new object.

#include <cstdint>
#include <vector>

#include "core/Object.h"
#include "core/Ref.h"
#include "core/String.h"
#include "core/Vector.h"
#include "render/Graphics3DConfig.h"
#include "render/Graphics3DProperties.h"
#include "render/scene/LightConfig.h"
#include "render/scene/Transform.h"
#include "slmath/slmath.h"

namespace HAL {
class Display;
}

namespace render {

class Appearance;
class Background;
class Camera;
class DynamicBuffer;
class FrameReader;
class Image2D;
class IndexBuffer;
class Light;
class Mesh;
class Node;
class Object3D;
class RenderTarget;
class Sprite3D;
class Text3D;
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

    // Hint bits of bindTarget. Antialiasing turns on line smoothing (and
    // blending), dithering GL dithering; true colour and overwrite are
    // accepted but do nothing.
    static constexpr int HINT_DEFAULT = 1;
    static constexpr int HINT_ANTIALIAS = 2;
    static constexpr int HINT_DITHER = 4;
    static constexpr int HINT_TRUE_COLOR = 8;
    static constexpr int HINT_OVERWRITE = 16;

    // createMesh flags; index buffer types are IndexBuffer's primitive types.
    static constexpr int CREATEMESH_CREATE_DEFAULT_POLYGON = 1;
    static constexpr int CREATE_MESH_CREATE_COLOR_ARRAY = 2;
    static constexpr int CREATE_MESH_CREATE_NORMALS = 4;
    static constexpr int CREATE_MESH_EMPTY = 8;

    // Back-end types (getBackendType).
    static constexpr int BACKEND_OPENGL_ES_1 = 1;
    static constexpr int BACKEND_OPENGL_SHADERS = 2;
    static constexpr int BACKEND_DIRECT3DMOBILE = 3;

    // A rectangle of pixels: x, y of the lower-left corner, width, height.
    struct PixelRect {
        int32_t x = 0;
        int32_t y = 0;
        int32_t width = 0;
        int32_t height = 0;
        bool operator==(const PixelRect&) const = default;
    };

    // Per-frame counters, zeroed when a frame is released to the display.
    struct Statistics {
        int32_t triangles = 0;
        int32_t cameraSetCount = 0; // cameras actually applied
        int32_t buffersUsed = 0; // dynamic buffers flushed
        int32_t drawCalls = 0;
        int32_t lines = 0;
        int32_t shaderUniforms = 0;
    };

    ~Graphics3D() noexcept(false) override;

    // The one registered renderer. Asserts "Graphics3D::getInstance failed
    // because Globals does not include Graphics3D object" when none is
    // registered and "Graphics3D::getInstance failed because Globals has 0
    // or > 1 Graphics3D objects" when several are.
    static Graphics3D* getInstance();

    // Binds the renderer to `display`, copies `config`, creates the drawing
    // context, reads the device limits, sets the default state, viewport
    // (the display's size) and depth range (0, 1), and builds the internal
    // objects (2D cameras, screen quad, dynamic buffers, debug font and
    // text, default appearance, camera light). Asserts "configGraphics3D
    // failed because display is 0" and "Graphics3D configuration error :
    // max_dynamic_buffers <= 2"; a second call asserts "You can not call
    // readGraphics3DConfig because object is already initialized";
    // "OpenGLES error" when the graphics API fails.
    virtual void configGraphics3D(HAL::Display* display, const Graphics3DConfig& config);
    // Takes the display's current size and picture size, fits the picture
    // into the client area again, sets the viewport to the whole picture and
    // gives the 2D cameras the picture's parallel projection, after the
    // window was resized. Asserts "can not reset Graphics because display is
    // 0" before configGraphics3D.
    virtual void resetGraphics3D();

    const Graphics3DConfig& getConfig() const { return m_GraphicsConfig; }
    // Switches the statistics overlay (the configuration's showStatistics)
    // on or off from the next frame released to the display on.
    void setStatisticsShown(bool shown) { m_GraphicsConfig.showStatistics = shown; }
    bool isStatisticsShown() const { return m_GraphicsConfig.showStatistics; }
    const Graphics3DProperties& getProperties() const { return m_properties; }
    HAL::Display* getDisplay() const { return m_display.get(); }
    // The client area's size at the last reset.
    int getDisplayWidth() const { return m_displayWidth; }
    int getDisplayHeight() const { return m_displayHeight; }
    // The picture's size in its own pixels: the display's picture size, or
    // the client area's size when the display names none.
    int getPictureWidth() const { return m_pictureWidth; }
    int getPictureHeight() const { return m_pictureHeight; }
    // Whether the display names a picture size of its own.
    bool hasFixedPicture() const { return m_fixedPicture; }
    // Where the picture lies in the client area, in client pixels (GL's
    // origin: lower left): the whole client area without a picture size.
    const PixelRect& getScreenViewport() const { return m_screenViewport; }
    // Whether the picture leaves bars of the client area uncovered.
    bool hasBars() const;
    // The largest rectangle of the picture's aspect ratio (pictureWidth x
    // pictureHeight) inside a client area of clientWidth x clientHeight,
    // centred (odd spare pixels go to the right and top), in whole pixels;
    // the client area itself when the sizes match. All four must be positive,
    // else the result is empty.
    static PixelRect fitPicture(int pictureWidth, int pictureHeight, int clientWidth, int clientHeight);
    // BACKEND_OPENGL_ES_1 for the OpenGL back end; 0 for none.
    int getBackendType() const { return m_backendType; }
    // "OPENGL", "OPENGL SHADERS", "DIRECT3DMOBILE" or "UNKNOWN".
    const char* getBackendName() const;

    // Starts a frame on `target` (null: the display): makes the context
    // current and remembers the depth-buffer switch and the hint bits
    // (HINT_*). On the display the viewport is the one last set for it
    // (setViewport outside render-target frames); on a render target it is
    // (0, 0, min(picture width, texture width), min(picture height, texture
    // height)), so that a target pass looks the same at any window size.
    // Asserts "Graphics3D error before bindTarget" when the
    // graphics API reports an earlier error, " m_display " before
    // configGraphics3D, "bindTarget : target is already bound" inside a
    // frame and "bindTarget : hints are invalid" for unknown hint bits.
    void bindTarget(RenderTarget* target, bool depthBuffer = true, int hints = HINT_DEFAULT);
    // Ends the frame: draws the dynamic buffers (flushDynamicBuffers); on
    // the display it then draws the statistics overlay when configured,
    // keeps the frame's counters (getLastFrameStatistics), counts the frame,
    // hands the picture's pixels to the frame reader when one is set, and
    // presents it; a render target's texture holds the frame afterwards.
    // Asserts "releaseTarget : no target is bound" outside a frame,
    // "Graphics3D error before releaseTarget" and "OpenGLES error after
    // releaseTarget" when the graphics API reports an error. What the frame
    // reader throws passes through, the frame unpresented and unbound.
    void releaseTarget();
    // As releaseTarget, with `reader` taking this one frame in place of the
    // installed reader (which is back afterwards, also when this throws): a
    // screenshot without reading every frame back. A render target's frame
    // is not presented and does not reach it.
    void releaseTarget(FrameReader& reader);
    // Installs `reader` (null: none), which receives every frame released to
    // the display just before it is presented: the screen viewport's pixels
    // only (no bars), RGBA, bottom row first; nothing while the window has
    // no area (minimised). The reader is not owned and must outlive its
    // installation. The pixels are read into a buffer the renderer keeps
    // outside the pool, resized only when the picture's size on the screen
    // changes.
    void setFrameReader(FrameReader* reader) { m_frameReader = reader; }
    FrameReader* getFrameReader() const { return m_frameReader; }
    // How far the installed reader's read-back runs behind: 1 (the default)
    // reads each frame as it is released and hands it over at once; 2 or 3
    // start each read into one of that many pixel buffers in turn without
    // waiting for it, and hand the frame over `depth - 1` frames later, when
    // its transfer has had the next frames' drawing to finish in. Same
    // pixels, later. A back end without pixel buffers reads at once
    // whatever is set. Frames still held when the depth changes are handed
    // over first. Asserts "setFrameReadBackDepth : depth must be 1 to 3".
    void setFrameReadBackDepth(int depth);
    int getFrameReadBackDepth() const { return m_readBackDepth; }
    // Hands the frames a deferred read-back still holds to the installed
    // reader, oldest first (nothing when none). A capture calls it after its
    // last frame. What the reader throws passes through; the frame that
    // threw is dropped.
    void flushFrameReader();
    bool isTargetBound() const { return m_targetBound; }
    // The bound render target; null for the display or outside a frame.
    RenderTarget* getRenderTarget() const { return m_renderTarget.get(); }
    bool isDepthBufferEnabled() const { return m_depthBufferEnabled; }
    int getHints() const { return m_hints; }

    // Sets the viewport to (0, 0, width, height) in the bound target's
    // pixels. On the display (any time no render target is bound) these are
    // picture pixels from the picture's lower-left corner: the graphics API
    // gets the rectangle scaled into the screen viewport, and the display
    // keeps this viewport for its following frames (until the next reset,
    // which sets the whole picture again). While a render target is bound
    // they are the texture's pixels, for that frame only. Nothing reaches the
    // graphics API when its rectangle is unchanged. Asserts "setViewport :
    // width < 0" / "setViewport : height < 0", " width <=
    // m_properties.maxViewportWidth " and " height <=
    // m_properties.maxViewportHeight " once the limits are known.
    void setViewport(int width, int height);
    // The viewport in the bound target's pixels (picture pixels on the
    // display): what pixel-sized sprites and texts are measured against.
    int getViewportX() const { return m_viewportX; }
    int getViewportY() const { return m_viewportY; }
    int getViewportWidth() const { return m_viewportWidth; }
    int getViewportHeight() const { return m_viewportHeight; }
    // The depth range; (-1, -1) before configGraphics3D.
    float getDepthRangeNear() const { return m_depthRangeNear; }
    float getDepthRangeFar() const { return m_depthRangeFar; }

    // Clears the target with the background's colour and clear switches, or
    // to colour (0, 0, 0, 0) and depth without one, and draws the
    // background's image when it has one. The stencil buffer is always
    // cleared. Every dynamic buffer is emptied too: sprites, texts and lines
    // rendered before a clear are never drawn. World::render clears, so
    // they are also lost when a World is rendered after them; render them
    // after the World. Asserts "OpenGLES error" when the back end reports an
    // error.
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

    // Draws `texture` unlit on a screen rectangle. Corners are in units of
    // the viewport (1 = full width or height) from the top-left corner, x to
    // the right and y down: `topRight` and `bottomLeft`, so (1, 0), (0, 1)
    // covers the whole target. The active camera is kept. Asserts "rect
    // failed because texture parameter is 0".
    void rect(const slmath::vec2& topRight, const slmath::vec2& bottomLeft, Texture2D* texture);

    // A new unit quad (0,0,0)..(1,1,0) with texture coordinates putting image
    // row 0 along its top edge; the caller holds it in a Ref. indexBufferType
    // is IndexBuffer::TRIANGLE_LIST (two triangles) or LINE_LIST; flags is
    // exactly one of CREATEMESH_CREATE_DEFAULT_POLYGON and CREATE_MESH_EMPTY
    // (no indices in use), optionally with CREATE_MESH_CREATE_COLOR_ARRAY
    // (opaque white) and CREATE_MESH_CREATE_NORMALS (zero). Asserts on other
    // flags and "Graphics3D::createMesh failed because index buffer type is invalid".
    Mesh* createMesh(int indexBufferType, int flags);
    // A unit quad with the 2D appearance (no culling, alpha blending, no
    // depth test or writes, white material) showing `textureOrImage`: a
    // Texture2D is used as it is, an Image2D gets a new texture, null leaves
    // texture unit 0 empty. The caller holds it in a Ref. Asserts
    // " m_display != 0 " and " texture != 0 " for an object of another class.
    Mesh* create2DPolygonWithDefaultAppearance(Object3D* textureOrImage);
    // Makes the background quad show `image` (created on first use).
    // Asserts " image != 0 " and " image != m_backgroundImage ".
    void createBackgroundImagePolygon(Image2D* image);

    // ---- Dynamic buffers (Graphics3D_DynamicBuffers.cpp). ----

    // Puts the sprite or text, placed by the world transform `transform`,
    // into the first dynamic buffer whose batcher takes it (same texture and
    // appearance, room left) and which is free or holds items of the active
    // camera in its current place; when none does, flushes every buffer and
    // tries once more. Returns the item's id in that batcher. Requires an
    // active camera (" cam "); asserts "can not add Sprite3D to buffer" /
    // "can not add Text3D to buffer" when the second try fails too.
    int addToDynamicBuffer(Sprite3D* sprite, const Transform* transform);
    int addToDynamicBuffer(Text3D* text, const Transform* transform);
    // Collects a line from `from` to `to` (world coordinates) in `color`
    // (0xRRGGBBAA, default opaque yellow), drawn under the active camera
    // when the buffers are flushed. Lines go to a line batcher of the
    // active camera; the first line makes the last idle buffer one (it
    // stays one). Asserts "can not draw a line because active camera is
    // missing", and "can not add line to buffer" when no buffer takes it
    // even after a flush.
    void drawLine(const slmath::vec3& from, const slmath::vec3& to, uint32_t color = 0xFFFF00FFu);
    // Draws every buffer in use, in index order, under its camera, then
    // restores the active camera. Allocates nothing.
    void flushDynamicBuffers();
    // Makes room in buffer `index` for `count` objects like `sprite` or
    // `text` (see Batcher::reserve), so that the first frames that fill it
    // that far allocate nothing. In a frame the first batch drawn takes
    // buffer 0, the next one 1, and so on. Requires configGraphics3D and
    // 0 <= index < getDynamicBufferCount().
    void reserveDynamicBuffer(int index, Sprite3D* sprite, int count);
    void reserveDynamicBuffer(int index, Text3D* text, int count);
    // Draws one buffer under its camera and empties it. Asserts
    // "can not flush dynamic buffer because active camera is missing" for
    // a buffer that never received items.
    void flushDynamicBuffer(DynamicBuffer* dynamicBuffer);
    // The pool (empty before configGraphics3D). Requires 0 <= index < count.
    int getDynamicBufferCount() const { return m_dynamicBuffer.size(); }
    DynamicBuffer* getDynamicBuffer(int index) const { return m_dynamicBuffer[index].get(); }

    // ---- Debug text and statistics (Graphics3D_DebugText.cpp). ----

    // Draws one line of `text` in the built-in font, characters it lacks
    // left out. With a transform the text stands there under the active
    // camera; without one it goes to the next line of the screen's debug
    // column: lines 10 units apart from y = 10 above the bottom edge, in
    // picture pixels, starting again at the bottom every frame. The active
    // camera is kept. Asserts " m_camera2DForDebugText3D != 0 " before
    // configGraphics3D.
    void drawText(const core::String& text, const Transform* transform = nullptr);
    void drawText(const char* text, const Transform* transform = nullptr);
    // The debug text and the next line's place.
    Text3D* getDebugText3D() const { return m_debugText3D.get(); }
    const Transform& getDebugTextTransform() const { return m_debugTextTransform; }

    // The internal objects (null before configGraphics3D).
    Camera* getCamera2DForBackground() const { return m_camera2DForBackground.get(); }
    Camera* getCamera2DForDebugText3D() const { return m_camera2DForDebugText3D.get(); }
    Appearance* getDefaultAppearance() const { return m_defaultAppearance.get(); }
    Mesh* getTexture2DMesh() const { return m_texture2DMesh.get(); }
    Light* getCameraLight() const { return m_cameraLight.get(); }

    // Makes `camera` (null: none) the active camera, placed by `transform`.
    // A call with the active camera and unchanged matrices does nothing. The
    // camera light, once listed, follows the camera. Asserts "setCamera :
    // Components of the matrix are not valid numbers so transform not
    // invertible" for a matrix that is not finite; throws ArithmeticException
    // when it cannot be inverted.
    void setCamera(Camera* camera, const Transform& transform);
    Camera* getCamera() const { return m_camera.get(); }
    // The active camera's world transform and its inverse (identity without a camera).
    const Transform& getCameraTransform() const { return m_cameraTransform; }
    const Transform& getViewTransform() const { return m_viewTransform; }
    // The view matrix applied with the projection (the inverse camera transform).
    const slmath::mat4& getViewMatrix() const { return m_viewMatrix; }
    // The projection in use (the camera's, times the correction matrix).
    const slmath::mat4& getProjectionMatrix() const { return m_cachedProjection; }
    // The same, transposed for GL.
    const slmath::mat4& getGLProjectionMatrix() const { return m_glProjection; }
    // Cameras actually set since the counters were last reset.
    int getCameraSetCount() const { return m_statistics.cameraSetCount; }

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
    // The index of the camera light in the light list; -1 when not listed.
    int getCameraLightIndex() const { return m_cameraLightIndex; }
    // Empties the light list (the camera light too), frees every LightConfig
    // and switches all lights off (sendLightData(null)). Keeps the list's storage.
    void resetLights();
    // Lists the camera light when the configuration asks for one, then sends
    // every changed LightConfig to the back end; the back end calls it
    // before each draw. Returns false when a send failed. Does nothing when
    // the configuration has lighting off.
    bool updateLights();
    // The record of GL light `index`. Requires 0 <= index < MAX_LIGHTS.
    const LightConfig& getLightConfig(int index) const { return m_lightConfigs[index]; }

    // Run-time lighting switch (the configuration's switch still applies).
    bool isLightingEnabled() const { return m_lightingEnabled; }
    void setLightingEnabled(bool enabled) { m_lightingEnabled = enabled; }

    // The counters of the current frame.
    const Statistics& getStatistics() const { return m_statistics; }
    // The counters of the last frame released to the display, its dynamic
    // buffers included and the statistics overlay's own draw left out: what
    // the overlay showed.
    const Statistics& getLastFrameStatistics() const { return m_lastFrameStatistics; }
    // Frames released to the display so far.
    int getFrameCount() const { return m_frameCounter; }
    // Frames in the last full second (counted with showStatistics or printFps).
    int getFps() const { return m_fps; }
    // `value` as a truncated percentage of `total` (0 when total is 0),
    // computed in floating point: byte counts of a large pool times 100 do
    // not fit in 32 bits.
    static int percentOf(int64_t value, int64_t total);

    // `color` (0xAARRGGBB) as four floats in the renderer's scratch colour:
    // red, green and blue are byte / 255 * scale; alpha is 1 (colorToRGB) or
    // byte / 255 * scale (colorToRGBA). Valid until the next conversion.
    const float* colorToRGB(uint32_t color, float scale);
    const float* colorToRGBA(uint32_t color, float scale);

    // ---- Back-end slots, in slot order. ----

    // Depth range. Asserts "setDepthRange : near_range has invalid data" /
    // "setDepthRange : far_range has invalid data" unless each is in [0, 1];
    // nothing changes then.
    virtual void setDepthRange(float nearPlane, float farPlane) = 0;
    // Shader programs; the fixed-function back end has none.
    virtual void setActiveShaderProgram(int program) = 0;
    // Creates a GPU buffer of `size` bytes from `data`: kind 0 vertex data,
    // 1 index data. Returns its id.
    virtual int createStaticBuffer(int kind, int size, const void* data) = 0;
    virtual void deleteStaticBuffer(int id) = 0;
    // A new back-end texture; with a positive size it holds an RGBA image of
    // that size (render-target textures). The caller holds it in a Ref.
    virtual Texture2D* createNewTexture(int width, int height) = 0;
    virtual int getActiveShaderProgram() = 0;
    // Presents the frame, makes the context current, creates the context.
    virtual void swapBuffers() = 0;
    virtual void makeCurrent() = 0;
    virtual void createContext() = 0;

protected:
    // Clears colour (to r, g, b, a) and depth as asked, and the stencil.
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
    // Reads the device limits into the properties (setDeviceLimits).
    virtual void updateProperties() = 0;
    // One-time default state.
    virtual void initRenderState() = 0;
    // Copies the lower-left width x height pixels of the frame into texture
    // `textureId` at its origin. Asserts "can not render to texture because
    // target texture format is invalid" unless format is an Image2D format.
    virtual void copyScreenToTexture(int textureId, int format, int width, int height) = 0;
    // Reads the width x height pixels at (x, y) of the window's frame into
    // `rgba`: 4 bytes a pixel, rows packed, bottom row first. A back end
    // that cannot read frames asserts "this renderer can not read frames back".
    virtual void readScreenPixels(int x, int y, int width, int height, uint8_t* rgba);
    // Deferred read-back: starts reading the width x height pixels at (x, y)
    // of the window's frame into pixel buffer `slot` (0 to 2) without
    // waiting; false when the back end has no pixel buffers (the default).
    virtual bool startPixelRead(int slot, int x, int y, int width, int height);
    // The pixels of the read started in `slot` (waiting for it), laid out as
    // readScreenPixels writes them, valid until finishPixelRead(slot).
    virtual const uint8_t* mapPixelRead(int slot);
    virtual void finishPixelRead(int slot);

    // Starts with no camera, no lights, eight free LightConfigs.
    Graphics3D();

    // Appends this renderer to the engine's Graphics3D list. The back end's
    // constructor calls it. Requires the engine globals.
    void registerInstance();
    void setBackendType(int type) { m_backendType = type; }

    // Stores the device limits (maxViewportDimension is the smaller side).
    void setDeviceLimits(int maxViewportWidth, int maxViewportHeight, int maxTextureDimension, int textureUnits);
    // Validates and stores the depth range (see setDepthRange); nothing
    // changes when a value is outside [0, 1].
    void storeDepthRange(float nearPlane, float farPlane);

    // Applies the active camera: projection, view matrix, and every light
    // record marked for sending. Asserts "handleCamera failed. camera is missing".
    void handleCamera();
    // Builds the LightConfig of light `index` (see addLight).
    void handleLight(const Transform* tr, Light* light, int index);

    // The counters of the current frame, for the back end.
    Statistics& statistics() { return m_statistics; }

    // Drops every engine object the renderer holds (internal meshes,
    // textures, cameras, lights, the target), so that a back end can free
    // their graphics resources while its context still exists.
    void releaseInternalObjects();

private:
    Graphics3D(const Graphics3D&) = delete;
    Graphics3D& operator=(const Graphics3D&) = delete;

    // Defaults of the properties, the device limits and the default state.
    void readGraphics3DConfig();
    // The 2D cameras, the screen quad, the dynamic buffers, the debug font
    // and text, the default appearance and the camera light.
    void createInternalObjects();
    // End of a frame on the display: the statistics overlay when configured
    // (drawn and flushed at once), the frame's counters kept and zeroed,
    // frames counted, FPS updated once a second.
    void drawStatistics();
    // The overlay's lines, with the counters of the frame in `frame` and
    // the position of the camera placed by `cameraTransform`.
    void drawStatisticsLines(const Statistics& frame, const Transform& cameraTransform);
    // Renders the debug text at `transform`, or on the next debug line.
    void drawDebugText(const Transform* transform);
    // The shared search of addToDynamicBuffer (Graphics3D_DynamicBuffers.cpp).
    template <class T> int addToBuffers(T* object, const Transform* transform, const char* failText);
    // Builds `config` for `light` placed by `transform` as GL light `index`.
    void buildLightConfig(LightConfig& config, const Light& light, const Transform& transform, int index);
    // Draws the background's image over the cleared target (from clear).
    void drawBackgroundImage(Background* background);
    // Reads the display's size and picture size and fits the picture.
    void updatePicture();
    // Stores (0, 0, width, height) as the viewport in the bound target's
    // pixels and sends its rectangle in framebuffer pixels (scaled into the
    // screen viewport on the display) when that changed.
    void applyViewport(int width, int height, bool onScreen);
    // Reads the screen viewport's pixels and hands them to the frame reader.
    void deliverFrame();

    Graphics3DConfig m_GraphicsConfig;
    bool m_lightingEnabled = true;
    int32_t m_renderFlags = 0;
    core::Ref<HAL::Display> m_display;
    Transform m_cameraTransform;
    Transform m_viewTransform;
    core::Ref<Camera> m_camera;
    Statistics m_statistics;
    core::Ref<Mesh> m_texture2DMesh;
    core::Ref<Camera> m_camera2DForBackground;
    core::Vector<core::Ref<Light>> m_lights;
    core::Vector<Transform> m_lightTransforms;
    core::Vector<LightConfig> m_lightConfigs;
    bool m_lightOverflowWarned = false;
    core::Ref<Light> m_cameraLight;
    core::Ref<RenderTarget> m_renderTarget;
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
    // The display's viewport in picture pixels, kept across render-target frames.
    int32_t m_displayViewportWidth = 0;
    int32_t m_displayViewportHeight = 0;
    // The rectangle last sent to lowLevelSetViewport; width -1 before the first.
    PixelRect m_sentViewport{0, 0, -1, -1};
    int32_t m_hints = HINT_DEFAULT;
    float m_depthRangeNear = -1.f;
    float m_depthRangeFar = -1.f;
    int32_t m_displayWidth = 0;
    int32_t m_displayHeight = 0;
    int32_t m_pictureWidth = 0;
    int32_t m_pictureHeight = 0;
    bool m_fixedPicture = false;
    PixelRect m_screenViewport;
    bool m_cameraLightPending = true;
    bool m_configRead = false;
    bool m_depthBufferEnabled = true;
    int32_t m_cameraLightIndex = -1;
    Graphics3DProperties m_properties;
    // The image the background quad shows; compared, never dereferenced.
    const Image2D* m_backgroundImage = nullptr;
    core::Ref<Mesh> m_backgroundMesh;
    core::Ref<Appearance> m_defaultAppearance;
    core::Ref<Texture2D> m_backgroundTexture;
    float m_scratchColor[4] = {0.f, 0.f, 0.f, 0.f};
    int32_t m_frameCounter = 0;
    uint32_t m_lastFpsUpdate = 0;
    int32_t m_fps = 0;
    int32_t m_framesThisSecond = 0;
    int32_t m_backendType = 0;
    bool m_targetBound = false;
    core::Vector<core::Ref<DynamicBuffer>> m_dynamicBuffer;
    core::Ref<Text3D> m_debugText3D;
    Transform m_debugTextTransform;
    core::Ref<Camera> m_camera2DForDebugText3D;
    Statistics m_lastFrameStatistics;
    // The overlay's line buffer, formatted in place.
    core::String m_statisticsLine;
    FrameReader* m_frameReader = nullptr;
    // The frame reader's pixels. Outside the pool on purpose: a large
    // frame would take a good part of it.
    std::vector<uint8_t> m_framePixels;
    // Deferred read-back: the frames started and not yet handed over, the
    // oldest in slot m_heldFirst, in turn.
    static constexpr int MAX_READ_BACK_DEPTH = 3;
    int m_readBackDepth = 1;
    int m_heldFirst = 0;
    int m_heldCount = 0;
    int m_heldWidth[MAX_READ_BACK_DEPTH] = {};
    int m_heldHeight[MAX_READ_BACK_DEPTH] = {};

    // Hands the oldest held frame to the reader.
    void deliverHeldFrame();
};

} // namespace render
