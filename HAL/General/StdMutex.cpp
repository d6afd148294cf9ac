#include "HAL/General/StdMutex.h"

#include <chrono>

#include "core/Assert.h"

namespace HAL {

#ifndef _WIN32 // Windows locks with a semaphore (HAL/win32/Win32Mutex.cpp)
std::unique_ptr<Mutex> Mutex::create()
{
    return std::make_unique<StdMutex>();
}
#endif

StdMutex::~StdMutex() noexcept(false)
{
    // A mutex must not be held when it dies.
    ASSERT(lock( 0 ));
}

bool StdMutex::lock(uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> guard(m_guard);
    if (!m_released.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return !m_locked; }))
        return false;
    m_locked = true;
    return true;
}

void StdMutex::lock()
{
    std::unique_lock<std::mutex> guard(m_guard);
    m_released.wait(guard, [this] { return !m_locked; });
    m_locked = true;
}

void StdMutex::unlock()
{
    {
        std::lock_guard<std::mutex> guard(m_guard);
        if (!m_locked)
            return; // an extra unlock is ignored, as a semaphore at its maximum would
        m_locked = false;
    }
    m_released.notify_one();
}

} // namespace HAL
