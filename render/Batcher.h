#pragma once
// Batcher: a node that collects many small pieces of geometry (sprites,
// texts, debug lines) into one dynamic mesh, so that a whole batch with one
// texture and one appearance is drawn with a single draw call.
//
// Each add() takes a BatcherItem (reusing a free one when it can), lets the
// node write its vertices into it at the batch's current vertex count, and
// remembers the batch's texture and appearance: later objects are accepted
// only with the same pair (canIAddThisObject). Rendering the batcher first
// merges the items added since the last merge into the mesh arrays
// (updateMesh), then draws the mesh once (renderMesh).
//
// Positions arrive as fixed point (x 32) and are packed to 16 bits with a
// power-of-two shift shared by the whole batch: the smallest right shift
// that brings every value into -32767..32767. The vertex buffer's position
// scale, 2^(shift - 5), undoes both. New items are appended to the arrays
// while they fit the current shift; an item that needs a wider shift makes
// the whole batch be rewritten with it.
//
// A batch holds at most 65535 vertices and 65535 indices (16-bit indices):
// a full batcher refuses further objects, so the renderer takes another
// dynamic buffer or flushes. A batcher that received a line becomes a line
// batcher for good: it then takes lines only.
//
// Items, their vectors and the mesh arrays keep their storage through
// clear(): once a batcher has reached its working size it allocates nothing.

#include <cstdint>

#include "core/Ref.h"
#include "core/Vector.h"
#include "render/scene/Node.h"
#include "slmath/slmath.h"

namespace render {

class Appearance;
class BatcherItem;
class IndexBuffer;
class Mesh;
class Sprite3D;
class Text3D;
class Texture2D;
class VertexArray;
class VertexBuffer;

class Batcher : public Node {
public:
    // Colour of lines added without one: opaque yellow. Batch colours are
    // 0xRRGGBBAA, as sprites and texts give them.
    static constexpr uint32_t LINE_COLOR = 0xFFFF00FFu;
    // The limits of one batch: 16-bit vertex indices.
    static constexpr int MAX_VERTICES = 65535;
    static constexpr int MAX_INDICES = 65535;

    // A batcher with an empty triangle-list mesh (positions, texture
    // coordinates, colours, normals) and its own appearance for batches
    // whose items bring none: no culling, alpha blending, the given depth
    // writes and depth test. Requires a registered Graphics3D (" g3d ").
    Batcher(bool depthWrite, bool depthTest);
    ~Batcher() noexcept(false) override;

    // A new, empty batcher of the same kind (triangles or lines) with a copy
    // of this one's own appearance.
    Batcher* duplicate() const override;

    // Whether the object can join this batch: the batch is empty, or holds
    // the object's texture and appearance and has room for it. A line
    // batcher refuses. Asserts "Sprite3D getTexture failed. Sprite3D does
    // not have a texture" / "Text3D does not have a font" and, for a text
    // whose font is not a bitmap font, " font2DBitmap ".
    bool canIAddThisObject(Sprite3D* sprite);
    bool canIAddThisObject(Text3D* text);

    // Adds the sprite or text placed by the world transform `transform` and
    // returns the item's id. Asserts "You can not add this sprite to this
    // Batcher" / "You can not add this text to this Batcher" for a line
    // batcher or a batch of another texture or appearance, and "Batcher :
    // too many items. Did you forget clear?" when the batch has no room
    // left. A node that fails to fill its item leaves the batch as it was.
    int add(Sprite3D* sprite, const Transform* transform);
    int add(Text3D* text, const Transform* transform);

    // Adds a line from `from` to `to` (world coordinates) in `color`
    // (0xRRGGBBAA). The first line turns an idle batcher into a line
    // batcher; a batcher holding sprites or texts asserts "You can not add
    // lines because this Batcher is reserved". A full batch asserts
    // "Batcher : too many items. Did you forget clear?"; coordinates beyond
    // the fixed-point range assert "Batcher : position out of range".
    void addLine(const slmath::vec3& from, const slmath::vec3& to, uint32_t color = LINE_COLOR);
    // Whether addLine would succeed: a line batcher with room, or an idle batcher.
    bool canAddLine() const;
    bool isLineBatcher() const;

    // Frees every item (keeping it for reuse), forgets the batch's texture
    // and appearance and empties the mesh arrays (keeping their storage).
    void clear();
    // Makes room for `count` objects like `sprite` (or like `text`, at its
    // current length): the items and their vectors, the mesh arrays of a
    // batch of all of them, and the texture unit of the appearance the
    // batch's texture is lent to when drawn (the object's, else the
    // batcher's own), so that a batch filled that far allocates nothing.
    // The items are added free; what the batch holds stays. Requires
    // count >= 0 and such a batch within MAX_VERTICES and MAX_INDICES.
    void reserve(Sprite3D* sprite, int count);
    void reserve(Text3D* text, int count);

