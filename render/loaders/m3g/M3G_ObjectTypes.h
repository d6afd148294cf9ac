#pragma once
// The object types of scene files: the type byte that opens every object
// record, its class name for log lines and listings, and the type under
// which an engine object is written.

#include <cstdint>

namespace render {

class Object3D;

enum M3G_ObjectType {
    M3G_HEADER = 0,
    M3G_ANIMATION_CONTROLLER = 1,
    M3G_ANIMATION_TRACK = 2,
    M3G_APPEARANCE = 3,
    M3G_BACKGROUND = 4,
    M3G_CAMERA = 5,
    M3G_COMPOSITING_MODE = 6,
    M3G_FOG = 7,
    M3G_POLYGON_MODE = 8,
    M3G_GROUP = 9,
    M3G_IMAGE2D = 10,
    M3G_TRIANGLE_STRIP_ARRAY = 11,
    M3G_LIGHT = 12,
    M3G_MATERIAL = 13,
    M3G_MESH = 14,
    M3G_MORPHING_MESH = 15,
    M3G_SKINNED_MESH = 16,
    M3G_TEXTURE2D = 17,
    M3G_SPRITE3D = 18,
    M3G_KEYFRAME_SEQUENCE = 19,
    M3G_VERTEX_ARRAY = 20,
    M3G_VERTEX_BUFFER = 21,
    M3G_WORLD = 22,
    M3G_EXTERNAL_REFERENCE = 255,
};

// The class name of object type `type` ("World", "Image2D", ...; "Header"
// for 0, "ExternalReference" for 255), or "Unknown" for any other value.
const char* getM3GTypeName(int type);

// Whether records of `type` are read into objects by this engine: every
// object type 1..22 except Sprite3D, which is recognised but not read.
bool isM3GTypeReadable(int type);

// The type under which `object` is written (a TriangleListArray is written
// as a TriangleStripArray), or -1 for a class without a record. Requires an
// object (" object ").
int getM3GType(const Object3D* object);

// The name of `object`'s class as listings show it: the record type's
// class name, or "TriangleListArray", "LineListArray", "Object3D" for
// classes without a readable record. Requires an object.
const char* getM3GClassName(const Object3D* object);

} // namespace render
