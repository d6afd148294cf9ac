#pragma once
// Checks that an action fails its precondition with a given report.

#include <gtest/gtest.h>

#include <string>

#include "core/Exception.h"

namespace testing_support {

// Runs `action` and succeeds when it throws AssertationFailedException with
// exactly `message`, reported from `function`.
template <class Action>::testing::AssertionResult failsWith(Action action, const char* message, const char* function)
{
    try {
        action();
    } catch (const AssertationFailedException& e) {
        const std::string got = e.getMessage() ? e.getMessage() : "(null)";
        const std::string in = e.getFunction() ? e.getFunction() : "(null)";
        if (got == message && in == function)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
            << "reported \"" << got << "\" in " << in << ", expected \"" << message << "\" in " << function;
    }
    return ::testing::AssertionFailure() << "no assertion reported, expected \"" << message << "\" in " << function;
}

} // namespace testing_support
