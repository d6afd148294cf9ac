#pragma once
// Object3D: the root of every scene-graph and scene-data class. Each object
// carries a user ID, a table of user parameters (the name is parameter 1),
// the animation tracks bound to it, and the reference walk that lists the
// objects it points to (see Object3D_References.h).

#include <cstdint>

#include "core/HashTable.h"
#include "core/Object.h"
#include "core/Ref.h"
#include "core/String.h"
#include "core/Vector.h"

namespace render {

class AnimationTrack;

class Object3D : public core::Object {
public:
    // The user-parameter table: parameter ID to the parameter's bytes.
    using UserParameterTable = core::HashTable<int, core::Vector<char>>;
    // The parameter under which the name is kept, as its bytes and a terminating zero.
    static constexpr int NAME_PARAMETER_ID = 1;

    ~Object3D() noexcept(false) override;

    // Animates this object at `worldTime` (milliseconds) and then every
    // object it references (getReferences), so that animating a World
    // animates the graph below it; an object reached along two paths is
    // animated twice with the same result. The tracks are taken in list
    // order; the tracks of one target property form a group whose values
    // are blended: each track's controller maps worldTime to its sequence
    // time and gives its weight, the sequence gives the value there, and
    // the property receives the weighted sum (weights are not normalised)
    // through applyAnimatedValue. Returns 0.
    // Asserts "AnimationController not set to AnimationTrack.",
    // "KeyframeSequence not set to AnimationTrack.", "Component count too
    // big in KeyFrameSequence" (a group whose sequences differ in component
    // count), and whatever the sequence evaluation and the property setter
    // assert; the groups written before a failure stay written.
    virtual int animate(int worldTime);

    // A new object of the same class: it shares this object's user-parameter
    // table, copies the user ID and holds copies of the animation tracks; the
    // class fields are copied as each class describes. The result has no
    // references yet: the caller holds it in a Ref.
    virtual Object3D* duplicate() const = 0;

    // Appends each non-null object this object references (its animation
    // tracks, then the class's own references) to `refs` when it is given,
    // and returns how many there are. One level deep.
    virtual int getReferences(core::Vector<Object3D*>* refs);

    // The user ID; logs "Object3D: getUserID = %d\n" (renderer class).
    int getUserID() const;
    // Sets the user ID; logs "Object3D: setUserID = %d (old id = %d)\n" (renderer class).
    void setUserID(int id);

    // Stores `name` as user parameter 1. Creates the user-parameter table
    // when there is no user object; asserts "User object not a type
    // \"core::HashTable<int, core::Vector<char> >\"" when the user object is
    // something else (nothing changes then).
    void setName(const core::String& name);
    // The name kept as user parameter 1, read up to its first zero byte and
    // never past the stored bytes; empty when there is no such parameter.
    core::String getName() const;

    // Stores `length` bytes from `data` as user parameter `id` (replacing an
    // earlier value), creating the table as setName does. Requires
    // length >= 0 and data unless length is 0; asserts like setName.
    void setUserParameter(int id, const void* data, int length);
    // The bytes of user parameter `id`, or null when there is none. Valid
    // until the parameter is replaced.
    const core::Vector<char>* getUserParameter(int id) const;
    // The user-parameter table, or null when the user object is missing or
    // is not such a table.
    UserParameterTable* getUserParameters() const;

    // The user object, shared by duplicates: normally the user-parameter
    // table. The M3G reader installs a ready table here.
    const core::Ref<core::Object>& getUserObject() const { return m_userObject; }
    void setUserObject(const core::Ref<core::Object>& userObject) { m_userObject = userObject; }

    // Appends `animationTrack` (the same track may be added more than once);
    // logs "Object3D: addAnimationTrack = 0x%X\n" with its address. Requires
    // a track (" animationTrack ").
    void addAnimationTrack(AnimationTrack* animationTrack);
    // The track at `index`; logs "Object3D: getAnimationTrack (%d)\n".
    // Requires 0 <= index < getAnimationTrackCount().
    AnimationTrack* getAnimationTrack(int index) const;
    int getAnimationTrackCount() const { return m_animationTracks.size(); }

    // The URI through which a scene file referred to this object when it was
    // loaded (an image file or another scene file, relative to the referring
    // file's folder); empty for an object made any other way. The scene
    // writer writes such an object back as the same reference, not as a copy.
    // A duplicate does not inherit it.
    const core::String& getExternalReference() const { return m_externalReference; }
    void setExternalReference(const core::String& uri) { m_externalReference = uri; }

protected:
    Object3D();
    // The part of duplication common to every class: shares the user
    // object, copies the user ID and duplicates each animation track.
    Object3D(const Object3D& other);
    Object3D& operator=(const Object3D&) = delete;

    // Evaluates and applies this object's own tracks (the first part of animate).
    void applyAnimationTracks(int worldTime);
    // Animates every object getReferences lists (the second part of animate).
    void animateReferences(int worldTime);

private:
    // The user-parameter table, created when there is no user object.
    // Asserts when the user object is of another class.
    UserParameterTable* prepareUserParameters();

    core::Ref<core::Object> m_userObject;
    core::Vector<core::Ref<AnimationTrack>> m_animationTracks;
    // The references animate walks, kept so that animating every frame
    // reuses the storage instead of allocating it again.
    core::Vector<Object3D*> m_animationReferences;
    core::String m_externalReference;
    int32_t m_userID = 0;
};

} // namespace render
