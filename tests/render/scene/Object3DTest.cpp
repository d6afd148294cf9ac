// Object3D: user ID and its log lines, user parameters and the name,
// animation tracks, duplication and the reference walk.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/Debug.h"
#include "core/HashTable.h"
#include "core/Ref.h"
#include "core/String.h"
#include "core/Vector.h"
#include "render/animation/AnimationTrack.h"
#include "render/animation/KeyframeSequence.h"
#include "render/scene/Object3D.h"
#include "render/scene/Object3D_References.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using core::Ref;
using core::String;
using render::AnimationTrack;
using render::Object3D;
using render::VertexArray;
using render::VertexBuffer;
using render_test::failsWith;

namespace {

class Object3DTest : public testing_support::EngineTest { };

std::string nameOf(const Object3D& obj)
{
    return obj.getName().getASCII();
}

// A track of a one-keyframe translation sequence: an Object3D of a concrete
// class for the tests of the common parts.
Ref<AnimationTrack> newTrack()
{
    Ref<render::KeyframeSequence> sequence =
        VORNA3D_NEW render::KeyframeSequence(1, 3, render::KeyframeSequence::LINEAR);
    return Ref<AnimationTrack>(VORNA3D_NEW AnimationTrack(sequence.get(), AnimationTrack::TRANSLATION));
}

} // namespace

TEST_F(Object3DTest, UserIdAndItsLogLines)
{
    Ref<AnimationTrack> obj = newTrack();
    EXPECT_EQ(obj->getUserID(), 0);
    EXPECT_FALSE(obj->getUserObject());
    EXPECT_EQ(obj->getAnimationTrackCount(), 0);
    EXPECT_EQ(nameOf(*obj), "");

    core::Debug::setDebugLevel(core::DEBUG_LEVEL_RENDER);
    testing_support::LogCapture log;
    obj->setUserID(42);
    obj->setUserID(-7);
    EXPECT_EQ(obj->getUserID(), -7);
    EXPECT_EQ(log.text(),
              "Object3D: setUserID = 42 (old id = 0)\n"
              "Object3D: setUserID = -7 (old id = 42)\n"
              "Object3D: getUserID = -7\n");
}

TEST_F(Object3DTest, NamesAndUserParametersShareOneTable)
{
    Ref<AnimationTrack> obj = newTrack();
    obj->setName(String("lattice"));
    EXPECT_EQ(nameOf(*obj), "lattice");
    // The name is parameter 1: its characters and a terminating zero.
    const core::Vector<char>* stored = obj->getUserParameter(Object3D::NAME_PARAMETER_ID);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(std::string(stored->data(), stored->size()), std::string("lattice\0", 8));
    ASSERT_NE(obj->getUserParameters(), nullptr);
    EXPECT_EQ(obj->getUserObject().get(), obj->getUserParameters());

    obj->setName(String("torus")); // replaces, shorter
    EXPECT_EQ(nameOf(*obj), "torus");
    const char blob[] = {1, 0, 2, 3};
    obj->setUserParameter(7, blob, 4);
    const core::Vector<char>* seven = obj->getUserParameter(7);
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(std::string(seven->data(), 4), std::string(blob, 4));
    EXPECT_EQ(obj->getUserParameters()->size(), 2);
    EXPECT_EQ(obj->getUserParameter(8), nullptr);

    // Bytes without a terminating zero (as a file may hold them) are read
    // only as far as they go.
    obj->setUserParameter(Object3D::NAME_PARAMETER_ID, "abc", 3);
    EXPECT_EQ(nameOf(*obj), "abc");
    obj->setUserParameter(Object3D::NAME_PARAMETER_ID, "", 0);
    EXPECT_EQ(nameOf(*obj), "");

    // A user object of another class is not replaced and gives no name.
    Ref<AnimationTrack> other = newTrack();
    Ref<core::Object> foreign = VORNA3D_NEW core::Vector<int>();
    other->setUserObject(foreign);
    EXPECT_EQ(nameOf(*other), "");
    EXPECT_EQ(other->getUserParameters(), nullptr);
    EXPECT_TRUE(failsWith([&] { other->setName(String("x")); },
                          "User object not a type \"core::HashTable<int, core::Vector<char> >\"",
                          "render::Object3D::setUserParameter"));
    EXPECT_EQ(other->getUserObject().get(), foreign.get());

    // A ready table (as the file reader builds it) can be installed.
    Ref<Object3D::UserParameterTable> table = VORNA3D_NEW Object3D::UserParameterTable(1, 0.75f);
    core::Vector<char> name;
    for (char c : std::string("logo"))
        name.add(c);
    name.add('\0');
    table->put(Object3D::NAME_PARAMETER_ID, name);
    other->setUserObject(table);
    EXPECT_EQ(nameOf(*other), "logo");
}

