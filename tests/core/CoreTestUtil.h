#pragma once
// Helpers for the string and container tests: assertion checks and an
// element type that counts its constructions and destructions.

#include <gtest/gtest.h>

#include <string>

#include "core/Exception.h"
#include "core/MemoryManager.h"
#include "tests/support/AssertionText.h"

using testing_support::assertionText;

namespace core_test {

// An element that knows whether it is alive. Destroying storage that holds
// no live element (never constructed, or destroyed already) is counted as a
// bad destruction instead of passing silently.
struct Tracked {
    static constexpr unsigned LIVE = 0x7ACCED01;
    static inline int constructions = 0;
    static inline int destructions = 0;
    static inline int badDestructions = 0;
    static void reset() { constructions = destructions = badDestructions = 0; }
    static int alive() { return constructions - destructions; }

    Tracked() : Tracked(0) { }
    explicit Tracked(int v) : value(v), magic(LIVE) { ++constructions; }
    Tracked(const Tracked& other) : value(other.value), magic(LIVE)
    {
        EXPECT_EQ(other.magic, LIVE) << "copy from a dead element";
        ++constructions;
    }
    // Moving empties the source (value -1), as moving a Ref nulls it.
    Tracked(Tracked&& other) noexcept : value(other.value), magic(LIVE)
    {
        EXPECT_EQ(other.magic, LIVE) << "move from a dead element";
        other.value = -1;
        ++constructions;
    }
    Tracked& operator=(const Tracked& other)
    {
        EXPECT_EQ(magic, LIVE) << "assignment to a dead element";
        EXPECT_EQ(other.magic, LIVE) << "assignment from a dead element";
        value = other.value;
        return *this;
    }
    ~Tracked()
    {
        if (magic != LIVE)
            ++badDestructions;
        else
            ++destructions;
        magic = 0;
    }
    bool operator==(const Tracked& other) const { return value == other.value; }

    int value;
    unsigned magic;
};

// Pool statistics of the running engine.
inline core::MemoryManager::Statistics poolStats()
{
    return core::MemoryManager::getMemoryInfoPtr()->getStatistics();
}

} // namespace core_test
