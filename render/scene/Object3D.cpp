#include "render/scene/Object3D.h"

#include <cinttypes>
#include <cstring>

#include "core/Debug.h"
#include "render/animation/AnimationTrack.h"
#include "render/scene/Object3D_References.h"

namespace render {

Object3D::Object3D() = default;

Object3D::Object3D(const Object3D& other) : core::Object(), m_userObject(other.m_userObject)
{
    setUserID(other.getUserID());
    // The name needs no copying: it lives in the user-parameter table, which
    // both objects now share. Tracks are not shared: each gets its own copy.
    m_animationTracks.reserve(other.m_animationTracks.size());
    for (const core::Ref<AnimationTrack>& track : other.m_animationTracks)
        m_animationTracks.add(core::Ref<AnimationTrack>(track->duplicate()));
}

Object3D::~Object3D() noexcept(false) = default;

int Object3D::getReferences(core::Vector<Object3D*>* refs)
{
    return getRefsObject3D(this, refs);
}

int Object3D::getUserID() const
{
    core::Debug::printf(core::DEBUG_LEVEL_RENDER, "Object3D: getUserID = %d\n", m_userID);
    return m_userID;
}

void Object3D::setUserID(int id)
{
    core::Debug::printf(core::DEBUG_LEVEL_RENDER, "Object3D: setUserID = %d (old id = %d)\n", id, m_userID);
    m_userID = id;
}

Object3D::UserParameterTable* Object3D::getUserParameters() const
{
    return dynamic_cast<UserParameterTable*>(m_userObject.get());
}

void Object3D::setName(const core::String& name)
{
    // The name's 8-bit characters and a terminating zero.
    const char* text = name.getASCII();
    setUserParameter(NAME_PARAMETER_ID, text, static_cast<int>(std::strlen(text)) + 1);
}

core::String Object3D::getName() const
{
    core::String name;
    const core::Vector<char>* bytes = getUserParameter(NAME_PARAMETER_ID);
    // The stored bytes need not end in a zero (a file's user parameter may
    // not): the precision bounds the read to the array.
    if (bytes && bytes->size() > 0)
        name.format("%.*s", bytes->size(), bytes->data());
    return name;
}

void Object3D::setUserParameter(int id, const void* data, int length)
{
    ASSERT(length >= 0);
    ASSERT(data || length == 0);
    UserParameterTable* table = getUserParameters();
    ASSERT_MSG(!m_userObject || table, "User object not a type \"core::HashTable<int, core::Vector<char> >\"");

    // Everything that can fail is done before the object changes.
    core::Vector<char> bytes;
    bytes.setSizeForNativeType(length);
    if (length > 0)
        std::memcpy(bytes.data(), data, static_cast<size_t>(length));
    core::Ref<UserParameterTable> created;
    if (!table) {
        created = VORNA3D_NEW UserParameterTable(1, 0.75f);
        table = created.get();
    }
    if (core::Vector<char>* value = table->find(id))
        *value = bytes;
    else
        table->put(id, bytes);
    if (created)
        m_userObject = created;
}

const core::Vector<char>* Object3D::getUserParameter(int id) const
{
    const UserParameterTable* table = getUserParameters();
    return table ? table->find(id) : nullptr;
}

void Object3D::addAnimationTrack(AnimationTrack* animationTrack)
{
    core::Debug::printf(core::DEBUG_LEVEL_RENDER, "Object3D: addAnimationTrack = 0x%" PRIXPTR "\n",
                        reinterpret_cast<uintptr_t>(animationTrack));
    ASSERT(animationTrack);
    m_animationTracks.add(core::Ref<AnimationTrack>(animationTrack));
}

AnimationTrack* Object3D::getAnimationTrack(int index) const
{
    core::Debug::printf(core::DEBUG_LEVEL_RENDER, "Object3D: getAnimationTrack (%d)\n", index);
    ASSERT(index >= 0);
    ASSERT(index < getAnimationTrackCount());
    return m_animationTracks[index].get();
}

} // namespace render
