#pragma once
#include "HAL/Mutex.h"

namespace HAL {

// The mutex on Windows: an unnamed semaphore with initial and maximum count
// 1. Not recursive: the same thread locking twice blocks.
class Win32Mutex : public Mutex {
public:
    // Creates the semaphore; asserts " m_semHandle != 0 " when that fails.
    Win32Mutex();
    // Requires that the mutex is not held (" lock( 0 ) "); closes the handle.
    ~Win32Mutex() noexcept(false) override;

    Win32Mutex(const Win32Mutex&) = delete;
    Win32Mutex& operator=(const Win32Mutex&) = delete;

    // True when the semaphore was taken (or abandoned) within `timeoutMs`.
    bool lock(uint32_t timeoutMs) override;
    void lock() override;
    // Releases one count; a free mutex stays free.
    void unlock() override;

private:
    void* m_semHandle = nullptr;
};

} // namespace HAL
