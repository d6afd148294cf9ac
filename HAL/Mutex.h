#pragma once
// The platform's mutex: the lock core's memory manager takes (see
// core::PlatformMutex for the operations). It guards the pool, so it is
// created before the pool exists and lives on the general heap.

#include <memory>

#include "core/PlatformMutex.h"

namespace HAL {

class Mutex : public core::PlatformMutex {
public:
    // Creates the platform's mutex, unlocked.
    static std::unique_ptr<Mutex> create();
};

} // namespace HAL
