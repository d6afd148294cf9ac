// Graphics3D's pool of dynamic buffers: choosing a buffer for a sprite,
// text or line, and flushing the buffers.
//
// A buffer takes an object when its batcher accepts it (same texture and
// appearance, room left) and the buffer is free or already holds items of
// the same camera in the same place: items are drawn under the camera they
// were added with. When no buffer takes it, every buffer is drawn and
// emptied, and the search runs once more.

#include "render/Graphics3D.h"

#include "render/Batcher.h"
#include "render/scene/Camera.h"
#include "render/DynamicBuffer.h"
#include "render/scene/Sprite3D.h"
#include "render/text/Text3D.h"

namespace render {

template <class T> int Graphics3D::addToBuffers(T* object, const Transform* transform, const char* failText)
{
    ASSERT(object);
    Camera* cam = m_camera.get();
    ASSERT(cam);
    for (int attempt = 0; attempt < 2; ++attempt) {
        for (const core::Ref<DynamicBuffer>& buffer : m_dynamicBuffer) {
            Batcher* batcher = buffer->getBatcher();
            ASSERT(batcher);
            if (!batcher->canIAddThisObject(object) || !buffer->acceptsCamera(cam, m_cameraTransform))
                continue;
            const int id = batcher->add(object, transform);
            buffer->markInUse(cam, m_cameraTransform);
            return id;
        }
        if (attempt == 0)
            flushDynamicBuffers();
    }
    ASSERT_MSG(false, failText);
    return -1;
}

int Graphics3D::addToDynamicBuffer(Sprite3D* sprite, const Transform* transform)
{
    return addToBuffers(sprite, transform, "can not add Sprite3D to buffer");
}

int Graphics3D::addToDynamicBuffer(Text3D* text, const Transform* transform)
{
    return addToBuffers(text, transform, "can not add Text3D to buffer");
}

void Graphics3D::drawLine(const slmath::vec3& from, const slmath::vec3& to, uint32_t color)
{
    Camera* cam = m_camera.get();
    ASSERT_MSG(cam, "can not draw a line because active camera is missing");
    for (int attempt = 0; attempt < 2; ++attempt) {
        DynamicBuffer* chosen = nullptr;
        // A line batcher of this camera with room.
        for (const core::Ref<DynamicBuffer>& buffer : m_dynamicBuffer) {
            Batcher* batcher = buffer->getBatcher();
            if (batcher->isLineBatcher() && batcher->canAddLine() && buffer->acceptsCamera(cam, m_cameraTransform)) {
                chosen = buffer.get();
                break;
            }
        }
        // Else an idle buffer becomes one: the last, so that sprites and
        // texts, which search from the first, keep theirs.
        for (int i = m_dynamicBuffer.size() - 1; !chosen && i >= 0; --i) {
            DynamicBuffer* buffer = m_dynamicBuffer[i].get();
            if (!buffer->isInUse() && buffer->getBatcher()->canAddLine())
                chosen = buffer;
        }
        if (chosen) {
            chosen->getBatcher()->addLine(from, to, color);
            chosen->markInUse(cam, m_cameraTransform);
            return;
        }
        if (attempt == 0)
            flushDynamicBuffers();
    }
    ASSERT_MSG(false, "can not add line to buffer");
}

void Graphics3D::flushDynamicBuffer(DynamicBuffer* dynamicBuffer)
{
    ASSERT(dynamicBuffer);
    Batcher* batcher = dynamicBuffer->getBatcher();
    ASSERT_MSG(batcher, " dynamicBuffer->m_batcher ");
    ASSERT_MSG(dynamicBuffer->getCamera(), "can not flush dynamic buffer because active camera is missing");
    setCamera(dynamicBuffer->getCamera(), dynamicBuffer->getCameraTransform());
    const Transform identity;
    render(RENDER_ALL, batcher, identity);
    dynamicBuffer->markFree();
    batcher->clear();
    ++m_statistics.buffersUsed;
}

void Graphics3D::flushDynamicBuffers()
{
    bool any = false;
    for (const core::Ref<DynamicBuffer>& buffer : m_dynamicBuffer)
        any = any || buffer->isInUse();
    if (!any)
        return;
    const core::Ref<Camera> savedCamera = m_camera;
    const Transform savedTransform(m_cameraTransform);
    for (const core::Ref<DynamicBuffer>& buffer : m_dynamicBuffer)
        if (buffer->isInUse())
            flushDynamicBuffer(buffer.get());
    setCamera(savedCamera.get(), savedTransform);
}

void Graphics3D::reserveDynamicBuffer(int index, Sprite3D* sprite, int count)
{
    ASSERT(index >= 0 && index < m_dynamicBuffer.size());
    m_dynamicBuffer[index]->getBatcher()->reserve(sprite, count);
}

void Graphics3D::reserveDynamicBuffer(int index, Text3D* text, int count)
{
    ASSERT(index >= 0 && index < m_dynamicBuffer.size());
    m_dynamicBuffer[index]->getBatcher()->reserve(text, count);
}

} // namespace render
