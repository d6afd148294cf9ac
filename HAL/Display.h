#pragma once
// The engine's window and its queue of OS events.
//
// A Display owns its configuration, the OpenGL record that the context code
// fills in, and a first-in, first-out queue of OS events that the frame loop
// drains once per iteration. Every display registers itself in the engine's
// display list (core::Globals::m_displays); the window procedure finds the
// display an OS event belongs to there.
//
// createDisplayHandle builds the platform's display, which opens a window.
// The base class is a complete display without a window: headless tools and
// the frame-loop tests run on it (see setFactory).

#include <cstdint>

#include "HAL/DisplayConfig.h"
#include "HAL/HALException.h"
#include "core/Object.h"
#include "core/Ref.h"

namespace HAL {

class InputState;

// Event types of OSEvent::type.
enum : int32_t {
    OS_EVENT_NONE = 0, // returned by an empty queue
    OS_EVENT_FOCUS_LOST = 1,
    OS_EVENT_FOCUS_GAINED = 2,
    OS_EVENT_SIZE_CHANGED = 3, // value1, value2: new client width, height
    OS_EVENT_MOVED = 4, // value1, value2: new x, y
    OS_EVENT_CLOSE = 5,
};

// One queued OS event.
struct OSEvent {
    int32_t type;
    int32_t value1;
    int32_t value2;
};

// The display's OpenGL state, filled in by OGL_1_X::init and cleared by
// OGL_1_X::deinit. All handles are null before init and after deinit.
struct OGLRecord {
    void* m_display = nullptr; // the drawing surface the context was made for
    void* m_surface = nullptr; // the window that is presented
    void* m_context = nullptr; // the rendering context
    uint32_t m_contextSwitches = 0; // times makeCurrent actually switched
};

class Display : public core::Object {
public:
    // Events that may wait in the queue; one more is a program that never
    // drains it.
    static constexpr int MAX_PENDING_EVENTS = 499;

    // Builds the display createDisplayHandle returns.
    using Factory = Display* (*)(const DisplayConfig& config);

    // Creates a display for `config` in the pool: the platform's window-backed
    // display, or what the installed factory builds. Throws what the
    // constructor throws; MemoryManagerException when the pool is full.
    static Display* createDisplayHandle(const DisplayConfig& config);

    // Replaces the factory createDisplayHandle uses (null: the platform's
    // display) and returns the previous one. For headless programs and tests.
    static Factory setFactory(Factory factory);

    // A factory for setFactory: a display without a window.
    static Display* createWindowless(const DisplayConfig& config);

    // Copies the configuration and registers the display in the engine's
    // display list (asserts " displays " without one). A display that makes
    // its own window (hwnd null) requires a title and a non-negative size and
    // colour depth, and throws HALException "Display constructor can not init
    // a display because title length is 0" for an empty title.
    explicit Display(const DisplayConfig& config);

    // Removes the display from the display list.
    ~Display() noexcept(false) override;

    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Enters (`on`) or leaves full screen; `color` is the colour depth in
    // bits for entering. A display without a window has no full screen: this
    // does nothing.
    virtual void setFullscreen(bool on, int8_t color);

    // The display whose window is `hwnd`, or null. Requires the display list
    // (" displayList ").
    static Display* findDisplayByNativeDisplayHWND(const void* hwnd);

    // Records an event for the display whose window is `hwnd`; does nothing
    // when no display owns it. See the member form.
    static void handleEvent(const void* hwnd, int32_t type, int32_t value1, int32_t value2);

    // Applies an OS event to the display and queues it unchanged. Focus lost
    // and gained leave and re-enter full screen for a full-screen display;
    // a size change (0 <= value < 32767 each) sets the configured size, a
    // zero raised to 1; a move (-32767 <= value < 32767 each) sets the
    // position. Asserts the ranges and a full queue as pushOSEvent does.
    void handleEvent(int32_t type, int32_t value1, int32_t value2);

    // Appends an event to the queue (first in, first out). Asserts
    // "your application does not handle os events!" when the queue is full.
    void pushOSEvent(int32_t type, int32_t value1, int32_t value2);

    // Removes and returns the oldest event; {0, 0, 0} when the queue is empty.
    OSEvent getOSEvent();

    int getPendingEventCount() const { return m_count; }
    const DisplayConfig& getConfig() const { return m_config; }
    OGLRecord* getOGL() { return &m_ogl; }

protected:
    DisplayConfig m_config;
    // What createDisplayHandle builds; null: the platform's display.
    static Factory s_factory;

private:
    OGLRecord m_ogl;
    // The process's keyboard and mouse state, kept alive while a window
    // can deliver input to it.
    core::Ref<InputState> m_input;
    // A fixed ring: queueing and draining never allocate.
    OSEvent m_events[MAX_PENDING_EVENTS] = {};
    int m_first = 0;
    int m_count = 0;
};

} // namespace HAL
