#include "render/scene/World.h"

#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/Graphics3D.h"
#include "render/scene/Light.h"
#include "render/scene/Object3D_References.h"

namespace render {

World::World() = default;

World::World(const World& other) : Group(other)
{
    if (other.m_activeCamera)
        m_activeCamera = core::Ref<Camera>(other.m_activeCamera->duplicate());
    if (other.m_background)
        m_background = core::Ref<Background>(other.m_background->duplicate());
}

World::~World() noexcept(false) = default;

World* World::duplicate() const
{
    return VORNA3D_NEW World(*this);
}

int World::getReferences(core::Vector<Object3D*>* refs)
{
    const int tracks = getRefsObject3D(this, refs);
    return tracks + getRefsGroupAndWorld(this, refs);
}

void World::setActiveCamera(Camera* camera)
{
    ASSERT_MSG(camera, "can not set camera because camera pointer is 0");
    m_activeCamera = camera;
}

void World::getActiveCameraTransform(Transform* transform) const
{
    ASSERT(transform);
    ASSERT_MSG(m_activeCamera, "World does not have an active camera");
    m_activeCamera->getCompositeTransform(transform);
    Transform group;
    for (const Node* node = m_activeCamera->getParent(); node && node != this; node = node->getParent()) {
        node->getCompositeTransform(&group);
        group.postMultiply(*transform);
        transform->set(group);
    }
}

void World::setBackground(Background* background)
{
    m_background = background;
}

void World::render(Graphics3D* g3d, const Transform* parentTransform, int flags)
{
    ASSERT(g3d);
    ASSERT_MSG(m_activeCamera, "World does not have an active camera");
    Transform cameraTransform;
    getActiveCameraTransform(&cameraTransform);
    g3d->setCamera(m_activeCamera.get(), cameraTransform);
    g3d->resetLights();
    g3d->clear((flags & Graphics3D::RENDER_FLAG_BACKGROUND) ? m_background.get() : nullptr);

    m_scopes.clear();
    const Transform identity;
    findLightsAndScopes(g3d, this, identity);

    Group::render(g3d, parentTransform, flags);
}

void World::findLightsAndScopes(Graphics3D* g3d, Group* group, const Transform& groupTransform)
{
    ASSERT(g3d);
    ASSERT(group);
    Transform local;
    for (int i = 0; i < group->getChildCount(); ++i) {
        Node* node = group->getChild(i);
        ASSERT(node != 0);
        m_scopes.add(node->getScope());
        Light* light = dynamic_cast<Light*>(node);
        Group* childGroup = light ? nullptr : dynamic_cast<Group*>(node);
        if (!light && !childGroup)
            continue;
        node->getCompositeTransform(&local);
        Transform placed(groupTransform);
        placed.postMultiply(local);
        if (light)
            g3d->addLight(light, placed);
        else
            findLightsAndScopes(g3d, childGroup, placed);
    }
}

} // namespace render
