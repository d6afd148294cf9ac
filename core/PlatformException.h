#pragma once
#include "core/Exception.h"

namespace core {

// A failure of an operating-system service (a file that cannot be opened,
// read or written, a window, a device). The platform layer throws it as
// HAL::HALException; core catches it under this name.
class PlatformException : public Vorna3DException {
public:
    explicit PlatformException(const char* message) : Vorna3DException("UNKNOWN", "UNKNOWN", 0, message) { }
};

} // namespace core
