// Node and Group: the renderer lookup nodes depend on, the parent rules of
// addChild, node settings and their checks, scope masks in the render and
// pick traversals, duplication of subtrees and the Node defaults.

#include <gtest/gtest.h>

#include <cfloat>

#include "HAL/Display.h"
#include "core/Globals.h"
#include "core/Ref.h"
#include "render/scene/Camera.h"
#include "render/Graphics3D.h"
#include "render/scene/Group.h"
#include "render/scene/Light.h"
#include "render/scene/Mesh.h"
#include "render/scene/RayIntersection.h"
#include "render/scene/World.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/SceneTestSupport.h"

using core::Ref;
using render::Camera;
using render::Graphics3D;
using render::Group;
using render::Light;
using render::Mesh;
using render::Node;
using render::RayIntersection;
using render::Transform;
using render::World;
using render_test::failsWith;
using render_test::near;
using render_test::RecordingGraphics3D;

namespace {

class NodeGroupTest : public render_test::SceneTest { };

// Group a > b > c, and a free group d.
struct Chain {
    Ref<Group> a = VORNA3D_NEW Group();
    Ref<Group> b = VORNA3D_NEW Group();
    Ref<Group> c = VORNA3D_NEW Group();
    Chain()
    {
        a->addChild(b.get());
        b->addChild(c.get());
    }
};

} // namespace

TEST_F(NodeGroupTest, GetInstanceNeedsExactlyOneRenderer)
{
    EXPECT_EQ(Graphics3D::getInstance(), g3d);

    core::Globals::get()->m_g3d.clear();
    EXPECT_TRUE(failsWith([] { Graphics3D::getInstance(); },
                          "Graphics3D::getInstance failed because Globals does not include Graphics3D object",
                          "render::Graphics3D::getInstance"));
    // Nodes cannot be made without one.
    EXPECT_THROW(Ref<Group>(VORNA3D_NEW Group()), AssertationFailedException);

    Ref<RecordingGraphics3D> second = VORNA3D_NEW RecordingGraphics3D();
    g3d->registerInstance();
    second->registerInstance();
    EXPECT_TRUE(failsWith([] { Graphics3D::getInstance(); },
                          "Graphics3D::getInstance failed because Globals has 0 or > 1 Graphics3D objects",
                          "render::Graphics3D::getInstance"));
    core::Globals::get()->m_g3d.clear();
    g3d->registerInstance();
}

TEST_F(NodeGroupTest, FlipYConfigurationMarksNodesBuiltAfterwards)
{
    Ref<Group> before = VORNA3D_NEW Group();
    EXPECT_EQ(before->getRenderFlags() & Node::FLAG_FLIP_Y, 0);

    HAL::DisplayConfig displayConfig;
    displayConfig.width = 64;
    displayConfig.height = 48;
    Ref<HAL::Display> display = HAL::Display::createWindowless(displayConfig);
    render::Graphics3DConfig config;
    config.flipY = true;
    g3d->configGraphics3D(display.get(), config);
    EXPECT_EQ(g3d->contexts, 1);
    EXPECT_EQ(g3d->getDisplayWidth(), 64);
    g3d->resetGraphics3D();
    g3d->resetGraphics3D(); // unchanged size: one viewport call
    EXPECT_EQ(g3d->viewports, (std::vector<int>{0, 0, 64, 48}));

    Ref<Group> after = VORNA3D_NEW Group();
    EXPECT_EQ(after->getRenderFlags() & Node::FLAG_FLIP_Y, Node::FLAG_FLIP_Y);
    Ref<Node> copy = after->duplicate();
    EXPECT_EQ(copy->getRenderFlags(), after->getRenderFlags());
    EXPECT_EQ(before->getRenderFlags() & Node::FLAG_FLIP_Y, 0);

    EXPECT_TRUE(failsWith([&] { g3d->configGraphics3D(nullptr, config); },
                          "configGraphics3D failed because display is 0", "render::Graphics3D::configGraphics3D"));
    // The renderer holds the display until it goes, before the display list does.
    core::Globals::get()->m_g3d.clear();
    g3d->releaseRef();
    g3d = nullptr;
}

