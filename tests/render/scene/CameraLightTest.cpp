// Camera projections against matrices worked out by hand from the
// projection formulas, the failures that keep the previous projection, and
// the Light parameter checks.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/Ref.h"
#include "render/ArithmeticException.h"
#include "render/scene/Camera.h"
#include "render/scene/Light.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/SceneTestSupport.h"

using core::Ref;
using render::Camera;
using render::Light;
using render::Transform;
using render_test::failsWith;
using render_test::near;
using render_test::rows;

namespace {

class CameraLightTest : public render_test::SceneTest { };

Transform projectionOf(const Camera& camera)
{
    Transform t;
    camera.getProjection(&t);
    return t;
}

} // namespace

TEST_F(CameraLightTest, ProjectionsMatchHandComputedMatrices)
{
    Ref<Camera> camera = VORNA3D_NEW Camera();
    float params[4] = {-1.f, -1.f, -1.f, -1.f};
    EXPECT_EQ(camera->getProjection(params), Camera::GENERIC);
    EXPECT_EQ(params[0], -1.f); // nothing written for GENERIC
    EXPECT_TRUE(near(projectionOf(*camera), Transform()));

    // Perspective 60 degrees, aspect 1.333, near 0.1, far 100:
    // 1/tan(30) = sqrt(3) = 1.7320508, divided by 1.333 = 1.2993630;
    // -(f+n)/(f-n) = -100.1/99.9 = -1.0020020; -2nf/(f-n) = -20/99.9 = -0.2002002.
    camera->setPerspective(60.f, 1.333f, 0.1f, 100.f);
    EXPECT_TRUE(near(projectionOf(*camera),
                     rows({1.2993630f, 0, 0, 0, 0, 1.7320508f, 0, 0, 0, 0, -1.0020020f, -0.2002002f, 0, 0, -1, 0}),
                     1e-5f));
    EXPECT_EQ(camera->getProjection(params), Camera::PERSPECTIVE);
    EXPECT_EQ(params[0], 60.f);
    EXPECT_EQ(params[1], 1.333f);
    EXPECT_EQ(params[2], 0.1f);
    EXPECT_EQ(params[3], 100.f);

    // Parallel, height 4, aspect 2, near 1, far 11: 2/(h a) = 0.25, 2/h = 0.5,
    // -2/(f-n) = -0.2, -(f+n)/(f-n) = -1.2.
    camera->setParallel(4.f, 2.f, 1.f, 11.f);
    EXPECT_TRUE(near(projectionOf(*camera), rows({0.25f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, -0.2f, -1.2f, 0, 0, 0, 1})));
    EXPECT_EQ(camera->getProjection(static_cast<float*>(nullptr)), Camera::PARALLEL);

    // Bounds (-1, 1, -1, 1, 0, 10): the first row is (1, 0, 0, 0).
    camera->setParallel(-1.f, 1.f, -1.f, 1.f, 0.f, 10.f);
    EXPECT_TRUE(near(projectionOf(*camera), rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -0.2f, -1, 0, 0, 0, 1})));
    // The renderer's 2D camera: (0, 1024, 0, 768, 0, 1000) maps pixels to -1..1.
    camera->setParallel(0.f, 1024.f, 0.f, 768.f, 0.f, 1000.f);
    EXPECT_TRUE(
        near(projectionOf(*camera), rows({2.f / 1024, 0, 0, -1, 0, 2.f / 768, 0, -1, 0, 0, -0.002f, -1, 0, 0, 0, 1})));
    EXPECT_EQ(camera->getProjection(params), Camera::PARALLEL_BOUNDS);
    EXPECT_EQ(params[0], 768.f); // top, bottom, right, left
    EXPECT_EQ(params[1], 0.f);
    EXPECT_EQ(params[2], 1024.f);
    EXPECT_EQ(params[3], 0.f);

    const Transform generic = rows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    camera->setGeneric(generic);
    EXPECT_EQ(camera->getProjection(params), Camera::GENERIC);
    EXPECT_TRUE(near(projectionOf(*camera), generic));

    // A duplicate carries the projection and its parameters.
    camera->setPerspective(45.f, 1.f, 1.f, 3.f);
    Ref<Camera> copy = camera->duplicate();
    EXPECT_TRUE(near(projectionOf(*copy), projectionOf(*camera)));
    EXPECT_EQ(copy->getProjection(params), Camera::PERSPECTIVE);
    EXPECT_EQ(params[0], 45.f);
}

