#include "framework/EngineScope.h"

#include <exception>

#include "framework/App_helpers.h"

namespace framework {

EngineScope::EngineScope(const FrameworkConfig* config) : m_uncaughtAtStart(std::uncaught_exceptions())
{
    initEngineClasses(config);
    m_running = true;
}

EngineScope::~EngineScope() noexcept(false)
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

void EngineScope::stop()
{
    if (!m_running)
        return;
    m_running = false;
    deInitEngineClasses();
}

} // namespace framework
