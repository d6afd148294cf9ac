#pragma once
// The frame loop: starts and stops the engine, owns the display, the
// renderer and the application, keeps time with the system clock, turns OS
// events into loop state and decides each iteration whether the application
// is updated, rendered, put to sleep or stopped. Everything runs on the
// thread that created it.
//
// Created with plain new and destroyed with delete by the program entry: it
// lives outside the pool, which it creates and destroys.

#include <cstdint>

#include "HAL/Display.h"
#include "core/Ref.h"
#include "framework/App.h"
#include "framework/FrameworkConfig.h"
#include "render/Graphics3D.h"

namespace HAL {
class System;
}

namespace framework {

class Vorna3DFramework {
public:
    // What update() asks the loop to do next.
    enum : int {
        UPDATE_RENDER = 0, // render a frame now
        UPDATE_IDLE = 1, // nothing to render this iteration
        UPDATE_STOP = 2, // stop the loop
    };

    // Time keeping, all in milliseconds of the 32-bit system clock.
    struct OSInfo {
        uint32_t startTime; // time of the last accepted iteration
        uint32_t endTime; // time read in the current iteration
        uint32_t elapsedTime; // time to account for in the current iteration
    };

    // Starts the engine with a copy of `config`, opens the display when the
    // configured size is positive and drains its events. Requires a config
    // ("vorna3DFramework failed because config parameter is 0"), a sleep time
    // >= 0 and a fixed step that is 0 or at least 1 ms. A failure prints
    // "INIT ERROR : ..." (or "FATAL UNKNOWN INIT ERROR") on standard output,
    // stops the engine again when it had fully started, and is rethrown.
    explicit Vorna3DFramework(const FrameworkConfig* config);

    // Releases the application, then the renderer, then the display, and
    // stops the engine. Every step runs even when an earlier one throws; the
    // first exception is then rethrown after printing
    // "FATAL UNKNOWN DEINIT ERROR".
    ~Vorna3DFramework() noexcept(false);

    Vorna3DFramework(const Vorna3DFramework&) = delete;
    Vorna3DFramework& operator=(const Vorna3DFramework&) = delete;

    // Sets the renderer and binds it to the display with the configured
    // graphics settings; creates the application's device when the
    // application is already set and has none yet.
    void setGraphics3D(render::Graphics3D* g3d);

    // Sets the application and logs the library build check; creates its
    // device when the renderer is already set and the device is not created.
    void setApp(App* app);

    // Runs iterations until the application or the OS asks to stop; renders
    // whenever an iteration asks for it. Throws what the application throws;
    // asserts "vorna3DFramework render failed because g3d is 0" when a frame
    // is due without a renderer.
    void gameLoop();

    // One iteration: OS events, time keeping, device reset, sleep mode and
    // the application's updates. `externalTimeStep` >= 0 replaces the
    // measured time by that many seconds; the loop passes -1. Returns
    // UPDATE_RENDER, UPDATE_IDLE or UPDATE_STOP.
    int update(float externalTimeStep);

    // Renders the application's frame. Requires a renderer when an
    // application is set.
    void render();

    // Drains the display's event queue into the loop state (focus, size,
    // close). Without a display there are no events.
    void checkOSEvents();

    const FrameworkConfig& getConfig() const { return m_config; }
    const OSInfo& getOSInfo() const { return m_osInfo; }
    HAL::Display* getDisplay() const { return m_display.get(); }
    render::Graphics3D* getGraphics3D() const { return m_g3d.get(); }
    App* getApp() const { return m_app.get(); }
    bool isSleeping() const { return m_sleeping != 0; }
    bool isQuitRequested() const { return m_quitRequested != 0; }

private:
    static HAL::System& system();
    // The part of construction after the engine services have started.
    void startEngine();
    void stopEngineAfterFailedStart();
    void createAppDevice();
    void resetDevice();
    // Pumps the OS messages; latches a quit, so it is seen by every later
    // check. Returns whether the program keeps running.
    bool pumpOSMessages();
    // Restarts the time keeping at the current time.
    void restartClock();

    FrameworkConfig m_config;
    float m_fixedTimeStep = 0.0f;
    float m_minFrameTime = 0.0f;
    OSInfo m_osInfo = {};
    int32_t m_sleepTimeIfGameFocusIsLost = 0;
    uint8_t m_sleeping = 0;
    uint8_t m_quitRequested = 0;
    uint8_t m_deviceLost = 0;
    core::Ref<App> m_app;
    core::Ref<HAL::Display> m_display;
    core::Ref<render::Graphics3D> m_g3d;
    uint8_t m_initialized = 0;
};

} // namespace framework
