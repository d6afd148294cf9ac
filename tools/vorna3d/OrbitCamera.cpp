#include "OrbitCamera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "render/scene/Camera.h"
#include "render/scene/Transform.h"

namespace vorna3d_tool {

namespace {

constexpr float DEGREES = std::numbers::pi_v<float> / 180.f;
// The framed view looks from the front, a little from the right and above.
constexpr float START_YAW = 30.f;
constexpr float START_PITCH = 15.f;
// Room around the framed sphere.
constexpr float FRAME_MARGIN = 1.05f;

} // namespace

OrbitCamera::OrbitCamera()
{
    m_start = View{m_center, m_distance, m_yaw, m_pitch};
}

void OrbitCamera::frame(const slmath::vec3& boxMin, const slmath::vec3& boxMax, float aspect)
{
    const slmath::vec3 size = boxMax - boxMin;
    const float diagonal = std::sqrt(size.x * size.x + size.y * size.y + size.z * size.z);
    m_center = (boxMin + boxMax) * 0.5f;
    m_radius = std::isfinite(diagonal) && diagonal > 1e-6f ? 0.5f * diagonal : 0.5f;
    const float halfHeight = 0.5f * FIELD_OF_VIEW * DEGREES;
    const float halfWidth = std::atan(std::tan(halfHeight) * (aspect > 0.f ? aspect : 1.f));
    m_distance = FRAME_MARGIN * m_radius / std::sin(std::min(halfHeight, halfWidth));
    m_yaw = START_YAW;
    m_pitch = START_PITCH;
    m_start = View{m_center, m_distance, m_yaw, m_pitch};
}

void OrbitCamera::reset()
{
    m_center = m_start.center;
    m_distance = m_start.distance;
    m_yaw = m_start.yaw;
    m_pitch = m_start.pitch;
}

void OrbitCamera::lookFrom(const slmath::vec3& eye, const slmath::vec3& forward, float distance)
{
    const float length = std::sqrt(forward.x * forward.x + forward.y * forward.y + forward.z * forward.z);
    if (!(length > 0.f) || !std::isfinite(length) || !(distance > 0.f))
        return;
    const slmath::vec3 back = forward * (-1.f / length);
    m_yaw = std::atan2(back.x, back.z) / DEGREES;
    m_pitch = std::clamp(std::asin(std::clamp(back.y, -1.f, 1.f)) / DEGREES, -MAX_PITCH, MAX_PITCH);
    m_distance = distance;
    m_center = eye - back * distance;
}

void OrbitCamera::orbit(float dx, float dy)
{
    m_yaw = std::fmod(m_yaw - dx * DEGREES_PER_WINDOW, 360.f);
    m_pitch = std::clamp(m_pitch + dy * DEGREES_PER_WINDOW, -MAX_PITCH, MAX_PITCH);
}

void OrbitCamera::pan(float dx, float dy, float aspect)
{
    const float yaw = m_yaw * DEGREES, pitch = m_pitch * DEGREES;
    const slmath::vec3 right(std::cos(yaw), 0.f, -std::sin(yaw));
    const slmath::vec3 up(-std::sin(pitch) * std::sin(yaw), std::cos(pitch), -std::sin(pitch) * std::cos(yaw));
    const float height = 2.f * m_distance * std::tan(0.5f * FIELD_OF_VIEW * DEGREES);
    const float width = height * (aspect > 0.f ? aspect : 1.f);
    m_center = m_center - right * (dx * width) + up * (dy * height);
}

void OrbitCamera::zoom(float notches)
{
    m_distance = std::clamp(m_distance * std::pow(ZOOM_PER_NOTCH, notches), m_radius * 1e-3f, m_radius * 1e4f);
}

slmath::vec3 OrbitCamera::getEye() const
{
    const float yaw = m_yaw * DEGREES, pitch = m_pitch * DEGREES;
    const slmath::vec3 back(std::cos(pitch) * std::sin(yaw), std::sin(pitch), std::cos(pitch) * std::cos(yaw));
    return m_center + back * m_distance;
}

void OrbitCamera::getTransform(render::Transform* transform) const
{
    // Turned by yaw about y, then tilted down by pitch about its own x:
    // its z axis then points from the centre to the eye.
    const slmath::vec3 eye = getEye();
    transform->setIdentity();
    transform->postTranslate(eye.x, eye.y, eye.z);
    transform->postRotate(m_yaw, 0.f, 1.f, 0.f);
    transform->postRotate(-m_pitch, 1.f, 0.f, 0.f);
}

float OrbitCamera::getNear() const
{
    return std::max(m_distance - 2.f * m_radius, m_distance * 0.01f);
}

float OrbitCamera::getFar() const
{
    return m_distance + 4.f * m_radius;
}

void OrbitCamera::apply(render::Camera& camera, float aspect) const
{
    render::Transform transform;
    getTransform(&transform);
    camera.setTransform(transform);
    camera.setTranslation(0.f, 0.f, 0.f);
    camera.setOrientation(0.f, 1.f, 0.f, 0.f);
    camera.setScale(1.f, 1.f, 1.f);
    camera.setPerspective(FIELD_OF_VIEW, aspect > 0.f ? aspect : 1.f, getNear(), getFar());
}

} // namespace vorna3d_tool
