// The engine logo (states 19 and 20): the camera turns slowly around the
// logo and its mirror image while it backs away.

#include "demo/MyApplication.h"
#include "render/Graphics3D.h"
#include "render/Mesh.h"

void MyApplication::updateEngineLogo(float seconds)
{
    m_engineLogo.advance(seconds);
    m_cameraTransform.setIdentity();
    m_cameraTransform.postRotate(m_engineLogo.angle, 0.f, 1.f, 0.f);
    m_cameraTransform.postTranslate(0.f, 0.f, m_engineLogo.drift - 5.f);
}

void MyApplication::renderEngineLogo(render::Graphics3D& g3d)
{
    beginFrame(g3d);
    // The logo at the size the camera's path is made for, facing where the
    // camera ends up (the scene file's letters face +z, the path ends on
    // the -z side).
    const float s = m_engineLogoScale;
    render::Transform logo;
    logo.postScale(s, s, s);
    logo.postRotate(180.f, 0.f, 1.f, 0.f);
    draw(g3d, m_v3dmesh.get(), logo);
    render::Transform mirror;
    mirror.postScale(s, -s, s);
    mirror.postRotate(180.f, 0.f, 1.f, 0.f);
    mirror.postTranslate(0.f, 0.01f, 0.f);
    draw(g3d, m_v3dmesh2.get(), mirror);
    drawFadeOverlay(g3d);
    endFrame(g3d);
}
