#pragma once
#include "core/Exception.h"

namespace HAL {

// A failure of the platform layer (files, window, context, devices).
class HALException : public Vorna3DException {
public:
    explicit HALException(const char* message) : Vorna3DException("UNKNOWN", "UNKNOWN", 0, message) {}
};

} // namespace HAL
