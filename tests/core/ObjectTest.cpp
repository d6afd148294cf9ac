// Reference counting, Ref<T> and the assertion model.

#include <gtest/gtest.h>

#include <string>

#include "core/Debug.h"
#include "core/Object.h"
#include "core/Ref.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using core::Object;
using core::Ref;
using testing_support::EngineTest;
using testing_support::LogCapture;

namespace {

// Counts its own destructions, so tests can see when the last Ref let go.
class Counted : public Object {
public:
    explicit Counted(int* deaths) : m_deaths(deaths) { }
    ~Counted() override { ++*m_deaths; }

private:
    int* m_deaths;
};

class Derived : public Counted {
public:
    using Counted::Counted;
};

class ObjectTest : public EngineTest { };

} // namespace

TEST_F(ObjectTest, LastRefDestroysTheObject)
{
    int deaths = 0;
    {
        Ref<Counted> a = VORNA3D_NEW Counted(&deaths);
        EXPECT_EQ(a->getNumOfRefs(), 1);
        {
            Ref<Counted> b = a;
            Ref<Counted> c;
            c = b;
            EXPECT_EQ(a->getNumOfRefs(), 3);
        }
        EXPECT_EQ(a->getNumOfRefs(), 1);
        EXPECT_EQ(deaths, 0);
    }
    EXPECT_EQ(deaths, 1);
}

TEST_F(ObjectTest, AssignmentHandlesSelfAndChains)
{
    int deaths = 0;
    Ref<Counted> a = VORNA3D_NEW Counted(&deaths);
    a = a; // adds before it releases: survives
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(a->getNumOfRefs(), 1);

    Ref<Counted> moved = std::move(a);
    EXPECT_FALSE(a);
    EXPECT_EQ(moved->getNumOfRefs(), 1);

    Ref<Counted> base = Ref<Derived>(VORNA3D_NEW Derived(&deaths)); // converting copy
    EXPECT_EQ(base->getNumOfRefs(), 1);

    moved = nullptr; // clearing the last reference destroys and clears
    EXPECT_EQ(deaths, 1);
    EXPECT_TRUE(moved == nullptr);
    base = nullptr;
    EXPECT_EQ(deaths, 2);
}

TEST_F(ObjectTest, MisuseIsReportedAndThrows)
{
    int deaths = 0;
    Counted* raw = VORNA3D_NEW Counted(&deaths);

    // Releasing with no reference: reported, count unchanged.
    try {
        raw->releaseRef();
        FAIL() << "no exception";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), " m_numOfRefs > 0 ");
        EXPECT_STREQ(e.getFunction(), "core::Object::releaseRef");
    }
    EXPECT_EQ(raw->getNumOfRefs(), 0);

    // Deleting while referenced: reported. The memory goes back to the pool
    // all the same: C++ calls the deallocation function when a destructor throws.
    raw->addRef();
    try {
        delete raw;
        FAIL() << "no exception";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), "Can not delete core::Object, when it have references some where else");
        EXPECT_STREQ(e.getFunction(), "core::Object::~Object");
    }

    Ref<Counted> empty;
    try {
        empty->getNumOfRefs();
        FAIL() << "no exception";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), "NULL pointer");
        EXPECT_STREQ(e.getFunction(), "core::Ref<T>::operator->");
    }
    EXPECT_THROW(*empty, AssertationFailedException);
}

TEST_F(ObjectTest, AssertionBannerIsThreeLinesWithOneError)
{
    const int errorsBefore = core::Debug::getErrorCount();
    LogCapture capture;
    EXPECT_THROW(ASSERT(1 + 1 == 3), AssertationFailedException);
    const std::string log = capture.text();

    // The middle line names the text, the qualified function and the line;
    // only its shape is checked, not the source line number.
    EXPECT_EQ(log.rfind("** ASSERT **\n ERROR  |MSG: 1 + 1 == 3  FUNC:", 0), 0u) << log;
    EXPECT_NE(log.find("ObjectTest_AssertionBannerIsThreeLinesWithOneError_Test::TestBody ("), std::string::npos)
        << log;
    EXPECT_EQ(log.substr(log.size() - 15), ")\n** ASSERT **\n") << log;
    EXPECT_EQ(core::Debug::getErrorCount(), errorsBefore + 1);
}

TEST(AssertWithoutEngine, StillThrowsAndDoesNotRecurse)
{
    // No globals, no log: the report is skipped, the exception still carries everything.
    try {
        ASSERT(false);
        FAIL() << "no exception";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), " false ");
        EXPECT_STREQ(e.getFunction(), "AssertWithoutEngine_StillThrowsAndDoesNotRecurse_Test::TestBody");
        EXPECT_NE(std::string(e.getFile()).find("ObjectTest.cpp"), std::string::npos);
        EXPECT_GT(e.getLine(), 0);
    }
}

TEST(Exceptions, OwnTheirTextsAndCopyDeeply)
{
    char message[] = "original";
    Vorna3DException first("file.cpp", "ns::f", 7, message);
    message[0] = 'X'; // the exception kept its own copy
    Vorna3DException copy = first;
    first.set(nullptr, "ns::g", 8, "changed");
    EXPECT_STREQ(copy.getMessage(), "original");
    EXPECT_STREQ(copy.getFile(), "file.cpp");
    EXPECT_EQ(copy.getLine(), 7);
    EXPECT_EQ(first.getFile(), nullptr); // null stays null
    EXPECT_STREQ(first.what(), "changed");

    core::MemoryManagerException memory("MemoryManager: memory full");
    EXPECT_STREQ(memory.getFile(), "UNKNOWN");
    EXPECT_STREQ(memory.getFunction(), "UNKNOWN");
    EXPECT_EQ(memory.getLine(), 0);
}

TEST_F(ObjectTest, IOExceptionFormatsAndLogsItsMessage)
{
    LogCapture capture;
    core::IOException e("Unexpected end of file", "scene.m3g");
    EXPECT_STREQ(e.getMessage(), "IO Name: scene.m3g. Message: Unexpected end of file");
    EXPECT_EQ(capture.text(), " ERROR  |IOException: IO Name: scene.m3g. Message: Unexpected end of file\n");
}
