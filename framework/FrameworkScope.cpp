#include "framework/FrameworkScope.h"

#include <exception>

#include "core/Assert.h"
#include "framework/Vorna3DFramework.h"

namespace framework {

FrameworkScope::FrameworkScope(const FrameworkConfig& config)
    : m_framework(new Vorna3DFramework(&config)), m_uncaughtAtStart(std::uncaught_exceptions())
{
}

FrameworkScope::FrameworkScope(Vorna3DFramework* framework)
    : m_framework(framework), m_uncaughtAtStart(std::uncaught_exceptions())
{
}

FrameworkScope::~FrameworkScope() noexcept(false)
{
    if (std::uncaught_exceptions() > m_uncaughtAtStart) {
        try {
            stop();
        } catch (...) {
        }
        return;
    }
    stop();
}

Vorna3DFramework* FrameworkScope::operator->() const
{
    ASSERT(m_framework);
    return m_framework;
}

Vorna3DFramework& FrameworkScope::operator*() const
{
    ASSERT(m_framework);
    return *m_framework;
}

Vorna3DFramework* FrameworkScope::release()
{
    Vorna3DFramework* framework = m_framework;
    m_framework = nullptr;
    return framework;
}

void FrameworkScope::stop()
{
    Vorna3DFramework* framework = release();
    delete framework;
}

} // namespace framework