TEST_F(NodeGroupTest, AddChildRulesInTheirOrder)
{
    const char* fn = "render::Group::addChild";
    Chain chain;
    Ref<World> world = VORNA3D_NEW World();
    Ref<Group> other = VORNA3D_NEW Group();

    EXPECT_TRUE(
        failsWith([&] { chain.c->addChild(nullptr); }, "can not add child node because child pointer is 0", fn));
    EXPECT_TRUE(
        failsWith([&] { chain.c->addChild(chain.c.get()); }, "can not add child node because child is this node", fn));
    EXPECT_TRUE(
        failsWith([&] { chain.c->addChild(world.get()); }, "can not add child node because node is World object", fn));
    // b has a parent: that rule comes before the ancestor walk.
    EXPECT_TRUE(
        failsWith([&] { chain.c->addChild(chain.b.get()); }, "can not add child node because child has a parent", fn));
    // The root a has no parent: only the ancestor walk catches it.
    EXPECT_TRUE(failsWith([&] { chain.c->addChild(chain.a.get()); },
                          "addChild failed because child is ancestor of this group", fn));
    // A child of another group, added again to the same group, has a parent.
    other->addChild(chain.a.get());
    EXPECT_TRUE(
        failsWith([&] { other->addChild(chain.a.get()); }, "can not add child node because child has a parent", fn));

    EXPECT_EQ(chain.c->getChildCount(), 0);
    EXPECT_EQ(other->getChildCount(), 1);
    EXPECT_EQ(chain.a->getParent(), other.get());
    EXPECT_EQ(chain.b->getParent(), chain.a.get());
    EXPECT_EQ(chain.a->getChild(0), chain.b.get());
    EXPECT_TRUE(failsWith([&] { chain.a->getChild(1); }, " (index >= 0) && (index < m_children.size()) ",
                          "render::Group::getChild"));
    EXPECT_TRUE(failsWith([&] { chain.a->getChild(-1); }, " (index >= 0) && (index < m_children.size()) ",
                          "render::Group::getChild"));
}

TEST_F(NodeGroupTest, DestroyedGroupReleasesItsChildren)
{
    Ref<Group> child = VORNA3D_NEW Group();
    {
        Ref<Group> parent = VORNA3D_NEW Group();
        parent->addChild(child.get());
        EXPECT_EQ(child->getNumOfRefs(), 2);
    }
    EXPECT_EQ(child->getParent(), nullptr);
    EXPECT_EQ(child->getNumOfRefs(), 1);
    Ref<Group> adopter = VORNA3D_NEW Group();
    adopter->addChild(child.get()); // free again
    EXPECT_EQ(child->getParent(), adopter.get());
}

TEST_F(NodeGroupTest, NodeSettingsAndTheirChecks)
{
    Ref<Group> node = VORNA3D_NEW Group();
    EXPECT_FLOAT_EQ(node->getAlphaFactor(), 1.f);
    EXPECT_EQ(node->getScope(), -1);
    EXPECT_TRUE(node->isRenderingEnabled());
    EXPECT_TRUE(node->isPickingEnabled());
    EXPECT_EQ(node->getParent(), nullptr);
    EXPECT_EQ(node->getZTarget(), Node::NONE);

    node->setAlphaFactor(0.f);
    node->setAlphaFactor(1.f);
    EXPECT_TRUE(failsWith([&] { node->setAlphaFactor(1.0001f); }, " (0.0f <= alphaFactor) && (alphaFactor <= 1.0f) ",
                          "render::Node::setAlphaFactor"));
    EXPECT_TRUE(failsWith([&] { node->setAlphaFactor(-0.5f); }, " (0.0f <= alphaFactor) && (alphaFactor <= 1.0f) ",
                          "render::Node::setAlphaFactor"));
    EXPECT_FLOAT_EQ(node->getAlphaFactor(), 1.f);

    const char* fn = "render::Node::setAlignment";
    Ref<Group> target = VORNA3D_NEW Group();
    EXPECT_TRUE(failsWith([&] { node->setAlignment(nullptr, Node::Z_AXIS, nullptr, Node::NONE); },
                          "z-axis reference object is NULL", fn));
    EXPECT_TRUE(failsWith([&] { node->setAlignment(nullptr, Node::NONE, nullptr, Node::Y_AXIS); },
                          "y-axis reference object is NULL", fn));
    EXPECT_TRUE(failsWith([&] { node->setAlignment(nullptr, Node::Y_AXIS, nullptr, Node::NONE); },
                          "Invalid z-target axis", fn));
    EXPECT_TRUE(failsWith([&] { node->setAlignment(nullptr, Node::NONE, nullptr, Node::Z_AXIS); },
                          "Invalid y-target axis", fn));
    EXPECT_EQ(node->getZTarget(), Node::NONE);
    node->setAlignment(nullptr, Node::ORIGIN, nullptr, Node::ORIGIN);
    node->setAlignment(target.get(), Node::Z_AXIS, target.get(), Node::Y_AXIS);
    EXPECT_EQ(node->getZReference(), target.get());
    EXPECT_EQ(node->getYTarget(), Node::Y_AXIS);
}

