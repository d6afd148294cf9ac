// HashTable: bucket counts and growth, duplicates and misses, collisions,
// removal, String keys with negative hashes, value lifetimes.

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "core/HashTable.h"
#include "core/Object.h"
#include "core/Ref.h"
#include "core/String.h"
#include "core/Vector.h"
#include "tests/core/CoreTestUtil.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using core::HashTable;
using core::Object;
using core::Ref;
using core::String;
using core::Vector;
using core_test::poolStats;
using testing_support::LogCapture;

namespace {

class HashTableTest : public testing_support::EngineTest { };

using IntTable = HashTable<int, int>;

// Counts its destructions.
class Payload : public Object {
public:
    explicit Payload(int* deaths) : m_deaths(deaths) { }
    ~Payload() override { ++*m_deaths; }

private:
    int* m_deaths;
};

// A key type whose values all hash alike: every entry lands in one chain.
struct SameHash {
    int v;
};

int occurrences(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

template <> struct core::HashCode<SameHash> {
    static uint32_t hashCode(const SameHash&) { return 12345; }
    static uint32_t maxHash() { return 0xFFFFFFFFu; }
    static bool equals(const SameHash& a, const SameHash& b) { return a.v == b.v; }
};

TEST_F(HashTableTest, PrimeCapacitiesAndLoadFactorBounds)
{
    EXPECT_EQ(IntTable::createNextLargerCapacity(0), 3u);
    EXPECT_EQ(IntTable::createNextLargerCapacity(3), 5u) << "strictly greater";
    EXPECT_EQ(IntTable::createNextLargerCapacity(60), 67u);
    EXPECT_EQ(IntTable::createNextLargerCapacity(129402), 129403u);
    EXPECT_EQ(IntTable::createNextLargerCapacity(129403), 258806u) << "past the table: n + 129403";
    EXPECT_EQ(assertionText([&] { IntTable::createNextLargerCapacity(0xFFFFFFF0u); }), "hash table capacity too big");

    const char* loadText = " (0.01f <= loadFactor) && (loadFactor < 0.991f ) ";
    EXPECT_EQ(assertionText([&] { IntTable(10, 0.991f); }), loadText);
    EXPECT_EQ(assertionText([&] { IntTable(10, 0.005f); }), loadText);
    EXPECT_EQ(assertionText([&] { IntTable(10, std::nanf("")); }), loadText);
    EXPECT_EQ(assertionText([&] { IntTable(-1, 0.5f); }), " initialCapacity >= 0 ");
    IntTable lowest(10, 0.01f);
    IntTable highest(10, 0.99f);
    EXPECT_EQ(highest.getCapacity(), 13u);
    EXPECT_EQ(highest.getFreeNodeCount(), 12); // int(13 * 0.99) = int(12.87)
}

TEST_F(HashTableTest, GrowsByFreshNodeBatchesAndRehashes)
{
    IntTable table(60, 0.75f);
    EXPECT_EQ(table.getCapacity(), 67u);
    EXPECT_EQ(table.getFreeNodeCount(), 50); // int(67 * 0.75) = int(50.25)

    const int allocations = poolStats().allocationCount;
    for (int i = 0; i < 50; ++i)
        EXPECT_TRUE(table.put(i * 7, i));
    EXPECT_EQ(poolStats().allocationCount, allocations) << "put takes prepared nodes";
    EXPECT_EQ(table.getCapacity(), 67u);
    EXPECT_EQ(table.getFreeNodeCount(), 0);

    EXPECT_TRUE(table.put(50 * 7, 50));
    EXPECT_EQ(table.getCapacity(), 131u);
    EXPECT_EQ(table.getFreeNodeCount(), 97); // int(131 * 0.75) = 98 new nodes, one taken
    EXPECT_EQ(table.size(), 51);
    for (int i = 0; i <= 50; ++i) {
        int value = -1;
        EXPECT_TRUE(table.get(i * 7, value));
        EXPECT_EQ(value, i);
    }

    // Further batches by hand: 148 nodes so far; 257 buckets add int(192.75),
    // 521 add int(390.75), 1031 add int(773.25): 1503 nodes in all.
    for (int i = 51; i < 1000; ++i)
        ASSERT_TRUE(table.put(i * 7, i));
    EXPECT_EQ(table.getCapacity(), 1031u);
    EXPECT_EQ(table.size() + table.getFreeNodeCount(), 1503);
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(table.containsKey(i * 7)) << i;
    EXPECT_FALSE(table.containsKey(3));
}

TEST_F(HashTableTest, TinyCapacityAndLoadFactorStillGetANode)
{
    // int(3 * 0.01) is 0: without a node the first put would find nothing.
    IntTable table(0, 0.01f);
    EXPECT_EQ(table.getCapacity(), 3u);
    EXPECT_EQ(table.getFreeNodeCount(), 1);
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(table.put(i, i * 10));
    EXPECT_EQ(table.getCapacity(), 37u); // one growth per put after the first: 5, 7, 13, 23, 37
    for (int i = 0; i < 6; ++i) {
        int value = 0;
        EXPECT_TRUE(table.get(i, value));
        EXPECT_EQ(value, i * 10);
    }
}

TEST_F(HashTableTest, DuplicatesAndMissesWarnAndReturnFalse)
{
    IntTable table(10, 0.75f);
    LogCapture log;
    EXPECT_TRUE(table.put(5, 50));
    EXPECT_FALSE(table.put(5, 51));
    int value = 0;
    EXPECT_TRUE(table.get(5, value));
    EXPECT_EQ(value, 50) << "the first value stays";

    value = 77;
    EXPECT_FALSE(table.get(6, value));
    EXPECT_EQ(value, 77);
    EXPECT_FALSE(table.set(6, 60));
    EXPECT_FALSE(table.containsKey(6)) << "set never inserts";
    EXPECT_FALSE(table.remove(6));
    EXPECT_TRUE(table.set(5, 55));
    EXPECT_EQ(*table.find(5), 55);
    EXPECT_EQ(table.find(6), nullptr);
    EXPECT_EQ(table.size(), 1);

    const std::string text = log.text();
    EXPECT_EQ(occurrences(text, "WARNING |Key is already inserted to the hash table!\n"), 1);
    EXPECT_EQ(occurrences(text, "WARNING |Key is not found from the hash table!\n"), 3);
}

TEST_F(HashTableTest, CollidingKeysChainAndRemoveFromAnyPosition)
{
    IntTable table(60, 0.75f);
    // 1 + 67k all land in bucket 1 of 67.
    for (int k = 0; k < 8; ++k)
        ASSERT_TRUE(table.put(1 + 67 * k, k));
    table.put(2, 100);

    const int freeBefore = table.getFreeNodeCount();
    EXPECT_TRUE(table.remove(1 + 67 * 7)); // chain head (last put)
    EXPECT_TRUE(table.remove(1 + 67 * 3)); // middle
    EXPECT_TRUE(table.remove(1)); // tail
    EXPECT_FALSE(table.remove(1));
    EXPECT_EQ(table.size(), 6);
    EXPECT_EQ(table.getFreeNodeCount(), freeBefore + 3);
    for (int k : {1, 2, 4, 5, 6}) {
        int value = -1;
        EXPECT_TRUE(table.get(1 + 67 * k, value));
        EXPECT_EQ(value, k);
    }

    // Enumeration visits bucket 1's chain (head first), then bucket 2.
    int value = 0, key = 0;
    std::set<int> seen;
    for (int i = 0; i < table.size(); ++i) {
        table.get(i, value, key);
        seen.insert(key);
    }
    EXPECT_EQ(seen.size(), 6u);
    table.get(5, value, key);
    EXPECT_EQ(key, 2);
    EXPECT_EQ(assertionText([&] { table.get(6, value, key); }), "HashTable::get: index out of bounds");
    EXPECT_EQ(assertionText([&] { table.get(-1, value, key); }), "HashTable::get: index out of bounds");

    // Removed nodes are reused without allocating.
    const int allocations = poolStats().allocationCount;
    EXPECT_TRUE(table.put(1, 42));
    EXPECT_TRUE(table.put(1 + 67 * 3, 43));
    EXPECT_EQ(poolStats().allocationCount, allocations);
}

TEST_F(HashTableTest, StringKeysWithNegativeHashesLandInValidBuckets)
{
    HashTable<String, int> table(60, 0.75f);
    String negative("\xE9\xE9"); // hash -46: unsigned 4294967250, bucket 54 of 67
    ASSERT_EQ(negative.getHash(), -46);
    EXPECT_TRUE(table.put(negative, 1));
    EXPECT_TRUE(table.put(String("a"), 2)); // 97: bucket 30
    EXPECT_TRUE(table.put(String("5"), 3)); // 53: bucket 53

    // Bucket order shows where they went: 30, 53, 54.
    int value = 0;
    String key;
    table.get(0, value, key);
    EXPECT_TRUE(key.equals("a"));
    table.get(1, value, key);
    EXPECT_TRUE(key.equals("5"));
    table.get(2, value, key);
    EXPECT_TRUE(key.equals("\xE9\xE9"));

    // Equal text in other storage finds the entry; equal hashes do not.
    EXPECT_TRUE(table.get(String("\xE9\xE9"), value));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(table.put(String("ab"), 4));
    EXPECT_TRUE(table.put(String("ba"), 5)); // same byte sum, other text
    EXPECT_TRUE(table.get(String("ba"), value));
    EXPECT_EQ(value, 5);
    EXPECT_TRUE(table.remove(String("ab")));
    EXPECT_TRUE(table.containsKey(String("ba")));
    EXPECT_FALSE(table.containsKey(String("ab")));
}

TEST_F(HashTableTest, ValuesLiveExactlyAsLongAsTheirEntries)
{
    int deaths = 0;
    {
        HashTable<int, Ref<Payload>> table(3, 0.5f);
        for (int i = 0; i < 40; ++i) // several growths with entries in place
            table.put(i, Ref<Payload>(VORNA3D_NEW Payload(&deaths)));
        EXPECT_EQ(deaths, 0);
        table.remove(7);
        EXPECT_EQ(deaths, 1) << "removal releases the value at once";
        Ref<Payload> replacement = VORNA3D_NEW Payload(&deaths);
        table.set(8, replacement);
        EXPECT_EQ(deaths, 2);
        Ref<Payload> out;
        table.get(8, out);
        EXPECT_EQ(out, replacement);
    }
    EXPECT_EQ(deaths, 41);

    // A long chain of colliding keys is released without trouble.
    {
        HashTable<SameHash, Ref<Payload>> chained(60, 0.75f);
        for (int k = 0; k < 2000; ++k)
            chained.put(SameHash{k}, Ref<Payload>(VORNA3D_NEW Payload(&deaths)));
        EXPECT_EQ(chained.size(), 2000);
        EXPECT_TRUE(chained.remove(SameHash{1000}));
        EXPECT_TRUE(chained.containsKey(SameHash{999}));
        EXPECT_FALSE(chained.containsKey(SameHash{1000}));
    }
    EXPECT_EQ(deaths, 2041);
}

TEST_F(HashTableTest, ByteVectorValuesAreCopiedInAndOut)
{
    HashTable<int, Vector<char>> params(2, 0.75f);
    Vector<char> name;
    for (char c : std::string("cube"))
        name.add(c);
    name.add(0);
    EXPECT_TRUE(params.put(1, name));
    name[0] = 'C';
    Vector<char> stored;
    EXPECT_TRUE(params.get(1, stored));
    EXPECT_STREQ(stored.data(), "cube") << "the table holds its own copy";

    Vector<char> longer;
    for (char c : std::string("sphere-01"))
        longer.add(c);
    longer.add(0);
    EXPECT_TRUE(params.set(1, longer));
    EXPECT_TRUE(params.set(1, *params.find(1))) << "setting a value to itself";
    EXPECT_TRUE(params.get(1, stored));
    EXPECT_EQ(stored.size(), 10);
    EXPECT_STREQ(stored.data(), "sphere-01");
}
