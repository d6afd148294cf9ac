#pragma once
// Intrusive reference counting. Every engine class derives from Object; its
// memory comes from the memory manager's pool, and the last Ref destroys it.

#include <cstddef>
#include <cstdint>

#include "core/Assert.h"

namespace core {

class Object {
public:
    Object() = default;
    // A copy is a new object: it starts without references.
    Object(const Object&) : m_numOfRefs(0) { }
    Object& operator=(const Object&) { return *this; }

    // Requires that no reference is left; otherwise asserts
    // "Can not delete core::Object, when it have references some where else".
    virtual ~Object() noexcept(false);

    // Adds one reference. Requires a non-negative count.
    void addRef();
    // Drops one reference and deletes the object when it was the last.
    // Requires a positive count (the count is unchanged when the check fails).
    void releaseRef();
    int32_t getNumOfRefs() const { return m_numOfRefs; }

    // Engine objects live in the memory manager's pool. The tagged forms name
    // the creating function and line for the allocation trace (VORNA3D_NEW).
    // Throw MemoryManagerException when the pool is full, assert without one.
    static void* operator new(size_t size);
    static void* operator new(size_t size, const char* user, int line);
    static void operator delete(void* ptr);
    static void operator delete(void* ptr, const char* user, int line);
    // Placement form, for containers that construct objects in storage they own.
    static void* operator new(size_t, void* where) noexcept { return where; }
    static void operator delete(void*, void*) noexcept { }
    static void* operator new[](size_t) = delete;
    static void operator delete[](void*) = delete;

private:
    int32_t m_numOfRefs = 0;
};

} // namespace core

// Creates an engine object in the pool, tagged with the creating function and line:
//     Ref<Texture2D> texture = VORNA3D_NEW Texture2D(image);
#define VORNA3D_NEW new (VORNA3D_FUNCTION, __LINE__)
