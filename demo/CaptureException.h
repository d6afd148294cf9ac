#pragma once
// A capture that cannot go on: the encoder cannot be started or went away,
// the output cannot be written. The message is one line that names the
// cause, meant to be printed as it is.

#include <string>

#include "core/Exception.h"

class CaptureException : public Vorna3DException {
public:
    explicit CaptureException(const std::string& message) : Vorna3DException("UNKNOWN", "UNKNOWN", 0, message.c_str())
    {
    }
};
