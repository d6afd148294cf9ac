#include "render/Batcher.h"

#include <cmath>

#include "render/appearance/Appearance.h"
#include "render/BatcherItem.h"
#include "render/text/Font2DBitmap.h"
#include "render/Graphics3D.h"
#include "render/geometry/IndexBuffer.h"
#include "render/scene/Mesh.h"
#include "render/scene/Sprite3D.h"
#include "render/text/Text3D.h"
#include "render/appearance/Texture2D.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"

namespace render {

namespace {

constexpr int LINE_MESH_FLAGS = Graphics3D::CREATE_MESH_CREATE_COLOR_ARRAY | Graphics3D::CREATE_MESH_EMPTY;
constexpr int TRIANGLE_MESH_FLAGS =
    Graphics3D::CREATE_MESH_CREATE_COLOR_ARRAY | Graphics3D::CREATE_MESH_CREATE_NORMALS | Graphics3D::CREATE_MESH_EMPTY;
constexpr const char* TOO_MANY_ITEMS = "Batcher : too many items. Did you forget clear?";
// A unit normal towards +z, for items without normals in a batch with some.
constexpr short DEFAULT_NORMAL[3] = {0, 0, 32767};
constexpr int PACKED_MAX = 32767;

// The smallest right shift that brings every value of [low, high] into
// -32767..32767.
int shiftFor(int low, int high)
{
    int shift = 0;
    while ((high >> shift) > PACKED_MAX || (low >> shift) < -PACKED_MAX)
        ++shift;
    return shift;
}

} // namespace

Batcher::Batcher(bool depthWrite, bool depthTest)
{
    Graphics3D* g3d = Graphics3D::getInstance();
    ASSERT(g3d);
    m_mesh = g3d->createMesh(IndexBuffer::TRIANGLE_LIST, TRIANGLE_MESH_FLAGS);
    ASSERT(m_mesh);
    createAppearance(depthWrite, depthTest);
    ASSERT_MSG(m_mesh->getIndexBuffer(0)->getPrimitiveType() == IndexBuffer::TRIANGLE_LIST, " m_triangleListArray ");
    clear();
}

Batcher::Batcher(const Batcher& other) : Node(other)
{
    Graphics3D* g3d = Graphics3D::getInstance();
    ASSERT(g3d);
    if (other.isLineBatcher()) {
        m_mesh = g3d->createMesh(IndexBuffer::LINE_LIST, LINE_MESH_FLAGS);
        m_mesh->getVertexBuffer()->setTexCoords(0, nullptr, 1.f, nullptr);
    } else {
        m_mesh = g3d->createMesh(IndexBuffer::TRIANGLE_LIST, TRIANGLE_MESH_FLAGS);
    }
    ASSERT(m_mesh);
    m_appearance = other.m_appearance->duplicate();
    clear();
}

Batcher::~Batcher() noexcept(false) = default;

Batcher* Batcher::duplicate() const
{
    return VORNA3D_NEW Batcher(*this);
}

void Batcher::createAppearance(bool depthWrite, bool depthTest)
{
    m_appearance = Appearance::createOverlay(depthTest, depthWrite);
}

bool Batcher::isLineBatcher() const
{
    return m_mesh && m_mesh->getIndexBuffer(0)->getPrimitiveType() == IndexBuffer::LINE_LIST;
}

BatcherItem* Batcher::getItem(int id) const
{
    return m_objects[id].get();
}

bool Batcher::matches(Appearance* appearance, Texture2D* texture) const
{
    ASSERT_MSG(m_mesh, " m_mesh ");
    if (isLineBatcher())
        return false;
    if (isEmpty() || !m_texture)
        return true;
    return m_texture.get() == texture && m_itemAppearance.get() == appearance;
}

bool Batcher::hasRoom(int vertices, int indices) const
{
    // 16-bit indices: a batch has room for what it can still address.
    return m_vertexCount + vertices <= MAX_VERTICES && m_indexCount + indices <= MAX_INDICES;
}

bool Batcher::canIAddThisObject(Sprite3D* sprite)
{
    ASSERT(sprite);
    Texture2D* texture = sprite->getTexture();
    ASSERT(texture);
    return matches(sprite->getAppearance(), texture) && hasRoom(Sprite3D::VERTEX_COUNT, Sprite3D::INDEX_COUNT);
}

bool Batcher::canIAddThisObject(Text3D* text)
{
    ASSERT(text);
    Font2DBitmap* font2DBitmap = dynamic_cast<Font2DBitmap*>(text->getFont());
    ASSERT(font2DBitmap);
    Texture2D* texture = font2DBitmap->getTexture();
    Appearance* appearance = text->getAppearance();
    const int glyphs = text->getLength();
    return matches(appearance, texture) && hasRoom(glyphs * 4, glyphs * 6);
}

int Batcher::add(Sprite3D* sprite, const Transform* transform)
{
    ASSERT(sprite);
    ASSERT_MSG(matches(sprite->getAppearance(), sprite->getTexture()), "You can not add this sprite to this Batcher");
    return addNode(sprite, sprite->getAppearance(), sprite->getTexture(), Sprite3D::VERTEX_COUNT, Sprite3D::INDEX_COUNT,
                   transform, "can not add new item to batcher");
}

int Batcher::add(Text3D* text, const Transform* transform)
{
    ASSERT(text);
    Font2DBitmap* font = dynamic_cast<Font2DBitmap*>(text->getFont());
    ASSERT(font);
    ASSERT_MSG(matches(text->getAppearance(), font->getTexture()), "You can not add this text to this Batcher");
    const int glyphs = text->getLength();
    return addNode(text, text->getAppearance(), font->getTexture(), glyphs * 4, glyphs * 6, transform,
                   "can not add new item to batcher");
}

int Batcher::addNode(Node* node, Appearance* appearance, Texture2D* texture, int vertices, int indices,
                     const Transform* transform, const char* refusedText)
{
    ASSERT_MSG(hasRoom(vertices, indices), TOO_MANY_ITEMS);
    int id = -1;
    BatcherItem* item = getNewBatcherItem(&id);
    item->firstVertex = m_vertexCount;
    item->firstIndex = m_indexCount;
    bool filled = false;
    try {
        filled = node->renderNodeToBatcher(m_vertexCount, item, transform);
    } catch (...) {
        releaseItem(id);
        throw;
    }
    if (!filled) {
        releaseItem(id);
        ASSERT_MSG(false, refusedText);
    }
    // The node may have made fewer vertices than it asked room for, never more.
    ASSERT(item->getVertexCount() <= vertices && item->indices.size() <= indices);
    m_vertexCount += item->getVertexCount();
    m_indexCount += item->indices.size();
    m_dirty = true;
    ASSERT_MSG(m_mesh, " m_mesh ");
    setAppearanceAndTexture(appearance, texture);
    return id;
}

BatcherItem* Batcher::getNewBatcherItem(int* id)
{
    ASSERT_MSG(id, " ID ");
    ASSERT(m_emptyItemsInList >= 0);
    const int count = m_objects.size();
    if (m_emptyItemsInList > 0) {
        int index = m_nextFreeSearchIndex;
        for (int scanned = 0; scanned < count; ++scanned, ++index) {
            if (index >= count)
                index = 0;
            BatcherItem* item = m_objects[index].get();
            if (!item->empty)
                continue;
            item->empty = false;
            item->isNew = true;
            --m_emptyItemsInList;
            *id = index;
            m_nextFreeSearchIndex = index + 1;
            return item;
        }
        ASSERT_MSG(false, "Batcher : empty item count is wrong");
    }
    core::Ref<BatcherItem> item = VORNA3D_NEW BatcherItem();
    item->empty = false;
    item->isNew = true;
    m_objects.add(item);
    *id = m_objects.size() - 1;
    m_nextFreeSearchIndex = m_objects.size();
    return item.get();
}

void Batcher::releaseItem(int id)
{
    BatcherItem* item = m_objects[id].get();
    item->empty = true;
    item->isNew = false;
    ++m_emptyItemsInList;
    if (id < m_nextFreeSearchIndex)
        m_nextFreeSearchIndex = id;
}

void Batcher::setAppearanceAndTexture(Appearance* appearance, Texture2D* texture)
{
    ASSERT(texture);
    if (!m_texture) {
        m_texture = texture;
        m_itemAppearance = appearance;
        return;
    }
    ASSERT_MSG(m_texture.get() == texture && m_itemAppearance.get() == appearance, " 0 ");
}

bool Batcher::canAddLine() const
{
    if (!isLineBatcher())
        return isEmpty();
    return hasRoom(2, 2);
}

void Batcher::addLine(const slmath::vec3& from, const slmath::vec3& to, uint32_t color)
{
    ASSERT_MSG(m_mesh, " m_mesh ");
    ASSERT_MSG(m_mesh->getIndexBuffer(0), " ib ");
    if (!isLineBatcher()) {
        Graphics3D* g3d = Graphics3D::getInstance();
        ASSERT(g3d);
        ASSERT_MSG(isEmpty(), "You can not add lines because this Batcher is reserved");
        core::Ref<Mesh> lines = g3d->createMesh(IndexBuffer::LINE_LIST, LINE_MESH_FLAGS);
        ASSERT(lines);
        // Lines have no texture coordinates; an empty unit would not match
        // the positions' length.
        lines->getVertexBuffer()->setTexCoords(0, nullptr, 1.f, nullptr);
        m_mesh = lines;
        clear();
    }
    ASSERT_MSG(hasRoom(2, 2), TOO_MANY_ITEMS);
    const int fixed[6] = {BatcherItem::toFixed(from.x), BatcherItem::toFixed(from.y), BatcherItem::toFixed(from.z),
                          BatcherItem::toFixed(to.x),   BatcherItem::toFixed(to.y),   BatcherItem::toFixed(to.z)};
    int id = -1;
    BatcherItem* item = getNewBatcherItem(&id);
    ASSERT(item);
    item->setLineSizes(2, 2);
    item->textureCoordScale = 1.f;
    item->firstVertex = m_vertexCount;
    item->firstIndex = m_indexCount;
    for (int i = 0; i < 6; ++i)
        item->positionCoords[i] = fixed[i];
    const char rgba[4] = {char(color >> 24), char(color >> 16), char(color >> 8), char(color)};
    for (int i = 0; i < 8; ++i)
        item->colors[i] = rgba[i % 4];
    item->indices[0] = static_cast<unsigned short>(m_vertexCount);
    item->indices[1] = static_cast<unsigned short>(m_vertexCount + 1);
    m_vertexCount += 2;
    m_indexCount += 2;
    m_dirty = true;
}

void Batcher::clear()
{
    for (const core::Ref<BatcherItem>& item : m_objects) {
        if (item->empty)
            continue;
        item->empty = true;
        item->isNew = false;
        ++m_emptyItemsInList;
    }
    ASSERT(m_objects.size() == m_emptyItemsInList);
    m_texture = nullptr;
    m_itemAppearance = nullptr;
    m_positionShift = 0;
    m_nextFreeSearchIndex = 0;
    m_vertexCount = 0;
    m_indexCount = 0;
    m_mergedVertexCount = 0;
    m_mergedIndexCount = 0;
    m_meshHasNormals = false;
    m_dirty = false;
    refreshMeshData();
    sizeArrays(0, 0, false);
}

void Batcher::reserve(Sprite3D* sprite, int count)
{
    ASSERT(sprite);
    reserveItems(sprite->getAppearance(), count, Sprite3D::VERTEX_COUNT, Sprite3D::INDEX_COUNT);
}

void Batcher::reserve(Text3D* text, int count)
{
    ASSERT(text);
    const int glyphs = text->getLength();
    reserveItems(text->getAppearance(), count, glyphs * 4, glyphs * 6);
}

void Batcher::reserveItems(Appearance* appearance, int items, int vertices, int indices)
{
    ASSERT(items >= 0);
    const int64_t allVertices = int64_t(items) * vertices;
    const int64_t allIndices = int64_t(items) * indices;
    ASSERT(allVertices <= MAX_VERTICES && allIndices <= MAX_INDICES);
    m_objects.reserve(items);
    while (m_objects.size() < items) {
        m_objects.add(core::Ref<BatcherItem>(VORNA3D_NEW BatcherItem()));
        ++m_emptyItemsInList;
    }
    for (int i = 0; i < items; ++i)
        m_objects[i]->reserve(vertices, indices);
    // renderMesh lends the batch's texture to the first unit of this
    // appearance: the unit is made now, keeping what it holds.
    Appearance* lentTo = appearance ? appearance : m_appearance.get();
    lentTo->setTexture(0, lentTo->getTexture(0));

    const int v = static_cast<int>(allVertices);
    m_meshData.ib->getUnsignedShortDataArrayPtr()->reserve(static_cast<int>(allIndices));
    m_meshData.positions->getShortDataArrayPtr()->reserve(v * 3);
    if (m_meshData.texCoords)
        m_meshData.texCoords->getShortDataArrayPtr()->reserve(v * 2);
    if (m_meshData.colors)
        m_meshData.colors->getCharDataArrayPtr()->reserve(v * 4);
    if (m_meshData.normals)
        m_meshData.normals->getShortDataArrayPtr()->reserve(v * 3);
}

void Batcher::refreshMeshData()
{
    ASSERT_MSG(m_mesh, " m_mesh ");
    m_meshData.vb = m_mesh->getVertexBuffer();
    ASSERT_MSG(m_meshData.vb, " m_meshData.m_vb ");
    m_meshData.ib = m_mesh->getIndexBuffer(0);
    ASSERT_MSG(m_meshData.ib, " m_meshData.m_ib ");
    m_meshData.positions = m_meshData.vb->getPositions();
    ASSERT_MSG(m_meshData.positions, " m_meshData.m_vaP ");
    m_meshData.texCoords = m_meshData.vb->getTexCoordCount() > 0 ? m_meshData.vb->getTexCoords(0, nullptr) : nullptr;
    m_meshData.colors = m_meshData.vb->getColors();
    m_meshData.normals = m_meshData.vb->getNormals();
}

void Batcher::sizeArrays(int vertices, int indices, bool withNormals)
{
    m_meshData.ib->getUnsignedShortDataArrayPtr()->setSizeForNativeType(indices);
    m_meshData.positions->getShortDataArrayPtr()->setSizeForNativeType(vertices * 3);
    if (m_meshData.texCoords)
        m_meshData.texCoords->getShortDataArrayPtr()->setSizeForNativeType(vertices * 2);
    if (m_meshData.colors)
        m_meshData.colors->getCharDataArrayPtr()->setSizeForNativeType(vertices * 4);
    if (m_meshData.normals)
        m_meshData.normals->getShortDataArrayPtr()->setSizeForNativeType(withNormals ? vertices * 3 : 0);
}

void Batcher::updateMesh()
{
    ASSERT_MSG(m_mesh, " m_mesh ");
    if (!m_dirty)
        return;

    // First pass: what the new items need.
    int newIndices = 0;
    int low = 0;
    int high = 0;
    bool newNormals = false;
    for (const core::Ref<BatcherItem>& item : m_objects) {
        if (item->empty || !item->isNew)
            continue;
        newIndices += item->indices.size();
        for (int value : item->positionCoords) {
            low = value < low ? value : low;
            high = value > high ? value : high;
        }
        newNormals = newNormals || item->normals.size() > 0;
    }
    ASSERT_MSG(m_mergedIndexCount + newIndices < 65536, TOO_MANY_ITEMS);

    // Append while the new items fit the current shift and normals need no
    // filling in for earlier items; otherwise rewrite the whole batch.
    const int shift = shiftFor(low, high);
    const bool rewrite = m_mergedVertexCount == 0 || shift > m_positionShift || (newNormals && !m_meshHasNormals);
    if (rewrite) {
        // The shift only widens within a batch: what fitted still fits.
        m_positionShift = shift > m_positionShift ? shift : m_positionShift;
        m_meshHasNormals = false;
        for (const core::Ref<BatcherItem>& item : m_objects)
            if (!item->empty && item->normals.size() > 0)
                m_meshHasNormals = true;
    }
    sizeArrays(m_vertexCount, m_indexCount, m_meshHasNormals);

    // Second pass: write.
    float texScale = -1.f;
    for (const core::Ref<BatcherItem>& item : m_objects) {
        ASSERT_MSG(item, " obj ");
        if (item->empty || (!rewrite && !item->isNew))
            continue;
        item->isNew = false;
        if (item->indices.size() == 0)
            continue;
        writeItem(*item, m_meshHasNormals);
        texScale = item->textureCoordScale;
    }
    m_mergedVertexCount = m_vertexCount;
    m_mergedIndexCount = m_indexCount;

    // Undo the fixed point and the shift: 2^(shift - 5).
    const float positionScale = std::ldexp(1.f, m_positionShift - BatcherItem::POSITION_SHIFT);
    m_meshData.vb->setPositions(m_meshData.positions, positionScale, nullptr);
    if (texScale > 0.f && m_meshData.texCoords)
        m_meshData.vb->setTexScaleBias(0, texScale, nullptr);
    m_dirty = false;
}

void Batcher::writeItem(const BatcherItem& item, bool withNormals)
{
    ASSERT_MSG(item.textureCoords.size() > 0 || item.colors.size() > 0,
               " obj->textureCoords.size() > 0 || obj->colors.size() > 0 ");
    ASSERT_MSG(item.positionCoords.size() > 0, " obj->positionCoords.size() > 0 ");
    const int vertices = item.getVertexCount();
    ASSERT(item.firstVertex >= 0 && item.firstVertex + vertices <= m_vertexCount);
    ASSERT(item.firstIndex >= 0 && item.firstIndex + item.indices.size() <= m_indexCount);

    unsigned short* indPtr = m_meshData.ib->getPtr();
    ASSERT(indPtr);
    const unsigned short* objIndPtr = item.indices.data();
    ASSERT(objIndPtr);
    for (int i = 0; i < item.indices.size(); ++i)
        indPtr[item.firstIndex + i] = objIndPtr[i];

    short* posPtr = m_meshData.positions->getShortDataArrayPtr()->data();
    ASSERT(posPtr);
    const int* objPosCoodPtr = item.positionCoords.data();
    ASSERT(objPosCoodPtr);
    posPtr += item.firstVertex * 3;
    for (int i = 0; i < vertices * 3; ++i)
        posPtr[i] = static_cast<short>(objPosCoodPtr[i] >> m_positionShift);

    if (m_meshData.texCoords) {
        short* texPtr = m_meshData.texCoords->getShortDataArrayPtr()->data() + item.firstVertex * 2;
        const bool has = item.textureCoords.size() == vertices * 2;
        for (int i = 0; i < vertices * 2; ++i)
            texPtr[i] = has ? item.textureCoords[i] : 0;
    }
    if (m_meshData.colors) {
        char* colorPtr = m_meshData.colors->getCharDataArrayPtr()->data() + item.firstVertex * 4;
        const bool has = item.colors.size() == vertices * 4;
        for (int i = 0; i < vertices * 4; ++i)
            colorPtr[i] = has ? item.colors[i] : char(0xFF);
    }
    if (withNormals && m_meshData.normals) {
        core::Vector<short>& norVec = *m_meshData.normals->getShortDataArrayPtr();
        ASSERT(norVec.size() == m_meshData.positions->getShortDataArrayPtr()->size() || norVec.size() == 0);
        short* norPtr = norVec.data() + item.firstVertex * 3;
        const bool has = item.normals.size() == vertices * 3;
        for (int i = 0; i < vertices * 3; ++i)
            norPtr[i] = has ? item.normals[i] : DEFAULT_NORMAL[i % 3];
    }
}

void Batcher::renderMesh(Graphics3D* g3d, const Transform* transform, int flags)
{
    ASSERT_MSG(m_mesh, " m_mesh ");
    ASSERT(g3d);
    ASSERT(transform);
    if (isEmpty())
        return;
    const bool lighting = g3d->isLightingEnabled();
    Appearance* appearance = m_itemAppearance ? m_itemAppearance.get() : m_appearance.get();
    if (m_itemAppearance) {
        ASSERT(m_texture);
        if (!appearance->getMaterial())
            g3d->setLightingEnabled(false);
    } else {
        g3d->setLightingEnabled(false);
    }
    m_mesh->setAppearance(0, appearance);
    // The batch lends its texture to the appearance for the draw.
    core::Ref<Texture2D> previous = appearance->getTexture(0);
    appearance->setTexture(0, m_texture.get());
    try {
        g3d->render(flags, m_mesh.get(), *transform);
    } catch (...) {
        appearance->setTexture(0, previous.get());
        g3d->setLightingEnabled(lighting);
        throw;
    }
    appearance->setTexture(0, previous.get());
    g3d->setLightingEnabled(lighting);
}

void Batcher::render(Graphics3D* g3d, const Transform* transform, int flags)
{
    updateMesh();
    renderMesh(g3d, transform, flags);
}

bool Batcher::handlePick(int scope, float ox, float oy, float oz, float dx, float dy, float dz, RayIntersection* ri,
                         const Transform* parentTransform, int pickFlags, float* minDistance)
{
    ASSERT_MSG(m_mesh, " m_mesh ");
    updateMesh();
    return m_mesh->handlePick(scope, ox, oy, oz, dx, dy, dz, ri, parentTransform, pickFlags, minDistance);
}

} // namespace render
