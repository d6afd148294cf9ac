#pragma once
// Camera: a node that defines a projection. It draws nothing; a World hands
// its active camera to the renderer, which uses the projection matrix
// computed here and the camera's transform as the eye. Four projection
// types: a generic matrix, a parallel projection by height and aspect
// ratio, a perspective projection, and a parallel projection by its six
// bounds (this engine's own type).

#include "render/scene/Node.h"
#include "render/scene/Transform.h"
#include "slmath/slmath.h"

namespace render {

class Camera : public Node {
public:
    enum { GENERIC = 48, PARALLEL = 49, PERSPECTIVE = 50, PARALLEL_BOUNDS = 51 };

    // A generic camera with the identity projection.
    Camera();
    ~Camera() noexcept(false) override;

    // A new camera with this camera's node part, projection type,
    // parameters, generic matrix and projection.
    Camera* duplicate() const override;

    // Draws nothing.
    void render(Graphics3D* g3d, const Transform* parentTransform, int flags) override;

    // Perspective projection with a vertical field of view in degrees.
    // Asserts " fovy < 180 && fovy > 0 && aspectRatio > 0 && nearplane > 0 && farplane > 0 ".
    void setPerspective(float fovy, float aspectRatio, float nearplane, float farplane);
    // Parallel projection `height` high. Asserts " fovy > 0 && aspectRatio > 0 ".
    void setParallel(float height, float aspectRatio, float nearplane, float farplane);
    // Parallel projection of the box [left, right] x [bottom, top] x [-near, -far].
    // Asserts "setParallel failed : right - left == 0", "... top - bottom
    // == 0", "... farplane - nearplane == 0", in that order.
    void setParallel(float left, float right, float bottom, float top, float nearplane, float farplane);
    // Uses `transform` as the projection matrix.
    void setGeneric(const Transform& transform);

    // Every setter recomputes the projection (calcMatrix). When that throws
    // ArithmeticException (near == far) the camera keeps its previous type,
    // parameters and matrix.

    // The projection type. Writes the parameters to `params` when it is
    // given: fovy (or height), aspect ratio, near, far for PARALLEL and
    // PERSPECTIVE; top, bottom, right, left for PARALLEL_BOUNDS; nothing for GENERIC.
    int getProjection(float* params) const;
    // The projection type; writes the projection matrix to `transform` when given.
    int getProjection(Transform* transform) const;
    const slmath::mat4& getProjectionMatrix() const { return m_projection; }

    // Recomputes the projection matrix from the type and parameters. Throws
    // ArithmeticException "Transformation matrix cannot be computed due to
    // illegal perspective or parallel projection parameters (near == far)"
    // when |near - far| <= FLT_MIN (not for GENERIC); the matrix is then unchanged.
    void calcMatrix();

protected:
    Camera(const Camera& other);

private:
    // What a setter changes, kept whole so that a failed setter can put it back.
    struct Parameters {
        float fovy = 0.f; // field of view, or the height of a parallel projection
        float aspectRatio = 0.f;
        float nearPlane = 0.f;
        float farPlane = 0.f;
        float right = 0.f;
        float left = 0.f;
        float top = 0.f;
        float bottom = 0.f;
        int type = GENERIC;
    };
    // Stores `params` and recomputes the matrix; restores the old
    // parameters when that fails.
    void apply(const Parameters& params);

    Transform m_generic;
    Parameters m_params;
    slmath::mat4 m_projection;
};

} // namespace render
