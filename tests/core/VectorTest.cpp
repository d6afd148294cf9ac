// Vector: growth rule, element lifetimes, self-references during growth,
// removal, copies and size limits.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "core/Object.h"
#include "core/Ref.h"
#include "core/String.h"
#include "core/Vector.h"
#include "tests/core/CoreTestUtil.h"
#include "tests/support/EngineTest.h"

using core::NativeAllocator;
using core::Object;
using core::Ref;
using core::String;
using core::Vector;
using core::Vorna3dAllocator;
using core_test::poolStats;
using core_test::Tracked;

namespace {

class VectorTest : public testing_support::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        Tracked::reset();
    }
    void TearDown() override
    {
        EXPECT_EQ(Tracked::badDestructions, 0);
        EXPECT_EQ(Tracked::alive(), 0);
        EngineTest::TearDown();
    }
};

// Logs its id into `order` when it dies.
class Numbered : public Object {
public:
    Numbered(int id, std::vector<int>* order) : m_id(id), m_order(order) { }
    ~Numbered() override { m_order->push_back(m_id); }

private:
    int m_id;
    std::vector<int>* m_order;
};

} // namespace

TEST_F(VectorTest, GrowthRoundsUpPastMultiplesOf16OrDoubles)
{
    // Hand-derived: rounded = (length & ~15) + 16; capacity = max(rounded, 2 * old capacity).
    Vector<int> v;
    EXPECT_EQ(v.capacity(), 0);
    v.setSizeForNativeType(1);
    EXPECT_EQ(v.capacity(), 16); // (1 & ~15) + 16
    v.setSizeForNativeType(16);
    EXPECT_EQ(v.capacity(), 16); // fits
    v.setSizeForNativeType(17);
    EXPECT_EQ(v.capacity(), 32); // (17 & ~15) + 16 = 32 = 2 * 16
    v.setSizeForNativeType(33);
    EXPECT_EQ(v.capacity(), 64); // 2 * 32 = 64 beats (33 & ~15) + 16 = 48
    v.setSizeForNativeType(200);
    EXPECT_EQ(v.capacity(), 208); // (200 & ~15) + 16 = 208 beats 128
    v.setSizeForNativeType(3);
    EXPECT_EQ(v.capacity(), 208) << "shrinking keeps the storage";
    EXPECT_EQ(v.size(), 3);

    Vector<int> fresh;
    EXPECT_EQ(fresh.getCapacity(15), 16);
    EXPECT_EQ(fresh.getCapacity(16), 32); // strictly above the length
    fresh.setSizeForNativeType(16);
    EXPECT_EQ(fresh.capacity(), 32);
    EXPECT_EQ(fresh.getCapacity(0), 64) << "doubling wins even for a shorter length";

    // Appending one at a time: 16, then 32 on the 17th element.
    Vector<int> appended;
    for (int i = 0; i < 16; ++i)
        appended.add(i);
    EXPECT_EQ(appended.capacity(), 16);
    appended.add(16);
    EXPECT_EQ(appended.capacity(), 32);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(appended[i], i);
}

TEST_F(VectorTest, ReuseWithinCapacityAllocatesNothing)
{
    Vector<Ref<Object>> refs;
    Vector<int> ints;
    refs.setSize(40);
    ints.setSizeForNativeType(40);
    const int before = poolStats().allocationCount;
    for (int frame = 0; frame < 10; ++frame) {
        refs.clear();
        ints.setSizeForNativeType(0);
        for (int i = 0; i < 40; ++i) {
            refs.add(nullptr);
            ints.add(i);
        }
        refs.remove(0, 20);
        ints.remove(5);
    }
    EXPECT_EQ(poolStats().allocationCount, before);
}

TEST_F(VectorTest, EveryConstructedElementIsDestroyedExactlyOnce)
{
    {
        Vector<Tracked> v;
        v.setSize(10, Tracked(7)); // the temporary fill is one more construction
        EXPECT_EQ(Tracked::alive(), 10);
        v.setSize(4); // destroys 6, keeps the storage with their remains
        EXPECT_EQ(Tracked::alive(), 4);
        v.setSize(12, Tracked(1)); // rebuilds within the capacity
        EXPECT_EQ(Tracked::alive(), 12);
        v.setSize(40, Tracked(2)); // regrowth moves the 12 into new storage
        EXPECT_EQ(Tracked::alive(), 40);
        v.remove(3);
        v.remove(10, 20);
        EXPECT_EQ(Tracked::alive(), 29);
        v.setSize(5);
        EXPECT_EQ(v[0].value, 7);
        EXPECT_EQ(v[4].value, 1);

        Vector<Tracked> copy(v);
        EXPECT_EQ(Tracked::alive(), 10);
        copy = copy;
        copy.add(Tracked(3));
        v = copy; // grows v within its capacity
        EXPECT_EQ(Tracked::alive(), 12);
        Vector<Tracked> moved(std::move(copy));
        EXPECT_EQ(copy.size(), 0);
        EXPECT_EQ(Tracked::alive(), 12);
    }
    // The vectors died with shrunk-away remains in their storage: only the
    // live elements may have been destroyed.
    EXPECT_EQ(Tracked::alive(), 0);
    EXPECT_EQ(Tracked::badDestructions, 0);
}

