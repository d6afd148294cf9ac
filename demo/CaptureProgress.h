#pragma once
// The capture's progress line on a terminal stream: frame, percent of the
// frames expected, frames per second and time left, rewritten in place
// ('\r') at most four times a second, ended with a newline.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

class CaptureProgress {
public:
    // `expectedFrames`: how many frames the capture should take (0: unknown,
    // no percent and no time left).
    CaptureProgress(std::FILE* out, uint32_t expectedFrames);

    // `frames` frames are done; prints when the last line is old enough.
    void update(uint32_t frames);
    // Prints the final line for `frames` and a newline (once).
    void finish(uint32_t frames);

    // One line's text for `frames` done of `expected` (0: unknown) after
    // `seconds` of capturing.
    static std::string line(uint32_t frames, uint32_t expected, double seconds);

private:
    void print(uint32_t frames);

    std::FILE* m_out;
    uint32_t m_expected;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastPrint;
    bool m_printed = false;
    bool m_finished = false;
    size_t m_lastLength = 0;
};
