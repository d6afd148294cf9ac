#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

namespace testing_support {

LogCapture::LogCapture()
{
    testing::internal::CaptureStdout();
}

LogCapture::~LogCapture()
{
    if (m_capturing)
        testing::internal::GetCapturedStdout();
}

std::string LogCapture::text()
{
    if (m_capturing) {
        m_text = testing::internal::GetCapturedStdout();
        m_capturing = false;
    }
    return m_text;
}

} // namespace testing_support