TEST_F(Object3DTest, AnimationTracks)
{
    Ref<AnimationTrack> obj = newTrack();
    Ref<AnimationTrack> a = newTrack();
    Ref<AnimationTrack> b = newTrack();
    obj->addAnimationTrack(a.get());
    obj->addAnimationTrack(b.get());
    obj->addAnimationTrack(a.get()); // the same track twice is allowed
    EXPECT_EQ(obj->getAnimationTrackCount(), 3);
    EXPECT_EQ(obj->getAnimationTrack(0), a.get());
    EXPECT_EQ(obj->getAnimationTrack(1), b.get());
    EXPECT_EQ(obj->getAnimationTrack(2), a.get());
    EXPECT_EQ(a->getNumOfRefs(), 3); // the list holds counted references

    EXPECT_TRUE(
        failsWith([&] { obj->addAnimationTrack(nullptr); }, " animationTrack ", "render::Object3D::addAnimationTrack"));
    EXPECT_EQ(obj->getAnimationTrackCount(), 3);
    EXPECT_TRUE(failsWith([&] { obj->getAnimationTrack(3); }, " index < getAnimationTrackCount() ",
                          "render::Object3D::getAnimationTrack"));
    EXPECT_TRUE(failsWith([&] { obj->getAnimationTrack(-1); }, " index >= 0 ", "render::Object3D::getAnimationTrack"));

    core::Debug::setDebugLevel(core::DEBUG_LEVEL_RENDER);
    testing_support::LogCapture log;
    obj->getAnimationTrack(1);
    EXPECT_EQ(log.text(), "Object3D: getAnimationTrack (1)\n");
}

TEST_F(Object3DTest, DuplicateSharesTheUserTableButNotTheTracks)
{
    Ref<AnimationTrack> source = newTrack();
    source->setUserID(5);
    source->setName(String("helix"));
    Ref<AnimationTrack> track = newTrack();
    track->setUserID(9);
    source->addAnimationTrack(track.get());

    Ref<AnimationTrack> copy = source->duplicate();
    EXPECT_EQ(copy->getUserID(), 5);
    EXPECT_EQ(nameOf(*copy), "helix");
    EXPECT_EQ(copy->getUserObject().get(), source->getUserObject().get());

    // Renaming either renames both: the table is shared.
    copy->setName(String("sprites"));
    EXPECT_EQ(nameOf(*source), "sprites");

    // The copy holds a copy of the track, not the track itself.
    ASSERT_EQ(copy->getAnimationTrackCount(), 1);
    EXPECT_NE(copy->getAnimationTrack(0), track.get());
    EXPECT_EQ(copy->getAnimationTrack(0)->getUserID(), 9);
    Ref<AnimationTrack> extra = newTrack();
    copy->addAnimationTrack(extra.get());
    EXPECT_EQ(source->getAnimationTrackCount(), 1);

    // The user ID is the copy's own.
    copy->setUserID(6);
    EXPECT_EQ(source->getUserID(), 5);

    // Without a user object the copy has none either; with a foreign one it
    // shares it.
    Ref<AnimationTrack> plain = newTrack();
    Ref<AnimationTrack> plainCopy = plain->duplicate();
    EXPECT_FALSE(plainCopy->getUserObject());
    Ref<core::Object> foreign = VORNA3D_NEW core::Vector<int>();
    plain->setUserObject(foreign);
    Ref<AnimationTrack> foreignCopy = plain->duplicate();
    EXPECT_EQ(foreignCopy->getUserObject().get(), foreign.get());

    // Duplication logs the user ID it copies.
    core::Debug::setDebugLevel(core::DEBUG_LEVEL_RENDER);
    testing_support::LogCapture log;
    Ref<AnimationTrack> logged = source->duplicate();
    const std::string text = log.text();
    EXPECT_NE(text.find("Object3D: getUserID = 5\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Object3D: setUserID = 5 (old id = 0)\n"), std::string::npos) << text;
}

