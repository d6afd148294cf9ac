#pragma once
// The plain records of scene-file objects: one structure per record type,
// holding the fields as the file lays them out, with object references as
// file indices (0 = none). The reader fills a record from the file, checks
// it and builds the object from it; the writer fills a record from an
// object and writes it. Colours are packed as the engine keeps them:
// 0xAARRGGBB for RGBA colours, 0x00RRGGBB for RGB ones.

#include <cstdint>

#include "core/Vector.h"

namespace render {

// One user parameter: its ID and bytes. ID 1 is the object's name.
struct M3G_UserParameter {
    uint32_t parameterID = 0;
    core::Vector<char> value;
};

// The part every object record starts with.
struct M3G_Object3D {
    uint32_t userID = 0;
    core::Vector<uint32_t> animationTracks;
    core::Vector<M3G_UserParameter> userParameters;
};

struct M3G_Transformable : M3G_Object3D {
    bool hasComponentTransform = false;
    float translation[3] = {0.f, 0.f, 0.f};
    float scale[3] = {1.f, 1.f, 1.f};
    float orientationAngle = 0.f;
    float orientationAxis[3] = {0.f, 0.f, 0.f};
    bool hasGeneralTransform = false;
    float transform[16] = {}; // row by row
};

struct M3G_Node : M3G_Transformable {
    bool enableRendering = true;
    bool enablePicking = true;
    uint8_t alphaFactor = 255; // alpha x 255
    uint32_t scope = 0xFFFFFFFFu;
    bool hasAlignment = false;
    uint8_t zTarget = 0;
    uint8_t yTarget = 0;
    uint32_t zReference = 0;
    uint32_t yReference = 0;
};

struct M3G_Group : M3G_Node {
    core::Vector<uint32_t> children;
};

struct M3G_World : M3G_Group {
    uint32_t activeCamera = 0;
    uint32_t background = 0;
};

struct M3G_Camera : M3G_Node {
    uint8_t projectionType = 0;
    float projectionMatrix[16] = {}; // GENERIC only, row by row
    float fovy = 0.f; // PARALLEL and PERSPECTIVE only
    float aspectRatio = 0.f;
    float nearPlane = 0.f;
    float farPlane = 0.f;
};

struct M3G_Light : M3G_Node {
    float attenuationConstant = 1.f;
    float attenuationLinear = 0.f;
    float attenuationQuadratic = 0.f;
    uint32_t color = 0; // RGB
    uint8_t mode = 0;
    float intensity = 1.f;
    float spotAngle = 45.f;
    float spotExponent = 0.f;
};

struct M3G_SubMesh {
    uint32_t indexBuffer = 0;
    uint32_t appearance = 0;
};

struct M3G_Mesh : M3G_Node {
    uint32_t vertexBuffer = 0;
    core::Vector<M3G_SubMesh> submeshes;
};

struct M3G_Appearance : M3G_Object3D {
    int8_t layer = 0;
    uint32_t compositingMode = 0;
    uint32_t fog = 0;
    uint32_t polygonMode = 0;
    uint32_t material = 0;
    core::Vector<uint32_t> textures;
};

struct M3G_Background : M3G_Object3D {
    uint32_t backgroundColor = 0; // RGBA
    uint32_t backgroundImage = 0;
    uint8_t backgroundImageModeX = 0;
    uint8_t backgroundImageModeY = 0;
    int32_t cropX = 0;
    int32_t cropY = 0;
    int32_t cropWidth = 0;
    int32_t cropHeight = 0;
    bool depthClearEnabled = true;
    bool colorClearEnabled = true;
};

struct M3G_CompositingMode : M3G_Object3D {
    bool depthTestEnabled = true;
    bool depthWriteEnabled = true;
    bool colorWriteEnabled = true;
    bool alphaWriteEnabled = true;
    uint8_t blending = 0;
    uint8_t alphaThreshold = 0; // threshold x 256
    float depthOffsetFactor = 0.f;
    float depthOffsetUnits = 0.f;
};

struct M3G_Fog : M3G_Object3D {
    uint32_t color = 0; // RGB
    uint8_t mode = 0;
    float density = 1.f; // EXPONENTIAL only
    float nearDistance = 0.f; // LINEAR only
    float farDistance = 1.f;
};

struct M3G_PolygonMode : M3G_Object3D {
    uint8_t culling = 0;
    uint8_t shading = 0;
    uint8_t winding = 0;
    bool twoSidedLightingEnabled = false;
    bool localCameraLightingEnabled = false;
    bool perspectiveCorrectionEnabled = false;
};

struct M3G_Material : M3G_Object3D {
    uint32_t ambientColor = 0; // RGB
    uint32_t diffuseColor = 0; // RGBA
    uint32_t emissiveColor = 0; // RGB
    uint32_t specularColor = 0; // RGB
    float shininess = 0.f;
    bool vertexColorTrackingEnabled = false;
};

struct M3G_Image2D : M3G_Object3D {
    uint8_t format = 0;
    bool isMutable = false;
    uint32_t width = 0;
    uint32_t height = 0;
    // Immutable images only: palette entries (bpp bytes each, at most 256;
    // empty for direct colour) and the pixels (index bytes with a palette).
    core::Vector<unsigned char> palette;
    core::Vector<unsigned char> pixels;
};

struct M3G_Texture2D : M3G_Transformable {
    uint32_t image = 0;
    uint32_t blendColor = 0; // RGB
    uint8_t blending = 0;
    uint8_t wrappingS = 0;
    uint8_t wrappingT = 0;
    uint8_t levelFilter = 0;
    uint8_t imageFilter = 0;
};

struct M3G_TriangleStripArray : M3G_Object3D {
    // Index encodings: implicit (consecutive indices from startIndex, stored
    // in 32, 8 or 16 bits) and explicit (the indices in 32, 8 or 16 bits).
    enum {
        IMPLICIT_INT32 = 0,
        IMPLICIT_BYTE = 1,
        IMPLICIT_UINT16 = 2,
        EXPLICIT_INT32 = 128,
        EXPLICIT_BYTE = 129,
        EXPLICIT_UINT16 = 130
    };
    uint8_t encoding = 0;
    uint32_t startIndex = 0; // implicit encodings
    core::Vector<unsigned short> indices; // explicit encodings
    core::Vector<uint32_t> stripLengths;
};

struct M3G_VertexArray : M3G_Object3D {
    enum { ENCODING_RAW = 0, ENCODING_DELTA = 1 };
    uint8_t componentSize = 0; // 1 bytes, 2 shorts
    uint8_t componentCount = 0;
    uint8_t encoding = ENCODING_RAW;
    uint16_t vertexCount = 0;
    // The values as they are after decoding (never delta-coded here), in
    // the vector of the component size.
    core::Vector<char> byteValues;
    core::Vector<short> shortValues;
};

struct M3G_TextureCoordinate {
    uint32_t texCoords = 0;
    float bias[3] = {0.f, 0.f, 0.f};
    float scale = 1.f;
};

struct M3G_VertexBuffer : M3G_Object3D {
    uint32_t defaultColor = 0xFFFFFFFFu; // RGBA
    uint32_t positions = 0;
    float positionBias[3] = {0.f, 0.f, 0.f};
    float positionScale = 1.f;
    uint32_t normals = 0;
    uint32_t colors = 0;
    core::Vector<M3G_TextureCoordinate> texCoords;
};

// ---- Animation and deformable meshes. ----

struct M3G_AnimationController : M3G_Object3D {
    float speed = 1.f;
    float weight = 1.f;
    int32_t activeIntervalStart = 0;
    int32_t activeIntervalEnd = 0;
    float referenceSequenceTime = 0.f;
    int32_t referenceWorldTime = 0;
};

struct M3G_AnimationTrack : M3G_Object3D {
    uint32_t keyframeSequence = 0;
    uint32_t animationController = 0;
    uint32_t propertyID = 0;
};

// The keyframes of encoding 0: per keyframe its time and componentCount floats.
struct M3G_Float32KeyframeSequence {
    core::Vector<uint32_t> times;
    core::Vector<float> values;
};

// The keyframes of encoding 1: per component a bias and a scale, per
// keyframe its time and componentCount bytes (value = byte / 255 * scale + bias).
struct M3G_ByteKeyframeSequence {
    core::Vector<float> bias;
    core::Vector<float> scale;
    core::Vector<uint32_t> times;
    core::Vector<unsigned char> values;
};

// The keyframes of encoding 2: as encoding 1 with 16-bit values (value =
// v / 65535 * scale + bias).
struct M3G_Uint16KeyframeSequence {
    core::Vector<float> bias;
    core::Vector<float> scale;
    core::Vector<uint32_t> times;
    core::Vector<uint16_t> values;
};

struct M3G_KeyframeSequence : M3G_Object3D {
    enum { ENCODING_FLOAT32 = 0, ENCODING_BYTE = 1, ENCODING_UINT16 = 2 };
    uint8_t interpolation = 0;
    uint8_t repeatMode = 0;
    uint8_t encoding = ENCODING_FLOAT32;
    uint32_t duration = 0;
    uint32_t validRangeFirst = 0;
    uint32_t validRangeLast = 0;
    uint32_t componentCount = 0;
    uint32_t keyframeCount = 0;
    // Only the array of the record's encoding holds values.
    M3G_Float32KeyframeSequence float32Keys;
    M3G_ByteKeyframeSequence byteKeys;
    M3G_Uint16KeyframeSequence uint16Keys;
};

struct M3G_MorphTarget {
    uint32_t morphTarget = 0; // a VertexBuffer
    float initialWeight = 0.f;
};

struct M3G_MorphingMesh : M3G_Mesh {
    core::Vector<M3G_MorphTarget> morphTargets;
};

struct M3G_TransformReference {
    uint32_t transformNode = 0; // a Node of the skeleton
    uint32_t firstVertex = 0;
    uint32_t vertexCount = 0;
    int32_t weight = 0;
};

struct M3G_SkinnedMesh : M3G_Mesh {
    uint32_t skeleton = 0; // a Group
    core::Vector<M3G_TransformReference> transformReferences;
};

} // namespace render
