#pragma once
// A fixture that starts the engine before each test and stops it after,
// failing the test when pool blocks are still allocated at shut-down: every
// test built on it is also a leak test.

#include <gtest/gtest.h>

#include "framework/FrameworkConfig.h"

namespace testing_support {

class EngineTest : public ::testing::Test {
protected:
    // Adjusts the configuration before start-up (a small pool by default).
    virtual void configure(framework::FrameworkConfig& config);

    void SetUp() override;
    void TearDown() override;

    // Blocks allocated from the pool right now, beyond those the started
    // engine holds itself (the display list).
    static int allocatedBlocks();

private:
    static int s_engineBlocks;
};

} // namespace testing_support
