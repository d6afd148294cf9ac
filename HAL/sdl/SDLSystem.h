#pragma once
#include "HAL/System.h"

namespace HAL {

// The system object on Linux: a monotonic clock, sleeping, and the SDL
// message pump, which also takes the quit signals a display records.
class SDLSystem : public System {
public:
    explicit SDLSystem(bool createConsole);

    uint32_t getTime() override;
    void sleep(int32_t ms) override;
    bool pumpMessages() override;

private:
    bool m_quitSeen = false;
};

} // namespace HAL
