#pragma once
// Vector<T, A>: the engine's growable array. Storage comes from the allocator
// policy A (the memory pool by default). Elements [0, size()) are constructed,
// the rest of the capacity is raw storage. Storage grows to the next multiple
// of 16 above the needed length or to twice the old capacity, whichever is
// larger; shrinking never frees storage, so a vector reused every frame stops
// allocating once it has reached its working size.

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "core/Allocators.h"
#include "core/Assert.h"
#include "core/Object.h"

namespace core {

template <class T, class A = Vorna3dAllocator<T>> class Vector : public Object {
public:
    // The largest length whose storage fits in INT_MAX bytes.
    static constexpr int MAX_LENGTH = static_cast<int>(INT_MAX / sizeof(T));

    Vector() = default;
    // A deep copy of `other` (allocates when `other` is not empty).
    Vector(const Vector& other) : Object() { assignFrom(other); }
    // Takes over `other`'s storage; `other` is left empty.
    Vector(Vector&& other) noexcept
        : Object(), m_data(std::exchange(other.m_data, nullptr)), m_len(std::exchange(other.m_len, 0)),
          m_capacity(std::exchange(other.m_capacity, 0))
    {
    }
    // Destroys the elements, last first, and returns the storage.
    ~Vector() noexcept(false) { release(); }

    // Copies `other`'s elements; reuses the storage when it is large enough.
    // Self-assignment changes nothing.
    Vector& operator=(const Vector& other)
    {
        if (this != &other)
            assignFrom(other);
        return *this;
    }
    Vector& operator=(Vector&& other) noexcept(false)
    {
        if (this != &other) {
            Vector taken(std::move(other));
            swap(taken); // `taken` now holds the old contents and releases them
        }
        return *this;
    }

    int size() const { return m_len; }
    int capacity() const { return m_capacity; }
    bool isEmpty() const { return m_len == 0; }
    T* data() { return m_data; }
    const T* data() const { return m_data; }
    T* begin() { return m_data; }
    T* end() { return m_data + m_len; }
    const T* begin() const { return m_data; }
    const T* end() const { return m_data + m_len; }

    // The element at `index`. Requires 0 <= index < size(); asserts
    // "Vector index out of bounds".
    T& operator[](int index)
    {
        ASSERT_MSG(static_cast<unsigned>(index) < static_cast<unsigned>(m_len), "Vector index out of bounds");
        return m_data[index];
    }
    const T& operator[](int index) const
    {
        ASSERT_MSG(static_cast<unsigned>(index) < static_cast<unsigned>(m_len), "Vector index out of bounds");
        return m_data[index];
    }

    // The capacity that growing to `length` elements allocates: the next
    // multiple of 16 above `length`, or twice the current capacity when that
    // is larger, limited to MAX_LENGTH. Requires 0 <= length <= MAX_LENGTH.
    int getCapacity(int length) const
    {
        ASSERT(length >= 0);
        ASSERT(length <= MAX_LENGTH);
        const int64_t rounded = (static_cast<int64_t>(length) & ~int64_t(15)) + 16;
        int64_t cap = 2 * static_cast<int64_t>(m_capacity);
        if (cap < rounded)
            cap = rounded;
        if (cap > MAX_LENGTH)
            cap = MAX_LENGTH;
        ASSERT(cap >= length);
        return static_cast<int>(cap);
    }

    // Sets the length. Shrinking destroys the elements beyond it, last first,
    // and keeps the storage; growing copy-constructs `fill` into the new
    // places (`fill` may be an element of this vector). Requires length >= 0.
    void setSize(int length, const T& fill = T())
    {
        ASSERT(length >= 0);
        if (length <= m_len) {
            shrinkTo(length);
            return;
        }
        const int oldLen = m_len;
        if (length <= m_capacity) {
            fillConstruct(m_data + oldLen, length - oldLen, fill);
        } else {
            growAndConstruct(length, [&](T* fresh) { fillConstruct(fresh + oldLen, length - oldLen, fill); });
        }
        m_len = length;
    }

    // setSize for plain element types: shrinking only changes the length,
    // growing zero-fills the new elements. Requires length >= 0.
    void setSizeForNativeType(int length)
    {
        static_assert(std::is_trivially_copyable_v<T>, "setSizeForNativeType needs a plain element type");
        ASSERT(length >= 0);
        if (length > m_capacity)
            growAndConstruct(length, [](T*) {}); // fresh storage is zero-filled
        else if (length > m_len)
            std::memset(static_cast<void*>(m_data + m_len), 0, sizeof(T) * static_cast<size_t>(length - m_len));
        m_len = length;
    }

    // Appends a copy of `value`, which may be an element of this vector.
    void add(const T& value)
    {
        if (m_len < m_capacity) {
            ::new (static_cast<void*>(m_data + m_len)) T(value);
        } else {
            ASSERT(m_len < MAX_LENGTH);
            // The copy is made before the old storage goes away.
            growAndConstruct(m_len + 1, [&](T* fresh) { ::new (static_cast<void*>(fresh + m_len)) T(value); });
        }
        ++m_len;
    }

    // Removes the element at `index`, moving the later ones down.
    // Requires 0 <= index < size().
    void remove(int index)
    {
        ASSERT(index >= 0 && index < m_len);
        remove(index, index + 1);
    }

    // Removes the half-open range [begin_, end_), moving the later elements
    // down. Requires 0 <= begin_ <= end_ <= size().
    void remove(int begin_, int end_)
    {
        ASSERT(begin_ >= 0 && (begin_ < m_len || begin_ == end_));
        ASSERT(end_ >= 0 && end_ <= m_len);
        ASSERT(begin_ <= end_);
        if (begin_ == end_)
            return;
        if constexpr (std::is_trivially_copyable_v<T>) {
            std::memmove(static_cast<void*>(m_data + begin_), m_data + end_,
                         sizeof(T) * static_cast<size_t>(m_len - end_));
            m_len -= end_ - begin_;
        } else {
            for (int from = end_, to = begin_; from < m_len; ++from, ++to)
                m_data[to] = std::move(m_data[from]);
            shrinkTo(m_len - (end_ - begin_));
        }
    }

    // Destroys every element; keeps the storage.
    void clear() { shrinkTo(0); }

    // Makes room for `capacity` elements without changing the length.
    // Requires capacity <= MAX_LENGTH.
    void reserve(int capacity)
    {
        ASSERT(capacity <= MAX_LENGTH);
        if (capacity > m_capacity)
            reallocate(capacity, 0, [](T*) {});
    }

    // Index of the first element equal to `value`, or -1.
    int indexOf(const T& value) const
    {
        for (int i = 0; i < m_len; ++i)
            if (m_data[i] == value)
                return i;
        return -1;
    }

    void swap(Vector& other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_len, other.m_len);
        std::swap(m_capacity, other.m_capacity);
    }

private:
    // Destroys the elements from the last down to index `length`. The length
    // drops before each destructor runs, so an element whose destructor
    // throws is already out of the vector.
    void shrinkTo(int length)
    {
        while (m_len > length) {
            --m_len;
            if constexpr (!std::is_trivially_destructible_v<T>)
                A::destroy(m_data + m_len);
        }
    }

