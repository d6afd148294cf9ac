#pragma once
// FfmpegChild: the encoder program running as a child process with a pipe
// on its standard input, the part of FfmpegEncoder that differs between
// systems (FfmpegChild_posix.cpp, FfmpegChild_win32.cpp). The child runs
// apart from the terminal's interrupt (a process group of its own), so a
// Ctrl+C reaches only the capture, which then closes the pipe and lets the
// child finish a playable file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class FfmpegChild {
public:
    // The full path of the program `name` on PATH (`name` itself when it
    // names a folder and is an executable file; on Windows ".exe" is added
    // to a name without an extension); empty when there is none.
    static std::string findProgram(const std::string& name);

    // Starts `path` (found by findProgram) with `args` (args[0] the program
    // name as given) and a pipe on its standard input; its output and errors
    // go where this process's go. Throws CaptureException when it cannot
    // start.
    FfmpegChild(const std::string& path, const std::vector<std::string>& args);
    // Closes the pipe and waits for the child (never throws).
    ~FfmpegChild();
    FfmpegChild(const FfmpegChild&) = delete;
    FfmpegChild& operator=(const FfmpegChild&) = delete;

    // Writes `size` bytes down the pipe. Throws CaptureException when the
    // child has gone (naming its exit status) or the write fails.
    void write(const uint8_t* data, size_t size);
    // Closes the pipe (end of input) and waits for the child. Returns empty
    // when it exited with 0, otherwise how it ended ("exit status 1",
    // "killed by signal 9 (Killed)"). Throws CaptureException when it is no
    // longer running.
    std::string finish();

    // The child's CPU time (user + system, seconds), known once it has ended.
    double cpuSeconds() const { return m_cpuSeconds; }

private:
    // Waits for the child; returns how it ended, empty for exit status 0.
    std::string reap();
    void closePipe();

    intptr_t m_process = -1; // a pid, or a process HANDLE
    intptr_t m_pipe = -1; // a file descriptor, or the pipe's write HANDLE
    double m_cpuSeconds = 0.0;
    bool m_running = false;
};
