#pragma once
// A non-recursive lock with a timed variant: the same thread locking twice
// blocks. It guards the memory manager, so it is created before the pool
// exists and lives on the general heap.

#include <cstdint>
#include <memory>

namespace HAL {

class Mutex {
public:
    // Creates the platform's mutex, unlocked.
    static std::unique_ptr<Mutex> create();
    // Requires that the mutex is not held; asserts " lock( 0 ) " otherwise.
    virtual ~Mutex() noexcept(false) = default;

    // Waits up to `timeoutMs` milliseconds; true when the lock was taken.
    virtual bool lock(uint32_t timeoutMs) = 0;
    // Waits until the lock is taken.
    virtual void lock() = 0;
    // Releases the lock; releasing a free lock does nothing.
    virtual void unlock() = 0;
};

} // namespace HAL
