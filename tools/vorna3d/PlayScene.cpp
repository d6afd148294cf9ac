#include "PlayScene.h"

#include <cfloat>
#include <cstdio>

#include "Command.h"
#include "core/Debug.h"
#include "core/Exception.h"
#include "render/scene/Camera.h"
#include "render/Graphics3D.h"
#include "render/scene/Light.h"
#include "render/loaders/m3g/M3G_ObjectTypes.h"
#include "render/scene/RayIntersection.h"
#include "render/scene/SceneBounds.h"
#include "render/scene/Transform.h"
#include "render/scene/World.h"

namespace vorna3d_tool {

namespace {

// The first camera below `group`, depth first, or null.
render::Camera* findCamera(render::Group* group)
{
    for (int i = 0; i < group->getChildCount(); ++i) {
        render::Node* child = group->getChild(i);
        if (render::Camera* camera = dynamic_cast<render::Camera*>(child))
            return camera;
        if (render::Group* inner = dynamic_cast<render::Group*>(child))
            if (render::Camera* camera = findCamera(inner))
                return camera;
    }
    return nullptr;
}

// Whether a light sits below `group` where the world's render finds lights.
bool hasLight(render::Group* group)
{
    for (int i = 0; i < group->getChildCount(); ++i) {
        render::Node* child = group->getChild(i);
        if (dynamic_cast<render::Light*>(child))
            return true;
        if (render::Group* inner = dynamic_cast<render::Group*>(child))
            if (hasLight(inner))
                return true;
    }
    return false;
}

// A perspective camera's aspect ratio set to `aspect`; other projections stay.
void fitAspect(render::Camera& camera, float aspect)
{
    float p[4];
    if (camera.getProjection(p) == render::Camera::PERSPECTIVE)
        camera.setPerspective(p[0], aspect, p[2], p[3]);
}

} // namespace

PlayScene::PlayScene(const core::Vector<core::Ref<render::Object3D>>& roots, float aspect)
    : m_aspect(aspect > 0.f ? aspect : 1.f)
{
    for (const core::Ref<render::Object3D>& root : roots)
        if (render::World* world = dynamic_cast<render::World*>(root.get())) {
            m_world = world;
            m_fileWorld = true;
            break;
        }
    if (!m_world) {
        m_world = VORNA3D_NEW render::World();
        for (const core::Ref<render::Object3D>& root : roots) {
            render::Node* node = dynamic_cast<render::Node*>(root.get());
            if (node && !node->getParent())
                m_world->addChild(node);
        }
        if (m_world->getChildCount() == 0)
            throw ToolError{"the file holds no node to show"};
    }

    m_fileCamera = m_world->getActiveCamera();
    if (!m_fileCamera)
        m_fileCamera = findCamera(m_world.get());
    if (m_fileCamera)
        fitAspect(*m_fileCamera, m_aspect);

    if (!hasLight(m_world.get())) {
        m_headlight = VORNA3D_NEW render::Light();
        m_headlight->setMode(render::Light::DIRECTIONAL);
        m_world->addChild(m_headlight.get());
    }

    m_freeCamera = VORNA3D_NEW render::Camera();
    frameAll();
    useFreeCamera(!m_fileCamera);
}

PlayScene::~PlayScene() noexcept(false) = default;

bool PlayScene::usesFreeCamera() const
{
    return m_world->getActiveCamera() == m_freeCamera.get();
}

bool PlayScene::useFreeCamera(bool free)
{
    m_world->setActiveCamera(free || !m_fileCamera ? m_freeCamera.get() : m_fileCamera.get());
    return usesFreeCamera();
}

void PlayScene::takeOverView()
{
    if (usesFreeCamera())
        return;
    render::Transform camera;
    m_world->getActiveCameraTransform(&camera);
    const slmath::vec3 eye = camera.transform(slmath::vec4(0.f, 0.f, 0.f, 1.f)).xyz();
    const slmath::vec3 forward = camera.transform(slmath::vec4(0.f, 0.f, -1.f, 0.f)).xyz();
    render::SceneBounds bounds;
    computeBounds(bounds);
    // The scene's centre along the view; a scene behind or around the eye
    // turns about a point the framed distance ahead.
    float depth = 0.f;
    const float length = slmath::length(forward);
    if (!bounds.empty() && length > 0.f)
        depth = slmath::dot(bounds.getCenter() - eye, forward) / length;
    if (!(depth > bounds.getRadius() * 0.1f))
        depth = m_orbit.getDistance();
    m_orbit.lookFrom(eye, forward, depth);
    useFreeCamera(true);
    updateFreeCamera();
}

void PlayScene::updateFreeCamera()
{
    m_orbit.apply(*m_freeCamera, m_aspect);
}

void PlayScene::computeBounds(render::SceneBounds& bounds) const
{
    // The world's own transform places nothing: its render starts its
    // children at the identity.
    for (int i = 0; i < m_world->getChildCount(); ++i)
        bounds.add(m_world->getChild(i));
}

void PlayScene::frameAll()
{
    render::SceneBounds bounds;
    computeBounds(bounds);
    if (bounds.empty())
        m_orbit.frame(slmath::vec3(-0.5f, -0.5f, -0.5f), slmath::vec3(0.5f, 0.5f, 0.5f), m_aspect);
    else
        m_orbit.frame(bounds.getMin(), bounds.getMax(), m_aspect);
    updateFreeCamera();
}

void PlayScene::setAspect(float aspect)
{
    if (!(aspect > 0.f))
        return;
    m_aspect = aspect;
    if (m_fileCamera)
        fitAspect(*m_fileCamera, aspect);
    updateFreeCamera();
}

void PlayScene::setHeadlightOn(bool on)
{
    if (!m_headlight)
        return;
    m_headlightOn = on;
    m_headlight->setIntensity(on ? 1.f : 0.f);
}

void PlayScene::animate(int worldTime)
{
    m_world->animate(worldTime);
}

void PlayScene::placeHeadlight()
{
    // The light sits where the world places its active camera and shines
    // along that camera's view (-z).
    render::Transform camera;
    m_world->getActiveCameraTransform(&camera);
    m_headlight->setTransform(camera);
}

void PlayScene::render(render::Graphics3D& g3d)
{
    if (m_headlight)
        placeHeadlight();
    g3d.render(render::Graphics3D::RENDER_ALL, m_world.get(), render::Transform());
}

PlayScene::Pick PlayScene::pick(float x, float y) const
{
    render::Camera* camera = m_world->getActiveCamera();
    // The window point on the near and far planes, back through the
    // projection into the camera's space and on into the world.
    render::Transform unproject;
    m_world->getActiveCameraTransform(&unproject);
    render::Transform inverseProjection(camera->getProjectionMatrix());
    try {
        inverseProjection.invert();
    } catch (const Vorna3DException&) {
        return Pick{};
    }
    unproject.postMultiply(inverseProjection);
    const float nx = 2.f * x - 1.f, ny = 1.f - 2.f * y;
    const slmath::vec4 nearPoint = unproject.transform(slmath::vec4(nx, ny, -1.f, 1.f));
    const slmath::vec4 farPoint = unproject.transform(slmath::vec4(nx, ny, 1.f, 1.f));
    if (nearPoint.w == 0.f || farPoint.w == 0.f)
        return Pick{};
    const slmath::vec3 origin = nearPoint.xyz() / nearPoint.w;
    const slmath::vec3 direction = farPoint.xyz() / farPoint.w - origin;
    if (direction.x == 0.f && direction.y == 0.f && direction.z == 0.f)
        return Pick{};

    core::Ref<render::RayIntersection> hit = VORNA3D_NEW render::RayIntersection();
    float distance = FLT_MAX;
    const render::Transform identity;
    try {
        if (!m_world->handlePick(-1, origin.x, origin.y, origin.z, direction.x, direction.y, direction.z, hit.get(),
                                 &identity, 0, &distance))
            return Pick{};
    } catch (const AssertationFailedException& e) {
        throw ToolError{std::string("the pick failed:") + (e.getMessage() ? e.getMessage() : "")};
    }
    return Pick{hit->getIntersected(), hit->getDistance()};
}

std::string describePick(const PlayScene::Pick& pick)
{
    if (!pick.node)
        return "nothing";
    char distance[32];
    std::snprintf(distance, sizeof distance, "%.3f", double(pick.distance));
    const core::String name = pick.node->getName();
    return std::string(render::getM3GClassName(pick.node.get())) + " user ID " +
        std::to_string(pick.node->getUserID()) + " name \"" + (name.getASCII() ? name.getASCII() : "") +
        "\" distance " + distance;
}

} // namespace vorna3d_tool
