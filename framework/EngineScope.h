#pragma once
// The engine services for the lifetime of a scope, for programs that use the
// engine without the frame loop (tools, tests, benchmarks): started when the
// scope is made, always stopped when it ends.

#include "framework/FrameworkConfig.h"

namespace framework {

class EngineScope {
public:
    // Starts the engine services (initEngineClasses) with `config`; null
    // uses the defaults. Throws what the start throws; nothing is left
    // started then.
    explicit EngineScope(const FrameworkConfig* config = nullptr);

    // Stops the services unless stop() did. A failure to stop is thrown,
    // except while another exception unwinds the scope: that one is the
    // error to report, and the shut-down's is dropped.
    ~EngineScope() noexcept(false);

    EngineScope(const EngineScope&) = delete;
    EngineScope& operator=(const EngineScope&) = delete;

    // Stops the services now (deInitEngineClasses), so that a program can
    // report a failed shut-down itself; later calls do nothing. Every engine
    // object must have been released. Throws what the shut-down throws; the
    // scope counts as stopped all the same.
    void stop();

private:
    int m_uncaughtAtStart;
    bool m_running = false;
};

} // namespace framework
