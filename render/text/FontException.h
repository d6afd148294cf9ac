#pragma once
// A font description or font image that cannot be used. Carries only its message.

#include "core/Exception.h"

namespace render {

class FontException : public Vorna3DException {
public:
    explicit FontException(const char* message) : Vorna3DException("UNKNOWN", "UNKNOWN", 0, message) { }
};

} // namespace render
