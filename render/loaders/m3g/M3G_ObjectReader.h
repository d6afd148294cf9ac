#pragma once
// M3G_ObjectReader: turns one object record of a scene file into a scene
// object. Each record type is read field by field into its plain record
// (parse...), whose values are checked as they arrive, and the object is
// then built from the record (setToClass), with the object indices
// resolved through the file's object table. Every fault in the data is a
// parse error (IOException) with a sentence naming it; values are checked
// here before they reach a class setter, so a bad file never trips an
// assertion. Counts are checked against the bytes left in the record
// before anything is allocated for them.
//
// The readers are spread over files by family: M3G_ObjectReader.cpp (the
// dispatch and the parts every record shares), M3G_ObjectReader_Nodes.cpp,
// M3G_ObjectReader_Appearance.cpp, M3G_ObjectReader_Images.cpp and
// M3G_ObjectReader_Geometry.cpp.

#include <cstdint>

#include "core/DataIO.h"
#include "core/Ref.h"
#include "render/loaders/m3g/M3G_ObjectTable.h"
#include "render/loaders/m3g/M3G_Records.h"
#include "render/scene/Object3D.h"

namespace render {

class AnimationController;
class AnimationTrack;
class Appearance;
class Background;
class Camera;
class CompositingMode;
class Fog;
class Group;
class Image2D;
class IndexBuffer;
class KeyframeSequence;
class Light;
class Material;
class Mesh;
class MorphingMesh;
class Node;
class PolygonMode;
class SkinnedMesh;
class Texture2D;
class Transformable;
class TriangleStripArray;
class VertexArray;
class VertexBuffer;
class World;

class M3G_ObjectReader {
public:
    // A reader resolving references through `table`, which must outlive it.
    explicit M3G_ObjectReader(M3G_ObjectTable& table);

    // Reads the record of object type `type` from `in`, whose budget is
    // the record's length, and returns the new object. Types that have no
    // reader fail: Sprite3D with "No implementation yet.", anything else
    // with "Object type is not valid in object chunk.". Requires a
    // registered Graphics3D for nodes and textures.
    core::Ref<Object3D> read(int type, core::DataIO& in);

private:
    // ---- Shared parts (M3G_ObjectReader.cpp). ----
    void parseObject3D(core::DataIO& in, M3G_Object3D& record);
    void parseTransformable(core::DataIO& in, M3G_Transformable& record);
    void parseNode(core::DataIO& in, M3G_Node& record);
    void setToClass(const M3G_Object3D& record, Object3D& object);
    void setToClass(const M3G_Transformable& record, Transformable& object);
    void setToClass(const M3G_Node& record, Node& object);

    // ---- Nodes (M3G_ObjectReader_Nodes.cpp). ----
    void parseGroup(core::DataIO& in, M3G_Group& record);
    void parseWorld(core::DataIO& in, M3G_World& record);
    void parseCamera(core::DataIO& in, M3G_Camera& record);
    void parseLight(core::DataIO& in, M3G_Light& record);
    void parseMesh(core::DataIO& in, M3G_Mesh& record);
    // Adds the record's children to `group` after the node part.
    void setToClass(const M3G_Group& record, Group& group);
    core::Ref<Group> setToClass(const M3G_Group& record);
    core::Ref<World> setToClass(const M3G_World& record);
    core::Ref<Camera> setToClass(const M3G_Camera& record);
    core::Ref<Light> setToClass(const M3G_Light& record);
    core::Ref<Mesh> setToClass(const M3G_Mesh& record);
    // The vertex buffer, index buffers and appearances of a mesh record,
    // every index checked against the vertex count.
    void resolveMeshParts(const M3G_Mesh& record, VertexBuffer*& vertices,
                          core::Vector<core::Ref<IndexBuffer>>& indexBuffers,
                          core::Vector<core::Ref<Appearance>>& appearances);