TEST_F(Object3DTest, ReferenceWalkListsTracksThenClassReferencesInOrder)
{
    Ref<VertexBuffer> vb = VORNA3D_NEW VertexBuffer();
    Ref<VertexArray> positions = VORNA3D_NEW VertexArray(4, 3, 2, 0);
    Ref<VertexArray> normals = VORNA3D_NEW VertexArray(4, 3, 1, 0);
    Ref<VertexArray> colors = VORNA3D_NEW VertexArray(4, 4, 1, 255);
    Ref<VertexArray> uv0 = VORNA3D_NEW VertexArray(4, 2, 2, 0);
    Ref<VertexArray> uv2 = VORNA3D_NEW VertexArray(4, 2, 1, 0);
    // Set out of walk order: the walk order is fixed, not the setting order.
    vb->setTexCoords(2, uv2.get(), 1.f, nullptr);
    vb->setColors(colors.get());
    vb->setTexCoords(0, uv0.get(), 1.f, nullptr);
    vb->setPositions(positions.get(), 1.f, nullptr);
    vb->setNormals(normals.get());
    Ref<AnimationTrack> t1 = newTrack();
    Ref<AnimationTrack> t2 = newTrack();
    vb->addAnimationTrack(t1.get());
    vb->addAnimationTrack(t2.get());

    core::Vector<Object3D*> refs;
    const int count = render::getSubRefs(&refs, vb.get());
    EXPECT_EQ(count, 7);
    const std::vector<Object3D*> expected = {t1.get(),     t2.get(),  positions.get(), normals.get(),
                                             colors.get(), uv0.get(), uv2.get()};
    EXPECT_EQ(render_test::elements(refs), expected);

    // Counting alone gives the same number and appends nothing; the walk
    // appends to what the vector already holds.
    EXPECT_EQ(render::getSubRefs(nullptr, vb.get()), 7);
    EXPECT_EQ(render::getSubRefs(nullptr, t1.get()), 1); // its keyframe sequence
    EXPECT_EQ(refs.size(), 7);
    EXPECT_EQ(render::getSubRefs(&refs, vb.get()), 7);
    EXPECT_EQ(refs.size(), 14);

    // Empty slots are skipped: unit 1 is empty, and clearing normals drops them.
    vb->setNormals(nullptr);
    EXPECT_EQ(render::getSubRefs(nullptr, vb.get()), 6);
    // An array lists only its tracks.
    positions->addAnimationTrack(t1.get());
    core::Vector<Object3D*> arrayRefs;
    EXPECT_EQ(render::getSubRefs(&arrayRefs, positions.get()), 1);
    EXPECT_EQ(arrayRefs[0], t1.get());

    EXPECT_TRUE(failsWith([&] { render::getSubRefs(&refs, nullptr); }, " this_ref ", "render::getSubRefs"));
    EXPECT_TRUE(failsWith([&] { render::getRefsObject3D(nullptr, &refs); }, " obj ", "render::getRefsObject3D"));
}