    // Copy-constructs `n` copies of `fill` at `dst`; on failure destroys the
    // copies already made and rethrows.
    static void fillConstruct(T* dst, int n, const T& fill)
    {
        int built = 0;
        try {
            for (; built < n; ++built)
                ::new (static_cast<void*>(dst + built)) T(fill);
        } catch (...) {
            allocator_detail::destroyBackwards(dst, built);
            throw;
        }
    }

    // Whether growth moves elements: when moving cannot throw (only the
    // construction counts; Ref's destructor may assert, its move cannot), or
    // when there is no copy.
    static constexpr bool MOVE_TO_RELOCATE =
        noexcept(::new (static_cast<void*>(nullptr)) T(std::declval<T&&>())) || !std::is_copy_constructible_v<T>;

    // Moves (when that cannot throw) or copies `n` elements from `src` into
    // raw storage at `dst`. On failure the copies are destroyed and `src`
    // is left intact.
    static void relocate(T* dst, T* src, int n)
    {
        if (n == 0)
            return;
        if constexpr (std::is_trivially_copyable_v<T>) {
            std::memcpy(static_cast<void*>(dst), src, sizeof(T) * static_cast<size_t>(n));
        } else {
            int built = 0;
            try {
                for (; built < n; ++built) {
                    if constexpr (MOVE_TO_RELOCATE)
                        ::new (static_cast<void*>(dst + built)) T(std::move(src[built]));
                    else
                        ::new (static_cast<void*>(dst + built)) T(std::as_const(src[built]));
                }
            } catch (...) {
                allocator_detail::destroyBackwards(dst, built);
                throw;
            }
        }
    }