TEST_F(NodeGroupTest, GetTransformToUsesBothComposites)
{
    Ref<Group> a = VORNA3D_NEW Group();
    Ref<Group> b = VORNA3D_NEW Group();
    a->setTranslation(1.f, 0.f, 0.f);
    a->setScale(2.f, 2.f, 2.f);
    b->setTranslation(5.f, 4.f, 0.f);
    Transform t;
    EXPECT_TRUE(a->getTransformTo(b.get(), &t));
    // a^-1 * b maps b's origin (5, 4, 0) into a's frame: ((5 - 1) / 2, 4 / 2, 0).
    EXPECT_TRUE(near(render_test::apply(t, 0.f, 0.f, 0.f), slmath::vec4(2.f, 2.f, 0.f, 1.f)));

    EXPECT_TRUE(failsWith([&] { a->getTransformTo(nullptr, &t); }, "Node::getTransformTo - Given Node is NULL",
                          "render::Node::getTransformTo"));
    EXPECT_TRUE(failsWith([&] { a->getTransformTo(b.get(), nullptr); },
                          "Node::getTransformTo - Given Transform is NULL", "render::Node::getTransformTo"));
}

TEST_F(NodeGroupTest, NodeDefaults)
{
    Ref<Camera> camera = VORNA3D_NEW Camera();
    slmath::vec3 lo, hi;
    EXPECT_TRUE(failsWith([&] { camera->getBoundingBox(&lo, &hi, nullptr); },
                          "this node does not provide getBoundingBox functionality", "render::Node::getBoundingBox"));
    EXPECT_TRUE(failsWith([&] { camera->renderNodeToBatcher(0, nullptr, nullptr); }, " item ",
                          "render::Node::renderNodeToBatcher"));
    RayIntersection ri;
    float best = FLT_MAX;
    const Transform identity;
    EXPECT_FALSE(camera->handlePick(-1, 0, 0, 5, 0, 0, -10, &ri, &identity, 0, &best));
    // Cameras and lights draw nothing.
    camera->render(g3d, &identity, Graphics3D::RENDER_ALL);
    Ref<Light> light = VORNA3D_NEW Light();
    light->render(g3d, &identity, Graphics3D::RENDER_ALL);
    EXPECT_TRUE(g3d->calls.empty());
}

