#pragma once
#include "core/PlatformException.h"

namespace HAL {

// A failure of the platform layer (files, window, context, devices).
class HALException : public core::PlatformException {
public:
    explicit HALException(const char* message) : core::PlatformException(message) { }
};

} // namespace HAL
