#pragma once
// A non-recursive lock with a timed variant: the same thread locking twice
// blocks. Core only names this interface; the platform layer implements it
// (HAL::Mutex) and hands it over through PlatformServices.

#include <cstdint>

namespace core {

class PlatformMutex {
public:
    // Requires that the mutex is not held; implementations assert " lock( 0 ) ".
    virtual ~PlatformMutex() noexcept(false) = default;

    // Waits up to `timeoutMs` milliseconds; true when the lock was taken.
    virtual bool lock(uint32_t timeoutMs) = 0;
    // Waits until the lock is taken.
    virtual void lock() = 0;
    // Releases the lock; releasing a free lock does nothing.
    virtual void unlock() = 0;
};

} // namespace core
