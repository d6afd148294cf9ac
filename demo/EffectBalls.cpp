// The stone balls (states 8 to 10): nine plasma-textured balls tumbling
// inside a big plasma-textured ball; the plasma flows faster as the music
// goes on.

#include <cmath>

#include "demo/MyApplication.h"
#include "render/Camera.h"
#include "render/Graphics3D.h"
#include "render/Mesh.h"
#include "render/Texture2D.h"

namespace {

constexpr float BALLS_CAMERA_DISTANCE = 400.f;

// Where the eight small balls go around the middle one, each step from the
// last: (+-60, 0, +-80) and (+-60, +-80, 0).
constexpr float BALL_STEPS[8][3] = {{60.f, 0.f, 80.f},   {0.f, 0.f, -160.f}, {0.f, 80.f, 80.f},  {0.f, -160.f, 0.f},
                                    {-120.f, 80.f, 80.f}, {0.f, 0.f, -160.f}, {0.f, 80.f, 80.f}, {0.f, -160.f, 0.f}};

} // namespace

void MyApplication::updateBalls(float seconds)
{
    const float t = m_timeline.getMusicTime();
    m_timeline.setStateTime(t);
    m_ballAngle += seconds * 99.965f;
    const float a = 0.01f * m_ballAngle;
    const float s = std::sin(a) + 1.f;
    const float q = std::cos(a) - 1.f;
    const float k = 0.5f * std::fabs(std::sin(0.05f * m_ballAngle)) + 0.5f;
    m_ballRotation.setIdentity();
    m_ballRotation.postRotate(m_ballAngle, s, q, s + q);
    m_ballScale.setIdentity();
    m_ballScale.postScale(k, k, k);

    m_camera->setPerspective(45.f, 1.3333334f, 0.1f, 1000.f);
    m_camera->setTranslation(0.f, 0.f, BALLS_CAMERA_DISTANCE);

    // The image and its texture follow at the next frame, once for all the
    // steps since the last one.
    m_plasma.step(t / 100.f);
    m_plasmaPending = true;
}

void MyApplication::renderBalls(render::Graphics3D& g3d)
{
    if (m_plasmaPending) {
        m_plasma.draw(*m_plasmaImage);
        m_texture->setImage(m_plasmaImage.get());
        m_plasmaPending = false;
    }
    render::Transform cameraPlace;
    cameraPlace.postTranslate(0.f, 0.f, BALLS_CAMERA_DISTANCE);
    g3d.setCamera(m_camera.get(), cameraPlace);
    g3d.setLightingEnabled(true);
    beginCoveredFrame(g3d); // the big ball covers the screen

    render::Transform big;
    big.postScale(4.1f, 4.1f, 4.1f);
    big.postRotate(90.f, 1.f, 0.f, 0.f);
    big.postRotate(10.f * m_timeline.getStateTime(), 0.f, 0.f, 1.f);
    draw(g3d, m_stonepallo.get(), big); // first: it does not test depth

    draw(g3d, m_demopallo.get(), m_ballScale);
    render::Transform around(m_ballRotation);
    around.postScale(0.5f, 0.5f, 0.5f);
    for (const float* step : BALL_STEPS) {
        around.postTranslate(step[0], step[1], step[2]);
        draw(g3d, m_demopallo.get(), around);
    }

    drawFadeOverlay(g3d);
    endFrame(g3d);
}
