#pragma once
// M3G_ObjectTable: the objects of one scene file in file order, indexed by
// their file index. Index 0 is the null reference and index 1 the header;
// both hold null. Every later record (object or external reference) adds
// one entry. Record readers resolve the indices they read through it: an
// object may only refer to objects before it. The table also notes which
// entries were referred to (the rest are the file's roots) and, per entry,
// the indices its record referred to (for listings).

#include <cstdint>

#include "core/Object.h"
#include "core/Ref.h"
#include "core/String.h"
#include "core/Vector.h"
#include "render/scene/Object3D.h"

namespace render {

class M3G_ObjectTable : public core::Object {
public:
    // An empty table; `streamName` names the file in error messages.
    explicit M3G_ObjectTable(const core::String& streamName);
    ~M3G_ObjectTable() noexcept(false) override;

    // Starts over with the null entry only.
    void reset();

    // Appends an entry for a record of object type `type` (null for the
    // header) holding the references noted since the previous add.
    void add(Object3D* object, int type);
    // Replaces the object of an existing entry (keeping its flags). Requires
    // 0 < index < size().
    void replace(uint32_t index, Object3D* object);

    int size() const { return m_objects.size(); }
    Object3D* get(int index) const { return m_objects[index].get(); }
    int getType(int index) const { return m_types[index]; }
    bool isReferenced(int index) const { return m_referenced[index]; }
    // The indices resolved by the record of entry `index`, in reading order.
    void getReferenceIndices(int index, core::Vector<uint32_t>& out) const;

    // The object at `index` as a T; null for index 0. Parse errors: an index
    // at or beyond the table ("Reference to unloaded object detected."), a
    // null entry ("... Reference is nil."), another class ("Referenced
    // object is not correct type."). With `markReferenced` the entry stops
    // being a root; the index is noted for the record being read either way.
    template <class T> T* resolve(uint32_t index, bool markReferenced = true)
    {
        Object3D* object = lookUp(index, markReferenced);
        if (!object)
            return nullptr;
        T* typed = dynamic_cast<T*>(object);
        if (!typed)
            fail("Referenced object is not correct type.");
        return typed;
    }

    // Logs "Parse error: ..." and throws IOException naming the file.
    [[noreturn]] void fail(const char* message) const;

private:
    // The entry at `index` (null for 0), checked as resolve describes.
    Object3D* lookUp(uint32_t index, bool markReferenced);

    core::String m_streamName;
    core::Vector<core::Ref<Object3D>> m_objects;
    core::Vector<uint8_t> m_types;
    core::Vector<bool> m_referenced;
    // The referenced indices of every entry, one run per entry: entry i's
    // run ends at m_referenceEnd[i] and starts where entry i - 1's ends.
    core::Vector<uint32_t> m_referenceIndices;
    core::Vector<int> m_referenceEnd;
};

} // namespace render
