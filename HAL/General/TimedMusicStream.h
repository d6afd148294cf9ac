#pragma once
// A stream whose length was measured when it was opened. The back ends'
// streams add their decoder; the system that opened them owns them.

#include <cstdint>

#include "HAL/Music.h"

namespace HAL {

class TimedMusicStream : public MusicStream {
public:
    virtual ~TimedMusicStream() = default;

    // The length in whole milliseconds (the stream may last a fraction of
    // one longer).
    uint32_t getLength() const override { return static_cast<uint32_t>(lengthUs / 1000); }

    uint64_t lengthUs = 0;
};

} // namespace HAL
