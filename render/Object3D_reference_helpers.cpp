#include "render/Object3D_reference_helpers.h"

#include "render/AnimationTrack.h"
#include "render/Object3D.h"
#include "render/VertexArray.h"
#include "render/VertexBuffer.h"

namespace render {

int appendRef(Object3D* ref, core::Vector<Object3D*>* refs)
{
    if (!ref)
        return 0;
    if (refs)
        refs->add(ref);
    return 1;
}

int getSubRefs(core::Vector<Object3D*>* refs, Object3D* this_ref)
{
    ASSERT(this_ref);
    return this_ref->getReferences(refs);
}

int getRefsObject3D(Object3D* obj, core::Vector<Object3D*>* refs)
{
    ASSERT(obj);
    int count = 0;
    for (int i = 0; i < obj->getAnimationTrackCount(); ++i)
        count += appendRef(obj->getAnimationTrack(i), refs);
    return count;
}

int getRefsVertexBuffer(VertexBuffer* obj, core::Vector<Object3D*>* refs)
{
    ASSERT(obj);
    int count = appendRef(obj->getPositions(), refs);
    count += appendRef(obj->getNormals(), refs);
    count += appendRef(obj->getColors(), refs);
    for (int unit = 0; unit < obj->getTexCoordCount(); ++unit)
        count += appendRef(obj->getTexCoords(unit, nullptr), refs);
    return count;
}

} // namespace render
