#pragma once
#include "core/PlatformMutex.h"
#include "core/Assert.h"

namespace core {

// Holds a mutex for the lifetime of the scope, also when an exception leaves it.
class MutexLock {
public:
    // Locks `mutex`. Requires a mutex; asserts "mutex != 0".
    explicit MutexLock(PlatformMutex* mutex) : m_mutex(mutex)
    {
        ASSERT_MSG(m_mutex != nullptr, "mutex != 0");
        m_mutex->lock();
    }
    ~MutexLock() { m_mutex->unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    PlatformMutex* m_mutex;
};

} // namespace core
