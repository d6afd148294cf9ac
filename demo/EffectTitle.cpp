// The opening: the title line (states 999 and 998) and the title picture
// full screen (states 997, 0 and 1).

#include "demo/MyApplication.h"
#include "render/Graphics3D.h"
#include "render/Sprite3D.h"

void MyApplication::renderTitle(render::Graphics3D& g3d)
{
    beginFrame(g3d);
    render::Transform where;
    where.postTranslate(-70.f, 4.f, 0.f);
    g3d.drawText(TITLE_LINE, &where);
    drawFadeOverlay(g3d);
    endFrame(g3d);
}

void MyApplication::updateLogo()
{
    m_spriteTransformA.setIdentity();
    m_spriteTransformA.postTranslate(0.f, 0.f, 0.f);
}

void MyApplication::renderLogo(render::Graphics3D& g3d)
{
    beginCoveredFrame(g3d); // the picture is opaque and fills the screen
    g3d.rect(slmath::vec2(1.f, 0.f), slmath::vec2(0.f, 1.f), m_logoSprite->getTexture());
    drawFadeOverlay(g3d);
    endFrame(g3d);
}
