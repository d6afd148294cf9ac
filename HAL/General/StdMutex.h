#pragma once
#include <condition_variable>
#include <mutex>

#include "HAL/Mutex.h"

namespace HAL {

// A binary semaphore from the standard library: a flag guarded by a mutex,
// with a condition variable for the waiters. Not recursive.
class StdMutex : public Mutex {
public:
    StdMutex() = default;
    ~StdMutex() noexcept(false) override;

    bool lock(uint32_t timeoutMs) override;
    void lock() override;
    void unlock() override;

private:
    std::mutex m_guard;
    std::condition_variable m_released;
    bool m_locked = false;
};

} // namespace HAL
