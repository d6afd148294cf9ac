#pragma once
// Captures what the engine writes to standard output (the log's console) while in scope.

#include <string>

namespace testing_support {

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    // Stops capturing and returns everything written since construction.
    std::string text();

private:
    bool m_capturing = true;
    std::string m_text;
};

} // namespace testing_support
