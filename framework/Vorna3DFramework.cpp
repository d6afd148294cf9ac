#include "framework/Vorna3DFramework.h"

#include <cstdio>
#include <exception>

#include "HAL/System.h"
#include "core/Debug.h"
#include "core/Globals.h"
#include "framework/App_helpers.h"

namespace framework {

namespace {

// Largest millisecond count that still fits the 32-bit clock arithmetic.
constexpr float MAX_STEP_MS = 4294967040.0f;

// Construction and destruction errors go straight to standard output: the
// log may not exist (yet, or any more) when they happen.
void printDirect(const char* text)
{
    std::fputs(text, stdout);
    std::fflush(stdout);
}

} // namespace

Vorna3DFramework::Vorna3DFramework(const FrameworkConfig* config)
{
    ASSERT_MSG(config, "vorna3DFramework failed because config parameter is 0");
    m_config = *config;

    bool engineStarted = false;
    try {
        initEngineClasses(&m_config);
        engineStarted = true;
        core::Globals::get()->m_g3d.clear();
        startEngine();
    } catch (const Vorna3DException& e) {
        std::printf("INIT ERROR : %s FILE : %s LINE : %d\n", e.what(), e.getFile() ? e.getFile() : "UNKNOWN",
                    static_cast<int>(e.getLine()));
        std::fflush(stdout);
        if (engineStarted)
            stopEngineAfterFailedStart();
        throw;
    } catch (...) {
        printDirect("FATAL UNKNOWN INIT ERROR\n");
        if (engineStarted)
            stopEngineAfterFailedStart();
        throw;
    }
    m_initialized = 1;
}

void Vorna3DFramework::startEngine()
{
    if (m_config.display.width > 0 && m_config.display.height > 0) {
        m_display = HAL::Display::createDisplayHandle(m_config.display);
        ASSERT(m_display);
        while (m_display->getOSEvent().type != HAL::OS_EVENT_NONE) { }
    }

    m_fixedTimeStep = m_config.fixedTimeStep;
    m_minFrameTime = m_config.minFrameTime;
    m_sleepTimeIfGameFocusIsLost = m_config.sleepTimeIfGameFocusIsLost;
    ASSERT_MSG(m_sleepTimeIfGameFocusIsLost >= 0, "m_sleepTimeIfGameFocusIsLost has invalid value");
    // A step under 1 ms would be 0 ms on the clock and never use up any time.
    if (m_fixedTimeStep > 0.0f) {
        const float stepMs = m_fixedTimeStep * 1000.0f;
        ASSERT_MSG(stepMs >= 1.0f && stepMs <= MAX_STEP_MS, "fixedTimeStep has invalid value");
    }
    m_osInfo = OSInfo{};
    restartClock();
}

void Vorna3DFramework::stopEngineAfterFailedStart()
{
    // A framework whose constructor throws is never destroyed: the engine it
    // started must not outlive it. The construction error is the one that
    // matters; a failure while stopping is dropped.
    try {
        m_display = nullptr;
    } catch (...) {
    }
    try {
        deInitEngineClasses();
    } catch (...) {
    }
}

Vorna3DFramework::~Vorna3DFramework() noexcept(false)
{
    if (!m_initialized)
        return;
    // Every step runs even when an earlier one fails, so that a failing
    // application still leaves the engine stopped; the first failure is
    // reported and rethrown at the end.
    std::exception_ptr failure;
    auto step = [&failure](auto&& action) {
        try {
            action();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    };
    step([this] { m_app = nullptr; });
    step([this] { m_g3d = nullptr; });
    step([this] { m_display = nullptr; });
    step([] { deInitEngineClasses(); });
    m_initialized = 0;
    if (failure) {
        printDirect("FATAL UNKNOWN DEINIT ERROR\n");
        std::rethrow_exception(failure);
    }
}

HAL::System& Vorna3DFramework::system()
{
    HAL::System* system = core::Globals::get()->m_system;
    ASSERT(system);
    return *system;
}

void Vorna3DFramework::restartClock()
{
    m_osInfo.startTime = system().getTime();
}

void Vorna3DFramework::setGraphics3D(render::Graphics3D* g3d)
{
    m_g3d = g3d;
    if (!m_g3d)
        return;
    m_g3d->configGraphics3D(m_display.get(), m_config.graphics);
    if (m_app && !m_app->m_deviceCreated)
        createAppDevice();
}

void Vorna3DFramework::setApp(App* app)
{
    m_app = app;
    if (!m_app)
        return;
    printLibraryBuildInfo();
    if (m_g3d && !m_app->m_deviceCreated)
        createAppDevice();
}

void Vorna3DFramework::createAppDevice()
{
    m_app->createDevice(*m_g3d);
    m_app->m_deviceCreated = 1;
    // Loading takes as long as it takes; the application is not made to
    // catch up on it in its first frame.
    restartClock();
}

void Vorna3DFramework::gameLoop()
{
    core::Debug::printf(core::DEBUG_LEVEL_FRAMEWORK, "Framework: win32GameLoop started\n");
    for (;;) {
        const int result = update(-1.0f);
        if (result == UPDATE_RENDER) {
            if (m_app)
                render();
        } else if (result == UPDATE_STOP) {
            core::Debug::printf(core::DEBUG_LEVEL_FRAMEWORK, "Framework: stopped\n");
            return;
        }
    }
}

void Vorna3DFramework::render()
{
    if (!m_app)
        return;
    ASSERT_MSG(m_g3d, "vorna3DFramework render failed because g3d is 0");
    m_app->render(*m_g3d);
}

bool Vorna3DFramework::pumpOSMessages()
{
    if (!system().pumpMessages())
        m_quitRequested = 1;
    return !m_quitRequested;
}

void Vorna3DFramework::resetDevice()
{
    // A device that was never created has nothing to lose or rebuild.
    if (!m_app->m_deviceCreated || !m_g3d)
        return;
    core::Debug::printf(core::DEBUG_LEVEL_FRAMEWORK, "Framework : lostDevice");
    m_app->lostDevice();
    core::Debug::printf(core::DEBUG_LEVEL_FRAMEWORK, "Framework : resetDevice");
    m_g3d->resetGraphics3D();
    m_app->resetDevice(*m_g3d);
}

int Vorna3DFramework::update(float externalTimeStep)
{
    checkOSEvents();

    // Without an application there is nothing to advance; a close or a quit
    // still ends the loop.
    if (!m_app)
        return (m_quitRequested || !pumpOSMessages()) ? UPDATE_STOP : UPDATE_RENDER;

    // Unsigned 32-bit arithmetic: correct across the clock's wrap-around.
    const uint32_t now = system().getTime();
    m_osInfo.endTime = now;
    m_osInfo.elapsedTime = now - m_osInfo.startTime;

    const bool external = externalTimeStep >= 0.0f;
    if (external) {
        const float stepMs = externalTimeStep * 1000.0f;
        ASSERT_MSG(stepMs <= MAX_STEP_MS, "externalTimeStep has invalid value");
        m_sleeping = 0;
        m_osInfo.elapsedTime = static_cast<uint32_t>(stepMs);
    }

    if (m_deviceLost) {
        resetDevice();
        m_deviceLost = 0;
        restartClock();
        return UPDATE_IDLE;
    }

    if (m_osInfo.elapsedTime == 0)
        return UPDATE_IDLE;

    // Compared in float milliseconds: 5 ms must satisfy a 0.005f minimum
    // (0.005f * 1000.0f is exactly 5.0f) and 4 ms a 0.004f one.
    if (m_minFrameTime > 0.0f && static_cast<float>(m_osInfo.elapsedTime) < m_minFrameTime * 1000.0f)
        return UPDATE_IDLE; // startTime stays: the time keeps accumulating

    // The measured time was checked above; an external step may come twice
    // within the same millisecond.
    if (!external)
        ASSERT((m_osInfo.endTime - m_osInfo.startTime) > 0);

    m_osInfo.startTime = now;

    // A close request wins over sleep mode: a window closed while it lacks
    // the focus must still end the program.
    if (m_quitRequested)
        return UPDATE_STOP;

    if (m_sleeping && m_sleepTimeIfGameFocusIsLost != 0) {
        system().sleep(m_sleepTimeIfGameFocusIsLost);
        return pumpOSMessages() ? UPDATE_IDLE : UPDATE_STOP;
    }

    bool finalUpdate = true;
    if (m_fixedTimeStep > 0.0f) {
        // In float: in double 0.005f * 1000 is 4.99999... and would truncate to 4.
        const uint32_t stepMs = static_cast<uint32_t>(m_fixedTimeStep * 1000.0f);
        bool stepped = false;
        while (m_osInfo.elapsedTime > stepMs) {
            if (!pumpOSMessages())
                return UPDATE_STOP;
            if (!m_app->update(m_fixedTimeStep))
                return UPDATE_STOP;
            m_osInfo.elapsedTime -= stepMs;
            stepped = true;
        }
        // A small remainder after whole steps is dropped.
        if (stepped && m_osInfo.elapsedTime <= 10)
            finalUpdate = false;
    }

    if (!pumpOSMessages())
        return UPDATE_STOP;

    if (finalUpdate) {
        // Through double, so that 5 ms arrive as the float nearest 0.005.
        const float seconds = static_cast<float>(static_cast<double>(m_osInfo.elapsedTime) * 0.001);
        if (!m_app->update(seconds))
            return UPDATE_STOP;
    }
    return UPDATE_RENDER;
}

void Vorna3DFramework::checkOSEvents()
{
    // A framework configured without a display has no OS events.
    if (!m_display)
        return;
    for (;;) {
        const HAL::OSEvent event = m_display->getOSEvent();
        switch (event.type) {
        case HAL::OS_EVENT_NONE:
            return;
        case HAL::OS_EVENT_FOCUS_LOST:
            if (m_sleepTimeIfGameFocusIsLost != 0) {
                core::Debug::printf(core::DEBUG_LEVEL_FRAMEWORK, "* sleep mode activated (sleep time = %d ms) *\n",
                                    m_sleepTimeIfGameFocusIsLost);
                m_sleeping = 1;
            }
            break;
        case HAL::OS_EVENT_FOCUS_GAINED:
            if (m_sleepTimeIfGameFocusIsLost != 0) {
                if (m_sleeping) {
                    core::Debug::printf(core::DEBUG_LEVEL_FRAMEWORK, "* sleep mode deactivated *\n");
                    // The clock restarts: the time asleep is not the application's.
                    const uint32_t now = system().getTime();
                    m_osInfo.endTime = now;
                    m_osInfo.elapsedTime = now - m_osInfo.startTime;
                    m_osInfo.startTime = now;
                }
                m_sleeping = 0;
            }
            break;
        case HAL::OS_EVENT_SIZE_CHANGED:
            core::Debug::printf(core::DEBUG_LEVEL_FRAMEWORK, "* windows size changed");
            m_deviceLost = 1;
            break;
        case HAL::OS_EVENT_CLOSE:
            m_quitRequested = 1;
            break;
        default: // moved, and anything unknown: nothing to do
            break;
        }
    }
}

} // namespace framework
