#include "render/scene/Group.h"

#include "render/Graphics3D.h"
#include "render/scene/Object3D_References.h"
#include "render/scene/World.h"

namespace render {

Group::Group() = default;

Group::Group(const Group& other) : Node(other)
{
    m_children.reserve(other.m_children.size());
    for (const core::Ref<Node>& child : other.m_children) {
        core::Ref<Node> copy = child->duplicate();
        addChild(copy.get());
    }
}

Group::~Group() noexcept(false)
{
    for (int i = 0; i < m_children.size(); ++i) {
        ASSERT_MSG(m_children[i].get(), " m_children[i].ptr() ");
        m_children[i]->m_parent = nullptr;
    }
}

Group* Group::duplicate() const
{
    return VORNA3D_NEW Group(*this);
}

int Group::getReferences(core::Vector<Object3D*>* refs)
{
    const int tracks = getRefsObject3D(this, refs);
    return tracks + getRefsGroupAndWorld(this, refs);
}

void Group::addChild(Node* child)
{
    ASSERT_MSG(child, "can not add child node because child pointer is 0");
    ASSERT_MSG(child != this, "can not add child node because child is this node");
    ASSERT_MSG(!dynamic_cast<World*>(child), "can not add child node because node is World object");
    ASSERT_MSG(!child->m_parent, "can not add child node because child has a parent");
    for (const Node* ancestor = getParent(); ancestor; ancestor = ancestor->getParent())
        ASSERT_MSG(ancestor != child, "addChild failed because child is ancestor of this group");
    m_children.add(core::Ref<Node>(child));
    child->m_parent = this;
}

Node* Group::getChild(int index) const
{
    ASSERT((index >= 0) && (index < m_children.size()));
    ASSERT_MSG(m_children[index].get(), " m_children[index].ptr() ");
    return m_children[index].get();
}

void Group::render(Graphics3D* g3d, const Transform* parentTransform, int flags)
{
    ASSERT(g3d);
    ASSERT(parentTransform);
    const int scope = getScope();
    Transform world;
    for (int index = 0; index < m_children.size(); ++index) {
        Node* child = m_children[index].get();
        ASSERT_MSG(child, " m_children[index].ptr() ");
        // A child whose rendering is off is not drawn, nor anything below it.
        if ((child->getScope() & scope) == 0 || !child->isRenderingEnabled())
            continue;
        child->getCompositeTransform(&world);
        Transform childWorld(*parentTransform);
        childWorld.postMultiply(world);
        child->render(g3d, &childWorld, flags);
    }
}

bool Group::handlePick(int scope, float ox, float oy, float oz, float dx, float dy, float dz, RayIntersection* ri,
                       const Transform* parentTransform, int pickFlags, float* minDistance)
{
    ASSERT(parentTransform);
    if ((getScope() & scope) == 0)
        return false;
    bool hit = false;
    Transform local;
    for (int index = 0; index < m_children.size(); ++index) {
        Node* child = m_children[index].get();
        ASSERT_MSG(child, " m_children[index].ptr() ");
        if ((child->getScope() & scope) == 0)
            continue;
        child->getCompositeTransform(&local);
        Transform childWorld(*parentTransform);
        childWorld.postMultiply(local);
        if (child->handlePick(scope, ox, oy, oz, dx, dy, dz, ri, &childWorld, pickFlags, minDistance))
            hit = true;
    }
    return hit;
}

} // namespace render
