#include "HAL/win32/Win32Mutex.h"

#include <windows.h>

#include "core/Assert.h"

namespace HAL {

std::unique_ptr<Mutex> Mutex::create()
{
    return std::make_unique<Win32Mutex>();
}

Win32Mutex::Win32Mutex() : m_semHandle(CreateSemaphoreW(nullptr, 1, 1, nullptr))
{
    ASSERT(m_semHandle != 0);
}

Win32Mutex::~Win32Mutex() noexcept(false)
{
    ASSERT(m_semHandle != 0);
    // A mutex must not be held when it dies.
    const bool free = lock(0);
    CloseHandle(m_semHandle);
    m_semHandle = nullptr;
    ASSERT_MSG(free, " lock( 0 ) ");
}

bool Win32Mutex::lock(uint32_t timeoutMs)
{
    ASSERT(m_semHandle != 0);
    const DWORD result = WaitForSingleObject(m_semHandle, timeoutMs == INFINITE ? INFINITE - 1 : timeoutMs);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

void Win32Mutex::lock()
{
    ASSERT(m_semHandle != 0);
    WaitForSingleObject(m_semHandle, INFINITE);
}

void Win32Mutex::unlock()
{
    ASSERT(m_semHandle != 0);
    // At its maximum count the semaphore refuses: releasing a free lock
    // does nothing.
    ReleaseSemaphore(m_semHandle, 1, nullptr);
}

} // namespace HAL
