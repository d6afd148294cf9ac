#include "HAL/Display.h"

#include <climits>
#include <cstring>

#include "HAL/InputState.h"
#include "core/Globals.h"
#include "core/Vector.h"

namespace HAL {

Display::Factory Display::s_factory = nullptr;

namespace {

core::Vector<Display*>* displayList()
{
    return core::Globals::get()->m_displays;
}

} // namespace

Display::Factory Display::setFactory(Factory factory)
{
    const Factory previous = s_factory;
    s_factory = factory;
    return previous;
}

Display* Display::createWindowless(const DisplayConfig& config)
{
    return VORNA3D_NEW Display(config);
}

Display::Display(const DisplayConfig& config) : m_config(config)
{
    if (!m_config.hwnd) {
        ASSERT(m_config.title);
        ASSERT(m_config.width >= 0);
        ASSERT(m_config.height >= 0);
        ASSERT(m_config.color >= 0);
        if (std::strlen(m_config.title) == 0)
            throw HALException("Display constructor can not init a display because title length is 0");
    }
    core::Vector<Display*>* displays = displayList();
    ASSERT(displays);
    m_input = InputState::acquire();
    displays->add(this);
}

Display::~Display() noexcept(false)
{
    core::Vector<Display*>* displays = displayList();
    ASSERT(displays);
    const int index = displays->indexOf(this);
    if (index >= 0)
        displays->remove(index);
}

void Display::setFullscreen(bool, int8_t)
{
}

Display* Display::findDisplayByNativeDisplayHWND(const void* hwnd)
{
    core::Vector<Display*>* displayList = HAL::displayList();
    ASSERT(displayList);
    for (Display* display : *displayList) {
        ASSERT(display);
        if (display->m_config.hwnd == hwnd)
            return display;
    }
    return nullptr;
}

void Display::handleEvent(const void* hwnd, int32_t type, int32_t value1, int32_t value2)
{
    Display* display = findDisplayByNativeDisplayHWND(hwnd);
    if (display)
        display->handleEvent(type, value1, value2);
}

void Display::handleEvent(int32_t type, int32_t value1, int32_t value2)
{
    switch (type) {
    case OS_EVENT_FOCUS_LOST:
        if (!m_config.windowed)
            setFullscreen(false, 0);
        break;
    case OS_EVENT_FOCUS_GAINED:
        if (!m_config.windowed)
            setFullscreen(true, m_config.color);
        break;
    case OS_EVENT_SIZE_CHANGED:
        ASSERT(value1 >= 0 && value2 >= 0 && value1 < SHRT_MAX && value2 < SHRT_MAX);
        // A minimised window reports 0 x 0; the configuration never holds a
        // zero size, the queued event keeps what the OS said.
        m_config.width = value1 > 0 ? value1 : 1;
        m_config.height = value2 > 0 ? value2 : 1;
        break;
    case OS_EVENT_MOVED:
        ASSERT(value1 > SHRT_MIN && value2 > SHRT_MIN && value1 < SHRT_MAX && value2 < SHRT_MAX);
        m_config.x = value1;
        m_config.y = value2;
        break;
    default:
        break;
    }
    pushOSEvent(type, value1, value2);
}

void Display::pushOSEvent(int32_t type, int32_t value1, int32_t value2)
{
    ASSERT_MSG(m_count < MAX_PENDING_EVENTS, "your application does not handle os events!");
    m_events[(m_first + m_count) % MAX_PENDING_EVENTS] = OSEvent{type, value1, value2};
    ++m_count;
}

OSEvent Display::getOSEvent()
{
    if (m_count == 0)
        return OSEvent{OS_EVENT_NONE, 0, 0};
    const OSEvent event = m_events[m_first];
    m_first = (m_first + 1) % MAX_PENDING_EVENTS;
    --m_count;
    return event;
}

} // namespace HAL
