#include "render/scene/Node.h"

#include "render/Graphics3D.h"

namespace render {

Node::Node()
{
    if (Graphics3D::getInstance()->getConfig().flipY)
        m_renderFlags |= FLAG_FLIP_Y;
}

Node::Node(const Node& other)
    : Transformable(other), m_renderFlags(other.m_renderFlags), m_zReference(other.m_zReference),
      m_yReference(other.m_yReference), m_alphaFactor(other.m_alphaFactor), m_zTarget(other.m_zTarget),
      m_yTarget(other.m_yTarget), m_scope(other.m_scope), m_renderingEnabled(other.m_renderingEnabled),
      m_pickingEnabled(other.m_pickingEnabled)
{
}

Node::~Node() noexcept(false) = default;

void Node::setAlphaFactor(float alphaFactor)
{
    ASSERT((0.0f <= alphaFactor) && (alphaFactor <= 1.0f));
    m_alphaFactor = alphaFactor;
}

float Node::getAlphaFactor() const
{
    ASSERT((0.0f <= m_alphaFactor) && (m_alphaFactor <= 1.0f));
    return m_alphaFactor;
}

void Node::setAlignment(Node* zRef, int zTarget, Node* yRef, int yTarget)
{
    ASSERT_MSG(zTarget == NONE || zTarget == ORIGIN || zTarget == Z_AXIS, "Invalid z-target axis");
    ASSERT_MSG(yTarget == NONE || yTarget == ORIGIN || yTarget == Y_AXIS, "Invalid y-target axis");
    ASSERT_MSG(zTarget != Z_AXIS || zRef, "z-axis reference object is NULL");
    ASSERT_MSG(yTarget != Y_AXIS || yRef, "y-axis reference object is NULL");
    m_zReference = zRef;
    m_zTarget = zTarget;
    m_yReference = yRef;
    m_yTarget = yTarget;
}

bool Node::getTransformTo(Node* target, Transform* transform) const
{
    ASSERT_MSG(target, "Node::getTransformTo - Given Node is NULL");
    ASSERT_MSG(transform, "Node::getTransformTo - Given Transform is NULL");
    Transform own;
    getCompositeTransform(&own);
    own.invert();
    Transform other;
    target->getCompositeTransform(&other);
    own.postMultiply(other);
    transform->set(own);
    return true;
}

void Node::getBoundingBox(slmath::vec3*, slmath::vec3*, const Transform*)
{
    ASSERT_MSG(false, "this node does not provide getBoundingBox functionality");
}

void Node::render(Graphics3D*, const Transform*, int)
{
    ASSERT_MSG(false, "Node: you can not render this node");
}

bool Node::handlePick(int, float, float, float, float, float, float, RayIntersection*, const Transform*, int, float*)
{
    return false;
}

bool Node::renderNodeToBatcher(int, BatcherItem* item, const Transform*)
{
    ASSERT(item);
    ASSERT_MSG(false, "This Node does not provide renderNodeToBatcher functionality");
    return false;
}

} // namespace render
