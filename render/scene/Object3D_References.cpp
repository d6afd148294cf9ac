#include "render/scene/Object3D_References.h"

#include "render/animation/AnimationTrack.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/appearance/CompositingMode.h"
#include "render/appearance/Fog.h"
#include "render/scene/Group.h"
#include "render/geometry/IndexBuffer.h"
#include "render/appearance/Material.h"
#include "render/scene/Mesh.h"
#include "render/scene/Object3D.h"
#include "render/appearance/PolygonMode.h"
#include "render/appearance/Texture2D.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "render/scene/World.h"

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