    // ---- Appearance and its components (M3G_ObjectReader_Appearance.cpp). ----
    void parseAppearance(core::DataIO& in, M3G_Appearance& record);
    void parseBackground(core::DataIO& in, M3G_Background& record);
    void parseCompositingMode(core::DataIO& in, M3G_CompositingMode& record);
    void parseFog(core::DataIO& in, M3G_Fog& record);
    void parsePolygonMode(core::DataIO& in, M3G_PolygonMode& record);
    void parseMaterial(core::DataIO& in, M3G_Material& record);
    core::Ref<Appearance> setToClass(const M3G_Appearance& record);
    core::Ref<Background> setToClass(const M3G_Background& record);
    core::Ref<CompositingMode> setToClass(const M3G_CompositingMode& record);
    core::Ref<Fog> setToClass(const M3G_Fog& record);
    core::Ref<PolygonMode> setToClass(const M3G_PolygonMode& record);
    core::Ref<Material> setToClass(const M3G_Material& record);

    // ---- Images and textures (M3G_ObjectReader_Images.cpp). ----
    void parseImage2D(core::DataIO& in, M3G_Image2D& record);
    void parseTexture2D(core::DataIO& in, M3G_Texture2D& record);
    core::Ref<Image2D> setToClass(const M3G_Image2D& record);
    core::Ref<Texture2D> setToClass(const M3G_Texture2D& record);

    // ---- Vertex and index data (M3G_ObjectReader_Geometry.cpp). ----
    void parseVertexArray(core::DataIO& in, M3G_VertexArray& record);
    void parseVertexBuffer(core::DataIO& in, M3G_VertexBuffer& record);
    void parseTriangleStripArray(core::DataIO& in, M3G_TriangleStripArray& record);
    core::Ref<VertexArray> setToClass(const M3G_VertexArray& record);
    core::Ref<VertexBuffer> setToClass(const M3G_VertexBuffer& record);
    core::Ref<TriangleStripArray> setToClass(const M3G_TriangleStripArray& record);
    // The RGBA array that replaces the 3-component colour array at `index`
    // in the table (built once; later references find it in the table).
    VertexArray* widenColors(uint32_t index, VertexArray* colors);

    // ---- Animation and deformable meshes (M3G_ObjectReader_Animation.cpp). ----
    void parseAnimationController(core::DataIO& in, M3G_AnimationController& record);
    void parseAnimationTrack(core::DataIO& in, M3G_AnimationTrack& record);
    void parseKeyframeSequence(core::DataIO& in, M3G_KeyframeSequence& record);
    void parseMorphingMesh(core::DataIO& in, M3G_MorphingMesh& record);
    void parseSkinnedMesh(core::DataIO& in, M3G_SkinnedMesh& record);
    core::Ref<AnimationController> setToClass(const M3G_AnimationController& record);
    core::Ref<AnimationTrack> setToClass(const M3G_AnimationTrack& record);
    core::Ref<KeyframeSequence> setToClass(const M3G_KeyframeSequence& record);
    core::Ref<MorphingMesh> setToClass(const M3G_MorphingMesh& record);
    core::Ref<SkinnedMesh> setToClass(const M3G_SkinnedMesh& record);
    // Fails unless the array of the record's encoding alone holds values,
    // as many as the counts say.
    void checkKeyframeArrays(const M3G_KeyframeSequence& record) const;
    // The positions of a deformable mesh's vertex buffer as 16-bit values
    // (byte positions are widened in place: the values stay). Fails
    // without positions.
    VertexArray* deformablePositions(VertexBuffer* vertices, const char* className);
    // Fails when a track of `object` animates a property its class or the
    // track's component count does not fit.
    void checkAnimationTarget(const Object3D& object, const AnimationTrack& track);

    // ---- Helpers (M3G_ObjectReader.cpp). ----
    // A count of elements of at least `bytesPerElement` bytes each; fails
    // when they cannot fit in what is left of the record.
    uint32_t readCount(core::DataIO& in, uint32_t bytesPerElement, const char* what);
    // Colours as the engine packs them: RGB bytes to 0x00RRGGBB, RGBA bytes to 0xAARRGGBB.
    static uint32_t readColorRGB(core::DataIO& in);
    static uint32_t readColorRGBA(core::DataIO& in);
    // `count` indices (uint32 each) appended to `out`.
    static void readIndices(core::DataIO& in, uint32_t count, core::Vector<uint32_t>& out);
    // Logs "Parse warning: ..." and goes on.
    static void warn(const char* message);
    [[noreturn]] void fail(const char* message) const { m_table.fail(message); }
    // fail with a printf-formatted message.
    [[noreturn]] void failf(const char* format, ...) const __attribute__((format(printf, 2, 3)));

    M3G_ObjectTable& m_table;
};

} // namespace render