    // Merges the items added since the last merge into the mesh (see the
    // class comment). Asserts "Batcher : too many items. Did you forget
    // clear?" when the merged batch would reach 65536 indices.
    void updateMesh();
    // Draws the mesh once with the batch's appearance (or the batcher's own)
    // and texture, placed by `transform`; unlit unless the appearance has a
    // material. Nothing happens for an empty batch. Requires g3d (" g3d ").
    void renderMesh(Graphics3D* g3d, const Transform* transform, int flags);

    // updateMesh, then renderMesh.
    void render(Graphics3D* g3d, const Transform* transform, int flags) override;
    // Picks the batch's mesh (see Mesh::handlePick).
    bool handlePick(int scope, float ox, float oy, float oz, float dx, float dy, float dz, RayIntersection* ri,
                    const Transform* parentTransform, int pickFlags, float* minDistance) override;

    // ---- Inspection. ----
    Mesh* getMesh() const { return m_mesh.get(); }
    // Items ever created (free ones included) and items in use.
    int getItemCount() const { return m_objects.size(); }
    int getLiveItemCount() const { return m_objects.size() - m_emptyItemsInList; }
    bool isEmpty() const { return getLiveItemCount() == 0; }
    // Item `id` (as returned by add). Requires 0 <= id < getItemCount().
    BatcherItem* getItem(int id) const;
    // Vertices and indices handed out since the last clear.
    int getVertexCount() const { return m_vertexCount; }
    int getIndexCount() const { return m_indexCount; }
    // The shift of the merged positions (0 for an empty batch).
    int getPositionShift() const { return m_positionShift; }
    // Whether items were added since the last merge.
    bool isDirty() const { return m_dirty; }
    // The batch's texture and appearance (null for an empty batch), and the
    // batcher's own appearance.
    Texture2D* getTexture() const { return m_texture.get(); }
    Appearance* getItemAppearance() const { return m_itemAppearance.get(); }
    Appearance* getAppearance() const { return m_appearance.get(); }

protected:
    Batcher(const Batcher& other);

private:
    // Raw views of the mesh's arrays (owned by m_mesh).
    struct MeshData {
        VertexBuffer* vb = nullptr;
        IndexBuffer* ib = nullptr;
        VertexArray* positions = nullptr;
        VertexArray* texCoords = nullptr;
        VertexArray* colors = nullptr;
        VertexArray* normals = nullptr;
    };

    // Whether an object of this texture and appearance may join the batch
    // (not a line batcher; empty, or the same pair).
    bool matches(Appearance* appearance, Texture2D* texture) const;
    // Whether `vertices` more vertices and `indices` more indices fit.
    bool hasRoom(int vertices, int indices) const;
    // The shared part of both add()s.
    int addNode(Node* node, Appearance* appearance, Texture2D* texture, int vertices, int indices,
                const Transform* transform, const char* refusedText);
    // The shared part of both reserve()s: `items` items of `vertices`
    // vertices and `indices` indices, drawn with `appearance` (null: the
    // batcher's own).
    void reserveItems(Appearance* appearance, int items, int vertices, int indices);
    // A free item (or a new one), marked in use and new; its index in *id.
    BatcherItem* getNewBatcherItem(int* id);
    // Puts item `id`, taken but not filled, back on the free list.
    void releaseItem(int id);
    void setAppearanceAndTexture(Appearance* appearance, Texture2D* texture);
    // Builds the batcher's own appearance.
    void createAppearance(bool depthWrite, bool depthTest);
    // Reads the array views from m_mesh.
    void refreshMeshData();
    // Sets every mesh array to hold `vertices` vertices and the index array
    // `indices` indices; the normal array holds none unless `withNormals`.
    void sizeArrays(int vertices, int indices, bool withNormals);
    // Writes one item into the mesh arrays at its own offsets.
    void writeItem(const BatcherItem& item, bool withNormals);

    MeshData m_meshData;
    core::Vector<core::Ref<BatcherItem>> m_objects;
    core::Ref<Texture2D> m_texture;
    core::Ref<Appearance> m_itemAppearance;
    core::Ref<Appearance> m_appearance;
    core::Ref<Mesh> m_mesh;
    int32_t m_positionShift = 0;
    int32_t m_emptyItemsInList = 0;
    int32_t m_nextFreeSearchIndex = 0;
    int32_t m_vertexCount = 0;
    int32_t m_indexCount = 0;
    // Vertices and indices already merged into the mesh arrays.
    int32_t m_mergedVertexCount = 0;
    int32_t m_mergedIndexCount = 0;
    bool m_meshHasNormals = false;
    bool m_dirty = false;
};

} // namespace render
