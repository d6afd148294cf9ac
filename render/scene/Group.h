#pragma once
// Group: a node with an ordered list of child nodes. The group holds a
// counted reference to each child, the child a plain pointer back to the
// group (its parent); a node is the child of at most one group. Render and
// pick traversals go down the children in order, multiplying transforms:
// a child's world transform is its parent's times its own composite.

#include "core/Ref.h"
#include "core/Vector.h"
#include "render/scene/Node.h"

namespace render {

class Group : public Node {
public:
    Group();
    // Clears the parent of every child before releasing it.
    ~Group() noexcept(false) override;

    // A new group with a duplicate of every child (the whole subtree); the
    // copies' parent is the new group.
    Group* duplicate() const override;

    // Lists the animation tracks, then the children in order.
    int getReferences(core::Vector<Object3D*>* refs) override;

    // Appends `child` and makes this group its parent. Checked in this
    // order: a child is given ("can not add child node because child
    // pointer is 0"), is not this group ("... because child is this node"),
    // is not a World ("... because node is World object"), has no parent
    // ("... because child has a parent") and is not an ancestor of this
    // group ("addChild failed because child is ancestor of this group").
    void addChild(Node* child);
    // Requires " (index >= 0) && (index < m_children.size()) ".
    Node* getChild(int index) const;
    int getChildCount() const { return m_children.size(); }

    // Renders each child whose scope shares a bit with this group's and
    // whose rendering is enabled, with parentTransform * child composite.
    // Requires g3d and parentTransform.
    void render(Graphics3D* g3d, const Transform* parentTransform, int flags) override;
    // Picks each child whose scope shares a bit with `scope` (none when this
    // group's scope does not); true when any child was hit.
    bool handlePick(int scope, float ox, float oy, float oz, float dx, float dy, float dz, RayIntersection* ri,
                    const Transform* parentTransform, int pickFlags, float* minDistance) override;

protected:
    // Copies the node part and duplicates every child into the copy.
    Group(const Group& other);

private:
    core::Vector<core::Ref<Node>> m_children;
};

} // namespace render
