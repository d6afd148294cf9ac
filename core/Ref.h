#pragma once
// Ref<T>: the owning, intrusive reference to an engine object.

#include <cstddef>
#include <utility>

#include "core/Assert.h"

namespace core {

template <class T> class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) { }
    // Takes a reference on `ptr` (null allowed).
    Ref(T* ptr) : m_ptr(ptr) { acquire(); }
    Ref(const Ref& other) : m_ptr(other.m_ptr) { acquire(); }
    Ref(Ref&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) { }
    template <class U> Ref(const Ref<U>& other) : m_ptr(other.get()) { acquire(); }
    // Releases the reference; the object dies with its last one.
    ~Ref() noexcept(false) { release(m_ptr); }

    // Adds a reference to the new target first, then releases the old one,
    // so self-assignment and chains that release themselves stay safe.
    Ref& operator=(const Ref& other) { return assign(other.m_ptr); }
    Ref& operator=(T* ptr) { return assign(ptr); }
    Ref& operator=(std::nullptr_t) { return assign(nullptr); }
    Ref& operator=(Ref&& other) noexcept(false)
    {
        if (this != &other) {
            T* old = std::exchange(m_ptr, std::exchange(other.m_ptr, nullptr));
            release(old);
        }
        return *this;
    }

    // Requires a non-null target; asserts "NULL pointer".
    T* operator->() const
    {
        ASSERT_MSG(m_ptr, "NULL pointer");
        return m_ptr;
    }
    // Requires a non-null target; asserts "NULL pointer".
    T& operator*() const
    {
        ASSERT_MSG(m_ptr, "NULL pointer");
        return *m_ptr;
    }

    T* get() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    bool operator!() const { return m_ptr == nullptr; }

    friend bool operator==(const Ref& a, const Ref& b) { return a.m_ptr == b.m_ptr; }
    friend bool operator==(const Ref& a, const T* b) { return a.m_ptr == b; }
    friend bool operator==(const Ref& a, std::nullptr_t) { return a.m_ptr == nullptr; }

private:
    void acquire()
    {
        if (m_ptr)
            m_ptr->addRef();
    }
    static void release(T* ptr)
    {
        if (ptr)
            ptr->releaseRef();
    }
    Ref& assign(T* ptr)
    {
        if (ptr)
            ptr->addRef();
        T* old = std::exchange(m_ptr, ptr);
        release(old);
        return *this;
    }

    T* m_ptr = nullptr;
};

} // namespace core
