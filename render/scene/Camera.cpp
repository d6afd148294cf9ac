#include "render/scene/Camera.h"

#include <cfloat>
#include <cmath>

#include "render/ArithmeticException.h"

namespace render {

Camera::Camera() = default;

Camera::Camera(const Camera& other)
    : Node(other), m_generic(other.m_generic), m_params(other.m_params), m_projection(other.m_projection)
{
}

Camera::~Camera() noexcept(false) = default;

Camera* Camera::duplicate() const
{
    return VORNA3D_NEW Camera(*this);
}

void Camera::render(Graphics3D*, const Transform*, int)
{
}

void Camera::setPerspective(float fovy, float aspectRatio, float nearplane, float farplane)
{
    ASSERT(fovy < 180 && fovy > 0 && aspectRatio > 0 && nearplane > 0 && farplane > 0);
    Parameters p = m_params;
    p.fovy = fovy;
    p.aspectRatio = aspectRatio;
    p.nearPlane = nearplane;
    p.farPlane = farplane;
    p.type = PERSPECTIVE;
    apply(p);
}

void Camera::setParallel(float height, float aspectRatio, float nearplane, float farplane)
{
    ASSERT_MSG(height > 0 && aspectRatio > 0, " fovy > 0 && aspectRatio > 0 ");
    Parameters p = m_params;
    p.fovy = height;
    p.aspectRatio = aspectRatio;
    p.nearPlane = nearplane;
    p.farPlane = farplane;
    p.type = PARALLEL;
    apply(p);
}

void Camera::setParallel(float left, float right, float bottom, float top, float nearplane, float farplane)
{
    ASSERT_MSG(right - left != 0, "setParallel failed : right - left == 0");
    ASSERT_MSG(top - bottom != 0, "setParallel failed : top - bottom == 0");
    ASSERT_MSG(farplane - nearplane != 0, "setParallel failed : farplane - nearplane == 0");
    Parameters p = m_params;
    p.left = left;
    p.right = right;
    p.bottom = bottom;
    p.top = top;
    p.nearPlane = nearplane;
    p.farPlane = farplane;
    p.type = PARALLEL_BOUNDS;
    apply(p);
}

void Camera::setGeneric(const Transform& transform)
{
    const Transform old(m_generic);
    m_generic.set(transform);
    Parameters p = m_params;
    p.type = GENERIC;
    try {
        apply(p);
    } catch (...) {
        m_generic.set(old);
        throw;
    }
}

void Camera::apply(const Parameters& params)
{
    const Parameters old = m_params;
    m_params = params;
    try {
        calcMatrix();
    } catch (...) {
        m_params = old;
        throw;
    }
}

int Camera::getProjection(float* params) const
{
    const Parameters& p = m_params;
    if (params) {
        if (p.type == PARALLEL || p.type == PERSPECTIVE) {
            params[0] = p.fovy;
            params[1] = p.aspectRatio;
            params[2] = p.nearPlane;
            params[3] = p.farPlane;
        } else if (p.type == PARALLEL_BOUNDS) {
            params[0] = p.top;
            params[1] = p.bottom;
            params[2] = p.right;
            params[3] = p.left;
        }
    }
    return p.type;
}

int Camera::getProjection(Transform* transform) const
{
    if (transform)
        transform->set(m_projection);
    return m_params.type;
}

void Camera::calcMatrix()
{
    const Parameters& p = m_params;
    if (p.type == GENERIC) {
        m_projection = m_generic.getMatrix();
        return;
    }
    const float n = p.nearPlane;
    const float f = p.farPlane;
    if (std::fabs(n - f) <= FLT_MIN)
        throw ArithmeticException("Transformation matrix cannot be computed due to illegal perspective or parallel "
                                  "projection parameters (near == far)");
    using slmath::vec4;
    const float depth = f - n;
    switch (p.type) {
    case PARALLEL: {
        const float h = p.fovy;
        const float a = p.aspectRatio;
        m_projection = slmath::mat4(vec4(2.f / (h * a), 0.f, 0.f, 0.f), vec4(0.f, 2.f / h, 0.f, 0.f),
                                    vec4(0.f, 0.f, -2.f / depth, -(f + n) / depth), vec4(0.f, 0.f, 0.f, 1.f));
        break;
    }
    case PERSPECTIVE: {
        const float t = std::tan(p.fovy * slmath::DEG_TO_RAD / 2.f);
        const float a = p.aspectRatio;
        m_projection = slmath::mat4(vec4(1.f / (t * a), 0.f, 0.f, 0.f), vec4(0.f, 1.f / t, 0.f, 0.f),
                                    vec4(0.f, 0.f, -(f + n) / depth, -2.f * n * f / depth), vec4(0.f, 0.f, -1.f, 0.f));
        break;
    }
    case PARALLEL_BOUNDS: {
        const float l = p.left, r = p.right, b = p.bottom, t = p.top;
        m_projection = slmath::mat4(vec4(2.f / (r - l), 0.f, 0.f, -(r + l) / (r - l)),
                                    vec4(0.f, 2.f / (t - b), 0.f, -(t + b) / (t - b)),
                                    vec4(0.f, 0.f, -2.f / depth, -(f + n) / depth), vec4(0.f, 0.f, 0.f, 1.f));
        break;
    }
    default:
        ASSERT_MSG(false, "Camera getProjection failed because mode is invalid");
    }
}

} // namespace render
