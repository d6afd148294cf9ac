#pragma once
// World: the root group of a scene. It owns the active camera and the
// background; rendering it sets the camera on the renderer, clears the
// target, hands the renderer every light of the tree and renders the
// children. A World is never the child of another group.

#include "core/Ref.h"
#include "core/Vector.h"
#include "render/scene/Group.h"

namespace render {

class Background;
class Camera;

class World : public Group {
public:
    World();
    ~World() noexcept(false) override;

    // A duplicate of the group part (the whole subtree), with a duplicate of
    // the active camera (a new node outside the copied tree) and of the
    // background; a missing camera or background stays missing.
    World* duplicate() const override;

    // Lists the animation tracks, the background, the active camera, then
    // the children in order.
    int getReferences(core::Vector<Object3D*>* refs) override;

    // Asserts "can not set camera because camera pointer is 0".
    void setActiveCamera(Camera* camera);
    Camera* getActiveCamera() const { return m_activeCamera.get(); }
    // The active camera's transform in the world's space: its own composite
    // under those of the groups between it and the world (lights are placed
    // the same way). A camera outside the tree has its own composite.
    // Asserts "World does not have an active camera".
    void getActiveCameraTransform(Transform* transform) const;
    // Null allowed: the world then clears to black.
    void setBackground(Background* background);
    Background* getBackground() const { return m_background.get(); }

    // Sets the active camera (placed by getActiveCameraTransform) on g3d,
    // resets its lights, clears (with the background when flags has
    // Graphics3D::RENDER_FLAG_BACKGROUND), adds every light of the tree and
    // renders the children. The clear also empties the renderer's dynamic
    // buffers: sprites, texts and lines rendered before the World are never
    // drawn, so render them after it. Requires g3d and asserts "World does
    // not have an active camera" before anything is drawn.
    void render(Graphics3D* g3d, const Transform* parentTransform, int flags) override;

    // Walks the children of `group` depth first: appends each child's scope
    // to the scope list, adds each Light to g3d placed by
    // groupTransform * light composite, and recurses into groups with
    // groupTransform * group composite. `groupTransform` places `group` in
    // the world (identity for the world itself). Requires g3d and group.
    void findLightsAndScopes(Graphics3D* g3d, Group* group, const Transform& groupTransform);
    // The scopes collected by the last render, in traversal order.
    const core::Vector<int>& getScopeList() const { return m_scopes; }

protected:
    World(const World& other);

private:
    core::Vector<int> m_scopes;
    core::Ref<Camera> m_activeCamera;
    core::Ref<Background> m_background;
};

} // namespace render