TEST_F(VectorTest, AddingOwnElementWhileGrowingCopiesItFirst)
{
    Vector<Tracked> v;
    for (int i = 0; i < 16; ++i)
        v.add(Tracked(100 + i));
    ASSERT_EQ(v.size(), v.capacity()) << "the next add must reallocate";
    v.add(v[0]);
    v.add(v[16]);
    EXPECT_EQ(v[16].value, 100);
    EXPECT_EQ(v[17].value, 100);

    // The same through setSize's fill, and with references that would
    // be moved out of the old storage before the copy was taken.
    v.setSize(v.capacity());
    v.setSize(v.capacity() + 1, v[1]);
    EXPECT_EQ(v[v.size() - 1].value, 101);

    Vector<Ref<Object>> refs;
    Ref<Object> target = VORNA3D_NEW Object();
    for (int i = 0; i < 16; ++i)
        refs.add(target);
    ASSERT_EQ(refs.size(), refs.capacity());
    EXPECT_EQ(target->getNumOfRefs(), 17);
    refs.add(refs[15]);
    EXPECT_EQ(refs[16], target);
    refs.setSize(refs.capacity() + 5, refs[0]);
    EXPECT_EQ(refs[refs.size() - 1], target);
    EXPECT_EQ(target->getNumOfRefs(), 1 + refs.size());
}

TEST_F(VectorTest, ShrinkingReleasesRemovedRefsLastFirst)
{
    std::vector<int> deaths;
    Vector<Ref<Numbered>> v;
    for (int id = 0; id < 5; ++id)
        v.add(VORNA3D_NEW Numbered(id, &deaths));
    const int capacity = v.capacity();
    v.setSize(2);
    EXPECT_EQ(deaths, (std::vector<int>{4, 3, 2}));
    EXPECT_EQ(v.capacity(), capacity);
    v.remove(0);
    EXPECT_EQ(deaths, (std::vector<int>{4, 3, 2, 0}));
    v.setSize(3);
    EXPECT_FALSE(v[1]);
    EXPECT_FALSE(v[2]);
}

TEST_F(VectorTest, RemoveKeepsOrderAndChecksRanges)
{
    Vector<int> v;
    for (int i = 0; i < 10; ++i)
        v.add(i);
    v.remove(0);
    v.remove(8);
    v.remove(2, 5); // removes 3, 4, 5
    EXPECT_EQ(v.size(), 5);
    const int expected[] = {1, 2, 6, 7, 8};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(v[i], expected[i]);
    v.remove(5, 5); // an empty range at the end is allowed
    EXPECT_EQ(v.size(), 5);
    EXPECT_EQ(v.indexOf(7), 3);
    EXPECT_EQ(v.indexOf(3), -1);

    EXPECT_EQ(assertionText([&] { v.remove(5); }), " index >= 0 && index < m_len ");
    EXPECT_EQ(assertionText([&] { v.remove(-1); }), " index >= 0 && index < m_len ");
    EXPECT_EQ(assertionText([&] { v.remove(-1, 2); }), " begin_ >= 0 && (begin_ < m_len || begin_ == end_) ");
    EXPECT_EQ(assertionText([&] { v.remove(2, 6); }), " end_ >= 0 && end_ <= m_len ");
    EXPECT_EQ(assertionText([&] { v.remove(3, 2); }), " begin_ <= end_ ");
    EXPECT_EQ(v.size(), 5) << "failed checks change nothing";
}

TEST_F(VectorTest, IndexAndLengthChecks)
{
    Vector<int> v;
    EXPECT_EQ(assertionText([&] { v[0]; }), "Vector index out of bounds");
    v.setSizeForNativeType(3);
    const Vector<int>& constView = v;
    EXPECT_EQ(assertionText([&] { v[3]; }), "Vector index out of bounds");
    EXPECT_EQ(assertionText([&] { v[-1]; }), "Vector index out of bounds");
    EXPECT_EQ(assertionText([&] { constView[3]; }), "Vector index out of bounds");
    EXPECT_EQ(assertionText([&] { v.setSize(-1); }), " length >= 0 ");
    EXPECT_EQ(assertionText([&] { v.setSizeForNativeType(-5); }), " length >= 0 ");
    EXPECT_EQ(assertionText([&] { Vorna3dAllocator<int>::allocate(0); }), " n > 0 ");
    EXPECT_EQ(assertionText([&] { NativeAllocator<int>::allocate(-1); }), " n > 0 ");
}

