#pragma once
// DynamicBuffer: one of the renderer's pool of batchers, with the camera
// under which its items were added. Sprites and texts pick a buffer when
// they are rendered (Graphics3D::addToDynamicBuffer); the renderer draws
// the buffers in use under their cameras when it flushes them.

#include "core/Object.h"
#include "core/Ref.h"
#include "render/scene/Transform.h"

namespace render {

class Batcher;
class Camera;

class DynamicBuffer : public core::Object {
public:
    // A buffer whose batcher's own appearance has the given depth writes
    // and depth test. Requires a registered renderer.
    DynamicBuffer(bool depthWrite, bool depthTest);
    ~DynamicBuffer() noexcept(false) override;

    // Asserts " m_batcher ".
    Batcher* getBatcher() const;
    // The camera of the items added since the buffer was last drawn (null
    // when never used) and its world transform.
    Camera* getCamera() const { return m_camera.get(); }
    const Transform& getCameraTransform() const { return m_cameraTransform; }
    // Whether the batcher holds items not drawn yet.
    bool isInUse() const { return m_inUse; }

    // Whether items seen by `camera` placed by `cameraTransform` may join:
    // the buffer is free, never used, or already holds items of that
    // camera in that place.
    bool acceptsCamera(const Camera* camera, const Transform& cameraTransform) const;
    // Marks the buffer in use by items of `camera` placed by `cameraTransform`.
    void markInUse(Camera* camera, const Transform& cameraTransform);
    // Marks the buffer free (its batcher is cleared by the caller).
    void markFree() { m_inUse = false; }

private:
    DynamicBuffer(const DynamicBuffer&) = delete;
    DynamicBuffer& operator=(const DynamicBuffer&) = delete;

    Transform m_cameraTransform;
    core::Ref<Camera> m_camera;
    core::Ref<Batcher> m_batcher;
    bool m_inUse = false;
};

} // namespace render