TEST_F(CameraLightTest, RejectedProjectionsKeepThePreviousOne)
{
    Ref<Camera> camera = VORNA3D_NEW Camera();
    camera->setPerspective(60.f, 1.f, 1.f, 10.f);
    const Transform before = projectionOf(*camera);
    const char* perspective = " fovy < 180 && fovy > 0 && aspectRatio > 0 && nearplane > 0 && farplane > 0 ";
    EXPECT_TRUE(failsWith([&] { camera->setPerspective(180.f, 1.f, 1.f, 10.f); }, perspective,
                          "render::Camera::setPerspective"));
    EXPECT_TRUE(failsWith([&] { camera->setPerspective(60.f, 1.f, 0.f, 10.f); }, perspective,
                          "render::Camera::setPerspective"));
    EXPECT_TRUE(failsWith([&] { camera->setPerspective(std::numeric_limits<float>::quiet_NaN(), 1.f, 1.f, 10.f); },
                          perspective, "render::Camera::setPerspective"));
    EXPECT_TRUE(failsWith([&] { camera->setParallel(0.f, 1.f, 1.f, 10.f); }, " fovy > 0 && aspectRatio > 0 ",
                          "render::Camera::setParallel"));
    const char* bounds = "render::Camera::setParallel";
    EXPECT_TRUE(failsWith([&] { camera->setParallel(1.f, 1.f, 2.f, 2.f, 0.f, 0.f); },
                          "setParallel failed : right - left == 0", bounds));
    EXPECT_TRUE(failsWith([&] { camera->setParallel(0.f, 1.f, 2.f, 2.f, 0.f, 0.f); },
                          "setParallel failed : top - bottom == 0", bounds));
    EXPECT_TRUE(failsWith([&] { camera->setParallel(0.f, 1.f, 0.f, 2.f, 3.f, 3.f); },
                          "setParallel failed : farplane - nearplane == 0", bounds));
    EXPECT_TRUE(near(projectionOf(*camera), before));

    // near == far passes the setter's check and fails in calcMatrix: the
    // camera keeps its matrix, its type and its parameters.
    try {
        camera->setParallel(2.f, 1.f, 5.f, 5.f);
        ADD_FAILURE() << "no ArithmeticException";
    } catch (const render::ArithmeticException& e) {
        EXPECT_STREQ(e.getMessage(),
                     "Transformation matrix cannot be computed due to illegal perspective or parallel "
                     "projection parameters (near == far)");
    }
    EXPECT_TRUE(near(projectionOf(*camera), before));
    float params[4];
    EXPECT_EQ(camera->getProjection(params), Camera::PERSPECTIVE);
    EXPECT_EQ(params[2], 1.f);
    EXPECT_EQ(params[3], 10.f);
    // ...so it still duplicates.
    Ref<Camera> copy = camera->duplicate();
    EXPECT_TRUE(near(projectionOf(*copy), before));

    // A projection too steep for float fails without changing anything either.
    EXPECT_THROW(camera->setParallel(1e-30f, 1e-30f, 1.f, 2.f), AssertationFailedException);
    EXPECT_TRUE(near(projectionOf(*camera), before));
    EXPECT_EQ(camera->getProjection(params), Camera::PERSPECTIVE);
}

TEST_F(CameraLightTest, LightParameterChecks)
{
    Ref<Light> light = VORNA3D_NEW Light();
    EXPECT_EQ(light->getMode(), Light::DIRECTIONAL);
    EXPECT_EQ(light->getColor(), 0x00FFFFFF);
    EXPECT_FLOAT_EQ(light->getIntensity(), 1.f);
    EXPECT_FLOAT_EQ(light->getConstantAttenuation(), 1.f);
    EXPECT_FLOAT_EQ(light->getSpotAngle(), 45.f);

    light->setMode(Light::AMBIENT);
    light->setMode(Light::SPOT);
    EXPECT_TRUE(
        failsWith([&] { light->setMode(132); }, "IllegalArgument in Light::setMode()", "render::Light::setMode"));
    EXPECT_TRUE(
        failsWith([&] { light->setMode(127); }, "IllegalArgument in Light::setMode()", "render::Light::setMode"));
    EXPECT_EQ(light->getMode(), Light::SPOT);

    const char* att = "IllegalArgument in Light::setAttenuation()";
    EXPECT_TRUE(failsWith([&] { light->setAttenuation(0.f, 0.f, 0.f); }, att, "render::Light::setAttenuation"));
    EXPECT_TRUE(failsWith([&] { light->setAttenuation(-1.f, 1.f, 0.f); }, att, "render::Light::setAttenuation"));
    EXPECT_TRUE(failsWith([&] { light->setAttenuation(std::numeric_limits<float>::quiet_NaN(), 1.f, 0.f); }, att,
                          "render::Light::setAttenuation"));
    light->setAttenuation(0.f, 0.f, 1.f);
    EXPECT_FLOAT_EQ(light->getConstantAttenuation(), 0.f);
    EXPECT_FLOAT_EQ(light->getQuadraticAttenuation(), 1.f);

    light->setSpotAngle(90.f);
    light->setSpotAngle(0.f);
    EXPECT_TRUE(failsWith([&] { light->setSpotAngle(90.5f); }, "IllegalArgument in Light::setSpotAngle()",
                          "render::Light::setSpotAngle"));
    EXPECT_FLOAT_EQ(light->getSpotAngle(), 0.f);
    light->setSpotExponent(128.f);
    EXPECT_TRUE(failsWith([&] { light->setSpotExponent(-0.1f); }, "IllegalArgument in Light::setSpotExponent()",
                          "render::Light::setSpotExponent"));
    EXPECT_FLOAT_EQ(light->getSpotExponent(), 128.f);

    light->setColor(0x00102030);
    light->setIntensity(-2.f); // any value
    Ref<Light> copy = light->duplicate();
    EXPECT_EQ(copy->getMode(), Light::SPOT);
    EXPECT_EQ(copy->getColor(), 0x00102030);
    EXPECT_FLOAT_EQ(copy->getIntensity(), -2.f);
    EXPECT_FLOAT_EQ(copy->getQuadraticAttenuation(), 1.f);
    EXPECT_FLOAT_EQ(copy->getSpotExponent(), 128.f);
}
