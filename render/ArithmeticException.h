#pragma once
// A numeric operation without a valid result (a singular transform, a
// degenerate projection). Carries only its message.

#include "core/Exception.h"

namespace render {

class ArithmeticException : public Vorna3DException {
public:
    explicit ArithmeticException(const char* message) : Vorna3DException("UNKNOWN", "UNKNOWN", 0, message) { }
};

} // namespace render
