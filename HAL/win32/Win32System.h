#pragma once
#include "HAL/System.h"

namespace HAL {

// The system object on Windows: the performance counter (the tick count
// when it fails), Sleep, and the window message pump, which also reports
// the console's quit requests (Ctrl+C, closing the console).
class Win32System : public System {
public:
    // Reads the counter's frequency, seeds rand, and with `createConsole`
    // attaches to the parent's console or opens one.
    explicit Win32System(bool createConsole);

    uint32_t getTime() override;
    void sleep(int32_t ms) override;
    bool pumpMessages() override;

    // Milliseconds of `count` ticks at `frequency` ticks a second, wrapped
    // to 32 bits, without overflowing the 64-bit product.
    static uint32_t ticksToMilliseconds(int64_t count, int64_t frequency);

private:
    int64_t m_frequency = 0; // 0: the counter is not usable, the tick count is
    bool m_quitSeen = false;
};

} // namespace HAL
