#include "demo/EffectTitle.h"

#include "demo/DemoStage.h"
#include "render/Graphics3D.h"

void EffectTitle::render(render::Graphics3D& g3d)
{
    m_stage.beginFrame(g3d);
    render::Transform where;
    where.postTranslate(-70.f, 4.f, 0.f);
    g3d.drawText(TITLE_LINE, &where);
    m_stage.drawFadeOverlay(g3d);
    m_stage.endFrame(g3d);
}
