#pragma once
// SIGINT and SIGTERM as a request to stop a capture after the frame in
// hand: while a StopSignals exists their handler only records the signal,
// and the previous handlers come back when it goes. One at a time.

#include <signal.h>

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal that asked to stop (the first one), 0 while none came.
    int received() const;

private:
    struct sigaction m_oldInt = {};
    struct sigaction m_oldTerm = {};
};
