#include "render/Object3D_reference_helpers.h"

#include "render/AnimationTrack.h"
#include "render/Appearance.h"
#include "render/Background.h"
#include "render/Camera.h"
#include "render/CompositingMode.h"
#include "render/Fog.h"
#include "render/Group.h"
#include "render/IndexBuffer.h"
#include "render/Material.h"
#include "render/Mesh.h"
#include "render/Object3D.h"
#include "render/PolygonMode.h"
#include "render/Texture2D.h"
#include "render/VertexArray.h"
#include "render/VertexBuffer.h"
#include "render/World.h"

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

int getRefsGroupAndWorld(Group* obj, core::Vector<Object3D*>* refs)
{
    ASSERT(obj);
    int count = 0;
    if (World* world = dynamic_cast<World*>(obj)) {
        count += appendRef(world->getBackground(), refs);
        count += appendRef(world->getActiveCamera(), refs);
    }
    for (int i = 0; i < obj->getChildCount(); ++i)
        count += appendRef(obj->getChild(i), refs);
    return count;
}

int getRefsAppearance(Appearance* obj, core::Vector<Object3D*>* refs)
{
    ASSERT(obj);
    int count = appendRef(obj->getCompositingMode(), refs);
    count += appendRef(obj->getMaterial(), refs);
    count += appendRef(obj->getPolygonMode(), refs);
    // The fog is listed too, so that animation reaches it and a writer
    // meets it before the appearance that refers to it.
    count += appendRef(obj->getFog(), refs);
    for (int unit = 0; unit < obj->getTextureCount(); ++unit)
        count += appendRef(obj->getTexture(unit), refs);
    return count;
}

int getRefsMesh(Mesh* obj, core::Vector<Object3D*>* refs)
{
    ASSERT(obj);
    int count = 0;
    for (int i = 0; i < obj->getSubmeshCount(); ++i) {
        count += appendRef(obj->getAppearance(i), refs);
        count += appendRef(obj->getIndexBuffer(i), refs);
    }
    return count + appendRef(obj->getVertexBuffer(), refs);
}

} // namespace render