TEST_F(NodeGroupTest, ScopeMasksInRenderAndPick)
{
    // root > {quad 0 (scope 1), quad 1 (scope 2), group (scope 4) > quad 2 (scope 4)}
    Ref<Group> root = VORNA3D_NEW Group();
    Ref<Mesh> q0 = render_test::unitQuad();
    Ref<Mesh> q1 = render_test::unitQuad();
    Ref<Mesh> q2 = render_test::unitQuad();
    Ref<Group> inner = VORNA3D_NEW Group();
    q0->setScope(1);
    q1->setScope(2);
    q1->setTranslation(0.f, 0.f, 1.f);
    inner->setScope(4);
    q2->setScope(4);
    q2->setTranslation(0.f, 0.f, 2.f);
    root->addChild(q0.get());
    root->addChild(q1.get());
    root->addChild(inner.get());
    inner->addChild(q2.get());

    const Transform identity;
    auto drawnScopes = [&](int rootScope) {
        root->setScope(rootScope);
        g3d->calls.clear();
        g3d->render(Graphics3D::RENDER_ALL, root.get(), identity);
        std::vector<int> scopes;
        for (const auto& call : g3d->of(RecordingGraphics3D::DRAW))
            scopes.push_back(call.scope);
        return scopes;
    };
    EXPECT_EQ(drawnScopes(-1), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(drawnScopes(1 | 4), (std::vector<int>{1, 4}));
    EXPECT_EQ(drawnScopes(2), (std::vector<int>{2}));
    EXPECT_EQ(drawnScopes(0), (std::vector<int>{}));
    // A child with scope 0 never draws.
    q0->setScope(0);
    EXPECT_EQ(drawnScopes(-1), (std::vector<int>{2, 4}));

    // The quads lie at z = 0, 1 and 2; a ray down the z axis from z = 5 meets
    // the nearest one the pick scope allows.
    root->setScope(-1);
    q0->setScope(1);
    auto pickedScope = [&](int pickScope) {
        RayIntersection ri;
        float best = FLT_MAX;
        const bool hit = root->handlePick(pickScope, 0.3f, 0.6f, 5.f, 0.f, 0.f, -10.f, &ri, &identity, 0, &best);
        return hit ? static_cast<Node*>(ri.getIntersected())->getScope() : 0;
    };
    EXPECT_EQ(pickedScope(-1), 4);
    EXPECT_EQ(pickedScope(1 | 2), 2);
    EXPECT_EQ(pickedScope(1), 1);
    EXPECT_EQ(pickedScope(8), 0);
    root->setScope(2);
    EXPECT_EQ(pickedScope(1), 0); // the group's own scope gates its children
}

TEST_F(NodeGroupTest, DuplicatingAGroupCopiesTheSubtree)
{
    Ref<Group> group = VORNA3D_NEW Group();
    Ref<Group> left = VORNA3D_NEW Group();
    Ref<Light> right = VORNA3D_NEW Light();
    Ref<Group> grandchild = VORNA3D_NEW Group();
    group->setScope(6);
    group->setAlphaFactor(0.25f);
    group->setPickingEnable(false);
    group->setTranslation(1.f, 2.f, 3.f);
    right->setIntensity(3.f);
    group->addChild(left.get());
    group->addChild(right.get());
    left->addChild(grandchild.get());
    Ref<Group> parent = VORNA3D_NEW Group();
    parent->addChild(group.get());

    Ref<Group> copy = group->duplicate();
    EXPECT_EQ(copy->getParent(), nullptr);
    EXPECT_EQ(copy->getScope(), 6);
    EXPECT_FLOAT_EQ(copy->getAlphaFactor(), 0.25f);
    EXPECT_FALSE(copy->isPickingEnabled());
    EXPECT_EQ(copy->getTranslation(), slmath::vec3(1.f, 2.f, 3.f));
    ASSERT_EQ(copy->getChildCount(), 2);
    Node* copiedLeft = copy->getChild(0);
    Node* copiedRight = copy->getChild(1);
    EXPECT_NE(copiedLeft, left.get());
    EXPECT_NE(copiedRight, right.get());
    EXPECT_EQ(copiedLeft->getParent(), copy.get());
    EXPECT_EQ(copiedRight->getParent(), copy.get());
    ASSERT_NE(dynamic_cast<Light*>(copiedRight), nullptr);
    EXPECT_FLOAT_EQ(static_cast<Light*>(copiedRight)->getIntensity(), 3.f);
    Group* copiedInner = dynamic_cast<Group*>(copiedLeft);
    ASSERT_NE(copiedInner, nullptr);
    ASSERT_EQ(copiedInner->getChildCount(), 1);
    EXPECT_NE(copiedInner->getChild(0), grandchild.get());
    EXPECT_EQ(copiedInner->getChild(0)->getParent(), copiedInner);
    // The source tree is untouched.
    EXPECT_EQ(left->getParent(), group.get());
    EXPECT_EQ(group->getChildCount(), 2);

    // The reference walk lists the children in order.
    core::Vector<render::Object3D*> refs;
    EXPECT_EQ(copy->getReferences(&refs), 2);
    EXPECT_EQ(render_test::elements(refs), (std::vector<render::Object3D*>{copiedLeft, copiedRight}));
}
