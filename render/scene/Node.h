#pragma once
// Node: a Transformable that can sit in the scene tree. It has a parent (set
// by Group::addChild), an alpha factor, rendering and picking switches, a
// scope mask that render and pick traversals AND with theirs, and an
// alignment (stored and copied; no traversal applies it yet). The four
// virtual operations below are what the traversals call on each node;
// their defaults fail (render, getBoundingBox, renderNodeToBatcher) or
// report no hit (handlePick).
//
// A node needs a registered Graphics3D when it is constructed: its
// configuration decides the flip-Y render flag.

#include "render/scene/Transform.h"
#include "render/scene/Transformable.h"
#include "slmath/slmath.h"

namespace render {

class BatcherItem;
class Graphics3D;
class Group;
class RayIntersection;

class Node : public Transformable {
public:
    // Alignment targets and axes.
    enum { NONE = 144, ORIGIN = 145, X_AXIS = 146, Y_AXIS = 147, Z_AXIS = 148 };
    // Render-flag bit set at construction when the renderer flips Y:
    // sprites and texts then swap the vertical range of their texture.
    static constexpr int FLAG_FLIP_Y = 4;

    ~Node() noexcept(false) override;

    Node* duplicate() const override = 0;

    // Sets the alpha factor. Asserts " (0.0f <= alphaFactor) && (alphaFactor <= 1.0f) ".
    void setAlphaFactor(float alphaFactor);
    float getAlphaFactor() const;

    void setRenderingEnable(bool enable) { m_renderingEnabled = enable; }
    bool isRenderingEnabled() const { return m_renderingEnabled; }
    void setPickingEnable(bool enable) { m_pickingEnabled = enable; }
    bool isPickingEnabled() const { return m_pickingEnabled; }
    void setScope(int scope) { m_scope = scope; }
    int getScope() const { return m_scope; }
    int getRenderFlags() const { return m_renderFlags; }

    // The group this node is a child of, or null.
    Node* getParent() const { return m_parent; }

    // Stores the alignment of the z and y axes. zTarget is NONE, ORIGIN or
    // Z_AXIS ("Invalid z-target axis"), yTarget NONE, ORIGIN or Y_AXIS
    // ("Invalid y-target axis"); Z_AXIS needs a z reference ("z-axis
    // reference object is NULL"), Y_AXIS a y reference ("y-axis reference
    // object is NULL"). The references are not counted: they must outlive
    // this node's use of them.
    void setAlignment(Node* zRef, int zTarget, Node* yRef, int yTarget);
    int getZTarget() const { return m_zTarget; }
    int getYTarget() const { return m_yTarget; }
    Node* getZReference() const { return m_zReference; }
    Node* getYReference() const { return m_yReference; }

    // Writes (this node's composite)^-1 * (target's composite) into
    // `transform` and returns true; parents are not walked. Asserts
    // "Node::getTransformTo - Given Node is NULL" / "... Given Transform is
    // NULL"; throws ArithmeticException when this composite is singular.
    bool getTransformTo(Node* target, Transform* transform) const;

    // The axis-aligned bounds of the node's geometry, transformed by
    // `transform` when it is given. Default: asserts "this node does not
    // provide getBoundingBox functionality".
    virtual void getBoundingBox(slmath::vec3* min, slmath::vec3* max, const Transform* transform);

    // Draws the node through `g3d`; `parentTransform` is the world
    // transform of its parent. Default: asserts "Node: you can not render this node".
    virtual void render(Graphics3D* g3d, const Transform* parentTransform, int flags);

    // Casts the ray (ox, oy, oz) + t (dx, dy, dz) in world space at the node
    // placed by `parentTransform`; nodes whose scope shares no bit with
    // `scope` are skipped. pickFlags bit 0: stop at bounding boxes; bit 1:
    // stop at the first polygon hit. A hit nearer than *minDistance (a world
    // distance; the caller starts it at FLT_MAX) is written to `ri` and
    // *minDistance. Returns whether this call hit. Default: no hit.
    virtual bool handlePick(int scope, float ox, float oy, float oz, float dx, float dy, float dz, RayIntersection* ri,
                            const Transform* parentTransform, int pickFlags, float* minDistance);

    // Writes the node's geometry into a batch item from vertex `firstVertex`
    // on. Default: asserts " item " for a null item, else "This Node does
    // not provide renderNodeToBatcher functionality".
    virtual bool renderNodeToBatcher(int firstVertex, BatcherItem* item, const Transform* transform);

protected:
    // Requires a registered Graphics3D (Graphics3D::getInstance).
    Node();
    // Copies flags, alpha factor, scope, switches and alignment; the copy
    // has no parent.
    Node(const Node& other);

private:
    friend class Group;
    friend class SkinnedMesh; // the skeleton's parent is the mesh

    int m_renderFlags = 0;
    Node* m_zReference = nullptr;
    Node* m_yReference = nullptr;
    Node* m_parent = nullptr;
    float m_alphaFactor = 1.f;
    int m_zTarget = NONE;
    int m_yTarget = NONE;
    int m_scope = -1;
    bool m_renderingEnabled = true;
    bool m_pickingEnabled = true;
};

} // namespace render
