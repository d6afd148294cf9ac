#include "render/loaders/m3g/M3G_ObjectTypes.h"

#include "core/Assert.h"
#include "render/animation/AnimationController.h"
#include "render/animation/AnimationTrack.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/appearance/CompositingMode.h"
#include "render/appearance/Fog.h"
#include "render/appearance/Image2D.h"
#include "render/animation/KeyframeSequence.h"
#include "render/scene/Light.h"
#include "render/geometry/LineListArray.h"
#include "render/appearance/Material.h"
#include "render/scene/Mesh.h"
#include "render/scene/MorphingMesh.h"
#include "render/appearance/PolygonMode.h"
#include "render/scene/SkinnedMesh.h"
#include "render/appearance/Texture2D.h"
#include "render/geometry/TriangleListArray.h"
#include "render/geometry/TriangleStripArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "render/scene/World.h"

namespace render {

const char* getM3GTypeName(int type)
{
    switch (type) {
    case M3G_HEADER:
        return "Header";
    case M3G_ANIMATION_CONTROLLER:
        return "AnimationController";
    case M3G_ANIMATION_TRACK:
        return "AnimationTrack";
    case M3G_APPEARANCE:
        return "Appearance";
    case M3G_BACKGROUND:
        return "Background";
    case M3G_CAMERA:
        return "Camera";
    case M3G_COMPOSITING_MODE:
        return "CompositingMode";
    case M3G_FOG:
        return "Fog";
    case M3G_POLYGON_MODE:
        return "PolygonMode";
    case M3G_GROUP:
        return "Group";
    case M3G_IMAGE2D:
        return "Image2D";
    case M3G_TRIANGLE_STRIP_ARRAY:
        return "TriangleStripArray";
    case M3G_LIGHT:
        return "Light";
    case M3G_MATERIAL:
        return "Material";
    case M3G_MESH:
        return "Mesh";
    case M3G_MORPHING_MESH:
        return "MorphingMesh";
    case M3G_SKINNED_MESH:
        return "SkinnedMesh";
    case M3G_TEXTURE2D:
        return "Texture2D";
    case M3G_SPRITE3D:
        return "Sprite3D";
    case M3G_KEYFRAME_SEQUENCE:
        return "KeyframeSequence";
    case M3G_VERTEX_ARRAY:
        return "VertexArray";
    case M3G_VERTEX_BUFFER:
        return "VertexBuffer";
    case M3G_WORLD:
        return "World";
    case M3G_EXTERNAL_REFERENCE:
        return "ExternalReference";
    default:
        return "Unknown";
    }
}

bool isM3GTypeReadable(int type)
{
    return (type >= M3G_ANIMATION_CONTROLLER && type <= M3G_TEXTURE2D) ||
        (type >= M3G_KEYFRAME_SEQUENCE && type <= M3G_WORLD);
}

int getM3GType(const Object3D* object)
{
    ASSERT(object);
    // Subclasses before their bases: World is a Group, every node a Transformable.
    if (dynamic_cast<const World*>(object))
        return M3G_WORLD;
    if (dynamic_cast<const Group*>(object))
        return M3G_GROUP;
    if (dynamic_cast<const SkinnedMesh*>(object))
        return M3G_SKINNED_MESH;
    if (dynamic_cast<const MorphingMesh*>(object))
        return M3G_MORPHING_MESH;
    if (dynamic_cast<const Mesh*>(object))
        return M3G_MESH;
    if (dynamic_cast<const Camera*>(object))
        return M3G_CAMERA;
    if (dynamic_cast<const Light*>(object))
        return M3G_LIGHT;
    if (dynamic_cast<const Appearance*>(object))
        return M3G_APPEARANCE;
    if (dynamic_cast<const Background*>(object))
        return M3G_BACKGROUND;
    if (dynamic_cast<const CompositingMode*>(object))
        return M3G_COMPOSITING_MODE;
    if (dynamic_cast<const Fog*>(object))
        return M3G_FOG;
    if (dynamic_cast<const PolygonMode*>(object))
        return M3G_POLYGON_MODE;
    if (dynamic_cast<const Material*>(object))
        return M3G_MATERIAL;
    if (dynamic_cast<const Image2D*>(object))
        return M3G_IMAGE2D;
    if (dynamic_cast<const Texture2D*>(object))
        return M3G_TEXTURE2D;
    if (dynamic_cast<const TriangleStripArray*>(object) || dynamic_cast<const TriangleListArray*>(object))
        return M3G_TRIANGLE_STRIP_ARRAY;
    if (dynamic_cast<const VertexArray*>(object))
        return M3G_VERTEX_ARRAY;
    if (dynamic_cast<const VertexBuffer*>(object))
        return M3G_VERTEX_BUFFER;
    if (dynamic_cast<const AnimationController*>(object))
        return M3G_ANIMATION_CONTROLLER;
    if (dynamic_cast<const AnimationTrack*>(object))
        return M3G_ANIMATION_TRACK;
    if (dynamic_cast<const KeyframeSequence*>(object))
        return M3G_KEYFRAME_SEQUENCE;
    return -1;
}

const char* getM3GClassName(const Object3D* object)
{
    ASSERT(object);
    if (dynamic_cast<const TriangleListArray*>(object))
        return "TriangleListArray";
    const int type = getM3GType(object);
    if (type >= 0)
        return getM3GTypeName(type);
    if (dynamic_cast<const LineListArray*>(object))
        return "LineListArray";
    return "Object3D";
}

} // namespace render
