#include "render/DynamicBuffer.h"

#include "render/Batcher.h"
#include "render/scene/Camera.h"

namespace render {

DynamicBuffer::DynamicBuffer(bool depthWrite, bool depthTest)
{
    m_batcher = VORNA3D_NEW Batcher(depthWrite, depthTest);
    ASSERT(m_batcher);
}

DynamicBuffer::~DynamicBuffer() noexcept(false) = default;

Batcher* DynamicBuffer::getBatcher() const
{
    ASSERT(m_batcher);
    return m_batcher.get();
}

bool DynamicBuffer::acceptsCamera(const Camera* camera, const Transform& cameraTransform) const
{
    if (!m_inUse || !m_camera)
        return true;
    // Items are drawn under the camera transform of the first one: a camera
    // that moved since would draw the later ones from the wrong place.
    return m_camera.get() == camera && m_cameraTransform.getMatrix() == cameraTransform.getMatrix();
}

void DynamicBuffer::markInUse(Camera* camera, const Transform& cameraTransform)
{
    if (!m_inUse || m_camera.get() != camera)
        m_camera = camera;
    m_cameraTransform.set(cameraTransform);
    m_inUse = true;
}

} // namespace render
