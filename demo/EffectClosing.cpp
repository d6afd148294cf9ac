// The closing picture (states 21 to 23).

#include "demo/MyApplication.h"
#include "render/Graphics3D.h"
#include "render/Sprite3D.h"

void MyApplication::renderClosing(render::Graphics3D& g3d)
{
    beginFrame(g3d);
    render::Transform where;
    where.postTranslate(0.f, 10.f, 0.f);
    draw(g3d, m_closingSprite.get(), where);
    drawFadeOverlay(g3d);
    endFrame(g3d);
}