    // Grows the storage for `length` elements by the growth rule; see reallocate.
    template <class ConstructTail> void growAndConstruct(int length, ConstructTail constructTail)
    {
        reallocate(getCapacity(length), length - m_len, constructTail);
    }

    // Moves the elements into new storage of `capacity` elements.
    // `constructTail(fresh)` first builds the `tailCount` elements the caller
    // appends after the current length, while the old storage (which the new
    // values may refer to) is still alive. The length is the caller's to update.
    template <class ConstructTail> void reallocate(int capacity, int tailCount, ConstructTail constructTail)
    {
        T* fresh = A::allocate(capacity);
        try {
            constructTail(fresh);
        } catch (...) {
            A::deallocate(fresh, 0); // constructTail removed its own partial work
            throw;
        }
        try {
            relocate(fresh, m_data, m_len);
        } catch (...) {
            allocator_detail::destroyBackwards(fresh + m_len, tailCount);
            A::deallocate(fresh, 0);
            throw;
        }
        T* old = std::exchange(m_data, fresh);
        m_capacity = capacity;
        if (old)
            A::deallocate(old, m_len); // moved-from or copied-from: exactly the live ones
    }

    void assignFrom(const Vector& other)
    {
        if (other.m_len > m_capacity) {
            // Build the copy aside; if a copy throws, this vector is unchanged.
            Vector copy;
            copy.m_data = A::allocate(other.m_len);
            copy.m_capacity = other.m_len;
            fillFrom(copy.m_data, other.m_data, other.m_len);
            copy.m_len = other.m_len;
            swap(copy);
            return;
        }
        const int common = m_len < other.m_len ? m_len : other.m_len;
        for (int i = 0; i < common; ++i)
            m_data[i] = other.m_data[i];
        if (other.m_len > m_len) {
            fillFrom(m_data + m_len, other.m_data + m_len, other.m_len - m_len);
            m_len = other.m_len;
        } else {
            shrinkTo(other.m_len);
        }
    }

    // Copy-constructs `n` elements from `src` into raw storage at `dst`.
    static void fillFrom(T* dst, const T* src, int n)
    {
        if constexpr (std::is_trivially_copyable_v<T>) {
            if (n > 0)
                std::memcpy(static_cast<void*>(dst), src, sizeof(T) * static_cast<size_t>(n));
        } else {
            int built = 0;
            try {
                for (; built < n; ++built)
                    ::new (static_cast<void*>(dst + built)) T(src[built]);
            } catch (...) {
                allocator_detail::destroyBackwards(dst, built);
                throw;
            }
        }
    }

    void release()
    {
        if (!m_data)
            return;
        T* p = std::exchange(m_data, nullptr);
        const int n = std::exchange(m_len, 0);
        m_capacity = 0;
        A::deallocate(p, n);
    }

    T* m_data = nullptr;
    int32_t m_len = 0;
    int32_t m_capacity = 0;
};

} // namespace core