TEST_F(VectorTest, SizesAreComputedIn64BitsAndCappedAtIntMax)
{
    // 2^30 eight-byte elements are 2^33 bytes: a 32-bit product would wrap to 0.
    EXPECT_EQ(assertionText([&] { Vorna3dAllocator<double>::allocate(1 << 30); }), "allocation size exceeds INT_MAX");
    EXPECT_EQ(assertionText([&] { NativeAllocator<double>::allocate(1 << 30); }), "allocation size exceeds INT_MAX");

    // MAX_LENGTH = INT_MAX / sizeof(T); beyond it no capacity is possible.
    struct Big {
        char bytes[1 << 28];
    };
    Vector<Big, NativeAllocator<Big>> big;
    EXPECT_EQ(big.MAX_LENGTH, 7);
    EXPECT_EQ(big.getCapacity(5), 7) << "rounding to 16 is capped at the limit";
    EXPECT_EQ(assertionText([&] { big.getCapacity(8); }), " length <= MAX_LENGTH ");

    Vector<int> v;
    EXPECT_EQ(assertionText([&] { v.setSizeForNativeType(INT_MAX); }), " length <= MAX_LENGTH ");
    EXPECT_EQ(v.size(), 0);
    EXPECT_EQ(Vector<char>().getCapacity(INT_MAX), INT_MAX) << "(INT_MAX & ~15) + 16 must not wrap";
}

TEST_F(VectorTest, NativeTypesZeroFillWhenGrowing)
{
    Vector<unsigned char> bytes;
    bytes.setSizeForNativeType(8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(bytes[i], 0);
        bytes[i] = 0xAB;
    }
    bytes.setSizeForNativeType(2);
    bytes.setSizeForNativeType(6); // within capacity: the old bytes must not reappear
    EXPECT_EQ(bytes[1], 0xAB);
    for (int i = 2; i < 6; ++i)
        EXPECT_EQ(bytes[i], 0) << "at " << i;
    bytes.setSizeForNativeType(100); // reallocation copies the kept bytes
    EXPECT_EQ(bytes[0], 0xAB);
    EXPECT_EQ(bytes[99], 0);
}

TEST_F(VectorTest, CopiesAreDeepAndAssignmentReusesStorage)
{
    Vector<int> a;
    for (int i = 0; i < 20; ++i)
        a.add(i);
    Vector<int> b(a);
    b[0] = 99;
    EXPECT_EQ(a[0], 0);

    Vector<int> c;
    c.setSizeForNativeType(30);
    const int* storage = c.data();
    c = a;
    EXPECT_EQ(c.data(), storage) << "20 elements fit the 32 already there";
    EXPECT_EQ(c.size(), 20);
    EXPECT_EQ(c[19], 19);
    c = c;
    EXPECT_EQ(c.size(), 20);

    Vector<int> d;
    d = std::move(c);
    EXPECT_EQ(d.data(), storage);
    EXPECT_EQ(c.size(), 0);
    EXPECT_EQ(c.capacity(), 0);
}

TEST_F(VectorTest, EngineObjectsAsElements)
{
    // Strings and vectors are engine objects with their own pool operator
    // new; elements are still built in the vector's storage.
    Vector<String> names;
    for (int i = 0; i < 20; ++i) {
        String name;
        name.format("entry%d", i);
        names.add(name);
    }
    names.add(names[3]);
    names.remove(0, 3);
    EXPECT_TRUE(names[0].equals("entry3"));
    EXPECT_TRUE(names[names.size() - 1].equals("entry3"));
    Vector<String> copy(names);
    EXPECT_TRUE(copy[16].equals("entry19"));

    Vector<Vector<int>> nested;
    nested.setSize(3);
    nested[1].add(7);
    nested.add(nested[1]);
    EXPECT_EQ(nested[3][0], 7);
}

TEST(VectorNativeAllocatorTest, WorksWithoutTheEngine)
{
    Vector<int, NativeAllocator<int>> v;
    for (int i = 0; i < 100; ++i)
        v.add(i * i);
    EXPECT_EQ(v.size(), 100);
    EXPECT_EQ(v[99], 99 * 99);
    v.remove(0, 50);
    EXPECT_EQ(v[0], 50 * 50);
}
