#include "render/loaders/m3g/M3G_ObjectTable.h"

#include "render/loaders/Loader.h"

namespace render {

M3G_ObjectTable::M3G_ObjectTable(const core::String& streamName) : m_streamName(streamName)
{
    reset();
}

M3G_ObjectTable::~M3G_ObjectTable() noexcept(false) = default;

void M3G_ObjectTable::reset()
{
    m_objects.clear();
    m_types.clear();
    m_referenced.clear();
    m_referenceIndices.clear();
    m_referenceEnd.clear();
    // Index 0: the null reference.
    m_objects.add(core::Ref<Object3D>());
    m_types.add(0);
    m_referenced.add(false);
    m_referenceEnd.add(0);
}

void M3G_ObjectTable::add(Object3D* object, int type)
{
    // The references noted since the last entry belong to this one.
    m_referenceEnd.add(m_referenceIndices.size());
    m_objects.add(core::Ref<Object3D>(object));
    m_types.add(static_cast<uint8_t>(type));
    m_referenced.add(false);
}

void M3G_ObjectTable::replace(uint32_t index, Object3D* object)
{
    ASSERT(index > 0 && index < static_cast<uint32_t>(m_objects.size()));
    m_objects[static_cast<int>(index)] = object;
}

void M3G_ObjectTable::getReferenceIndices(int index, core::Vector<uint32_t>& out) const
{
    ASSERT(index >= 0 && index < m_objects.size());
    out.clear();
    // Entry i's references were noted while its record was read, after
    // entry i - 1 was added and before entry i was.
    const int first = index > 0 ? m_referenceEnd[index - 1] : 0;
    const int last = m_referenceEnd[index];
    for (int i = first; i < last; ++i)
        out.add(m_referenceIndices[i]);
}

Object3D* M3G_ObjectTable::lookUp(uint32_t index, bool markReferenced)
{
    if (index == 0)
        return nullptr;
    // Compared unsigned: a huge index from the file never turns negative.
    if (index >= static_cast<uint32_t>(m_objects.size()))
        fail("Reference to unloaded object detected.");
    const int i = static_cast<int>(index);
    if (!m_objects[i])
        fail("Reference to unloaded object detected. Reference is nil.");
    m_referenceIndices.add(index);
    if (markReferenced)
        m_referenced[i] = true;
    return m_objects[i].get();
}

void M3G_ObjectTable::fail(const char* message) const
{
    throwParseError(m_streamName, message);
}

} // namespace render
