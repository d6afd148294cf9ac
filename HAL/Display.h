#pragma once
// The engine's window and its queue of OS events.
//
// This display keeps the configuration and the event queue but opens no
// window: it is what createDisplayHandle returns until the platform layer's
// window-backed display takes its place. Headless programs and tests run on
// it unchanged. The frame loop relies only on what is declared here.

#include <cstdint>
#include <cstring>

#include "HAL/DisplayConfig.h"
#include "HAL/HALException.h"
#include "core/Object.h"

namespace HAL {

// Event types of OSEvent::type.
enum : int32_t {
    OS_EVENT_NONE = 0,          // returned by an empty queue
    OS_EVENT_FOCUS_LOST = 1,
    OS_EVENT_FOCUS_GAINED = 2,
    OS_EVENT_SIZE_CHANGED = 3,  // value1, value2: new client width, height
    OS_EVENT_MOVED = 4,         // value1, value2: new x, y
    OS_EVENT_CLOSE = 5,
};

// One queued OS event.
struct OSEvent {
    int32_t type;
    int32_t value1;
    int32_t value2;
};

class Display : public core::Object {
public:
    // Events that may wait in the queue; one more is a program that never
    // drains it.
    static constexpr int MAX_PENDING_EVENTS = 499;

    // Creates a display for `config` in the pool. Throws what the constructor
    // throws; MemoryManagerException when the pool is full.
    static Display* createDisplayHandle(const DisplayConfig& config) { return VORNA3D_NEW Display(config); }

    // Copies the configuration. Requires a title and a non-negative size;
    // throws HALException for an empty title.
    explicit Display(const DisplayConfig& config) : m_config(config)
    {
        ASSERT(m_config.title);
        ASSERT(m_config.width >= 0);
        ASSERT(m_config.height >= 0);
        if (std::strlen(m_config.title) == 0)
            throw HALException("Display constructor can not init a display because title length is 0");
    }

    const DisplayConfig& getConfig() const { return m_config; }

    // Appends an event to the queue (first in, first out). Asserts
    // "your application does not handle os events!" when the queue is full.
    void pushOSEvent(int32_t type, int32_t value1, int32_t value2)
    {
        ASSERT_MSG(m_count < MAX_PENDING_EVENTS, "your application does not handle os events!");
        m_events[(m_first + m_count) % MAX_PENDING_EVENTS] = OSEvent{type, value1, value2};
        ++m_count;
    }

    // Removes and returns the oldest event; {0, 0, 0} when the queue is empty.
    OSEvent getOSEvent()
    {
        if (m_count == 0)
            return OSEvent{OS_EVENT_NONE, 0, 0};
        const OSEvent event = m_events[m_first];
        m_first = (m_first + 1) % MAX_PENDING_EVENTS;
        --m_count;
        return event;
    }

    int getPendingEventCount() const { return m_count; }

private:
    DisplayConfig m_config;
    // A fixed ring: queueing and draining never allocate.
    OSEvent m_events[MAX_PENDING_EVENTS] = {};
    int m_first = 0;
    int m_count = 0;
};

} // namespace HAL
