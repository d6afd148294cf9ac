#pragma once
// The text of the assertion an action fails with, for tests that check a
// precondition's report.

#include <optional>
#include <string>

#include "core/Exception.h"
#include "tests/support/LogCapture.h"

namespace testing_support {

// Runs `action` and returns the message of the AssertationFailedException it
// throws: "" when it throws none, "(null)" for a report without a message.
// What the failed check logs is kept off the console; `quiet` = false leaves
// the console alone, for callers that capture it themselves (only one
// capture can run at a time).
template <class Action> std::string assertionText(Action action, bool quiet = true)
{
    std::optional<LogCapture> console;
    if (quiet)
        console.emplace();
    try {
        action();
    } catch (const AssertationFailedException& e) {
        return e.getMessage() ? e.getMessage() : "(null)";
    }
    return "";
}

} // namespace testing_support
