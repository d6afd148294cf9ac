#pragma once
// A request to stop a capture after the frame in hand: SIGINT and SIGTERM
// on POSIX systems (StopSignals_posix.cpp), Ctrl+C and Ctrl+Break at the
// console on Windows (StopSignals_win32.cpp, reported as SIGINT and
// SIGTERM). While a StopSignals exists the handler only records the
// request, and the previous handling comes back when it goes. One at a
// time.

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal that asked to stop (the first one), 0 while none came.
    int received() const;
};
