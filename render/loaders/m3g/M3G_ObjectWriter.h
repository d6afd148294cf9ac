#pragma once
// M3G_ObjectWriter: turns one scene object into the data of its object
// record, the inverse of M3G_ObjectReader. The object's fields are copied
// into the plain record of its type (setToStruct), with the objects it
// refers to replaced by their indices in the file being written, and the
// record is written field by field (save...). Values a file cannot hold
// are refused with a parse error naming them; engine-only values are
// mapped to their nearest file form (see the class notes in the sources).
//
// The writers are spread over files by family like the readers:
// M3G_ObjectWriter.cpp (dispatch, shared parts), M3G_ObjectWriter_Nodes.cpp,
// M3G_ObjectWriter_Appearance.cpp, M3G_ObjectWriter_Images.cpp,
// M3G_ObjectWriter_Geometry.cpp and M3G_ObjectWriter_Animation.cpp.

#include <cstdint>

#include "core/DataIO.h"
#include "core/HashTable.h"
#include "core/String.h"
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
class TriangleListArray;
class TriangleStripArray;
class VertexArray;
class VertexBuffer;
class World;

class M3G_ObjectWriter {
public:
    // File indices of the objects written so far, keyed by address.
    using IndexTable = core::HashTable<uintptr_t, uint32_t>;

    // A writer looking indices up in `indices` (which must outlive it);
    // `streamName` names the output in errors. With `deltaEncode`, vertex
    // arrays are written delta-coded.
    M3G_ObjectWriter(const IndexTable& indices, const core::String& streamName, bool deltaEncode);

    // Writes the record data of `object` to `out` and returns its object
    // type. Fails for a class without a record ("Object type X can not be
    // written.") and for values a file cannot hold.
    int write(Object3D* object, core::DataIO& out);

private:
    // ---- Shared parts (M3G_ObjectWriter.cpp). ----
    void setToStruct(Object3D& object, M3G_Object3D& record);
    void setToStruct(Transformable& object, M3G_Transformable& record);
    void setToStruct(Node& object, M3G_Node& record);
    static void saveObject3D(const M3G_Object3D& record, core::DataIO& out);
    static void saveTransformable(const M3G_Transformable& record, core::DataIO& out);
    static void saveNode(const M3G_Node& record, core::DataIO& out);

    // ---- Nodes (M3G_ObjectWriter_Nodes.cpp). ----
    void setToStruct(Group& group, M3G_Group& record);
    void setToStruct(World& world, M3G_World& record);
    void setToStruct(Camera& camera, M3G_Camera& record);
    void setToStruct(Light& light, M3G_Light& record);
    void setToStruct(Mesh& mesh, M3G_Mesh& record);
    static void saveGroup(const M3G_Group& record, core::DataIO& out);
    static void saveWorld(const M3G_World& record, core::DataIO& out);
    static void saveCamera(const M3G_Camera& record, core::DataIO& out);
    static void saveLight(const M3G_Light& record, core::DataIO& out);
    static void saveMesh(const M3G_Mesh& record, core::DataIO& out);

    // ---- Appearance and its components (M3G_ObjectWriter_Appearance.cpp). ----
    void setToStruct(Appearance& appearance, M3G_Appearance& record);
    void setToStruct(Background& background, M3G_Background& record);
    void setToStruct(CompositingMode& mode, M3G_CompositingMode& record);
    void setToStruct(Fog& fog, M3G_Fog& record);
    void setToStruct(PolygonMode& mode, M3G_PolygonMode& record);
    void setToStruct(Material& material, M3G_Material& record);
    static void saveAppearance(const M3G_Appearance& record, core::DataIO& out);
    static void saveBackground(const M3G_Background& record, core::DataIO& out);
    static void saveCompositingMode(const M3G_CompositingMode& record, core::DataIO& out);
    static void saveFog(const M3G_Fog& record, core::DataIO& out);
    static void savePolygonMode(const M3G_PolygonMode& record, core::DataIO& out);
    static void saveMaterial(const M3G_Material& record, core::DataIO& out);

    // ---- Images and textures (M3G_ObjectWriter_Images.cpp). ----
    void setToStruct(Image2D& image, M3G_Image2D& record);
    void setToStruct(Texture2D& texture, M3G_Texture2D& record);
    static void saveImage2D(const M3G_Image2D& record, core::DataIO& out);
    static void saveTexture2D(const M3G_Texture2D& record, core::DataIO& out);

    // ---- Vertex and index data (M3G_ObjectWriter_Geometry.cpp). ----
    void setToStruct(VertexArray& array, M3G_VertexArray& record);
    void setToStruct(VertexBuffer& buffer, M3G_VertexBuffer& record);
    void setToStruct(TriangleStripArray& strips, M3G_TriangleStripArray& record);
    void setToStruct(TriangleListArray& triangles, M3G_TriangleStripArray& record);
    // Chooses the index encoding of a strip record whose indices are set:
    // implicit for consecutive indices, else the narrowest explicit one.
    static void chooseEncoding(M3G_TriangleStripArray& record);
    static void saveVertexArray(const M3G_VertexArray& record, core::DataIO& out);
    static void saveVertexBuffer(const M3G_VertexBuffer& record, core::DataIO& out);
    static void saveTriangleStripArray(const M3G_TriangleStripArray& record, core::DataIO& out);
    // A triangle list goes to the file as strips of one triangle each.
    static void saveTriangleListArray(const M3G_TriangleStripArray& record, core::DataIO& out);

    // ---- Animation and deformable meshes (M3G_ObjectWriter_Animation.cpp). ----
    void setToStruct(AnimationController& controller, M3G_AnimationController& record);
    void setToStruct(AnimationTrack& track, M3G_AnimationTrack& record);
    void setToStruct(KeyframeSequence& sequence, M3G_KeyframeSequence& record);
    void setToStruct(MorphingMesh& mesh, M3G_MorphingMesh& record);
    void setToStruct(SkinnedMesh& mesh, M3G_SkinnedMesh& record);
    static void saveAnimationController(const M3G_AnimationController& record, core::DataIO& out);
    static void saveAnimationTrack(const M3G_AnimationTrack& record, core::DataIO& out);
    static void saveKeyframeSequence(const M3G_KeyframeSequence& record, core::DataIO& out);
    static void saveMorphingMesh(const M3G_MorphingMesh& record, core::DataIO& out);
    static void saveSkinnedMesh(const M3G_SkinnedMesh& record, core::DataIO& out);

    // ---- Helpers (M3G_ObjectWriter.cpp). ----
    // The file index of `object`; 0 for null. Fails with "Object reference
    // 0x%X not yet added to index table." for an object not written yet.
    uint32_t indexOf(const Object3D* object) const;
    static void saveColorRGB(uint32_t rgb, core::DataIO& out);
    static void saveColorRGBA(uint32_t argb, core::DataIO& out);
    static void saveIndices(const core::Vector<uint32_t>& indices, core::DataIO& out);
    static void warn(const char* message);
    [[noreturn]] void fail(const char* message) const;

    const IndexTable& m_indices;
    core::String m_streamName;
    bool m_deltaEncode;
};

} // namespace render
