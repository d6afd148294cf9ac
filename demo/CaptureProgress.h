#pragma once
// The capture's progress: frame, percent of the frames expected, frames
// per second and time left. On a terminal one line rewritten in place
// ('\r') at most four times a second, ended with a newline; elsewhere (a
// log file, CI) a plain line at every 10% of the frames expected (at the
// end alone when they are unknown).

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

class CaptureProgress {
public:
    // `expectedFrames`: how many frames the capture should take (0: unknown,
    // no percent and no time left). `terminal`: whether `out` is one (by
    // default, as isTerminal says).
    CaptureProgress(std::FILE* out, uint32_t expectedFrames);
    CaptureProgress(std::FILE* out, uint32_t expectedFrames, bool terminal);

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
    bool m_terminal;
    uint32_t m_tenthsPrinted = 0; // not a terminal: the 10% steps printed
    bool m_finished = false;
    size_t m_lastLength = 0;
};
