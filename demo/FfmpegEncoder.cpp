#include "demo/FfmpegEncoder.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "demo/CaptureException.h"

extern char** environ;

namespace {

// ffmpeg would read a path that starts with '-' as an option.
std::string asPathArgument(const std::string& path)
{
    return !path.empty() && path[0] == '-' ? "./" + path : path;
}

bool isExecutableFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

double seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

} // namespace

std::vector<std::string> FfmpegEncoder::commandLine(const Settings& settings)
{
    const std::string size = std::to_string(settings.width) + "x" + std::to_string(settings.height);
    std::vector<std::string> args = {settings.program, "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
                                     // The frames: raw RGBA at the capture rate, the bottom row first.
                                     "-f", "rawvideo", "-pix_fmt", "rgba", "-video_size", size, "-framerate",
                                     std::to_string(settings.fps), "-i", "pipe:0"};
    if (!settings.soundtrack.empty()) {
        if (settings.soundtrackStartMs > 0) {
            // Seeking an input decodes up to the exact sample.
            char start[32];
            std::snprintf(start, sizeof start, "%u.%03u", settings.soundtrackStartMs / 1000,
                          settings.soundtrackStartMs % 1000);
            args.insert(args.end(), {"-ss", start});
        }
        args.insert(args.end(), {"-i", asPathArgument(settings.soundtrack)});
    }
    args.insert(args.end(), {"-map", "0:v:0"});
    if (!settings.soundtrack.empty())
        args.insert(args.end(), {"-map", "1:a:0"});
    // yuv420p needs an even size: an odd picture gets one black row or column.
    std::string filter = "vflip";
    if (settings.width % 2 != 0 || settings.height % 2 != 0)
        filter += ",pad=" + std::to_string(settings.width + settings.width % 2) + ":" +
            std::to_string(settings.height + settings.height % 2);
    args.insert(args.end(),
                {"-vf", filter, "-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p"});
    if (!settings.soundtrack.empty())
        args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k", "-shortest"});
    args.push_back(asPathArgument(settings.output));
    return args;
}

std::string FfmpegEncoder::findProgram(const std::string& name)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return isExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    for (;;) {
        const size_t end = folders.find(':');
        const std::string_view folder = folders.substr(0, end);
        // An empty entry means the working directory.
        std::string candidate(folder.empty() ? std::string_view(".") : folder);
        candidate += '/';
        candidate += name;
        if (isExecutableFile(candidate))
            return candidate;
        if (end == std::string_view::npos)
            return {};
        folders.remove_prefix(end + 1);
    }
}

FfmpegEncoder::FfmpegEncoder(const Settings& settings) : m_settings(settings)
{
    const std::string program = findProgram(settings.program);
    if (program.empty())
        throw CaptureException(settings.program + " not found on PATH (it encodes the video)");

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw CaptureException(std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno));

    const std::vector<std::string> args = commandLine(settings);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    // The child: the pipe's read end as standard input; default handling of
    // the signals this process ignores or catches; a process group of its own.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigset_t noMask;
    sigemptyset(&noMask);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &noMask);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);
    const int failed = posix_spawn(&m_pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (failed != 0) {
        close(fds[1]);
        m_pid = -1;
        throw CaptureException("cannot start " + program + ": " + std::strerror(failed));
    }
    m_pipe = fds[1];

    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &m_oldSigpipe);
}

FfmpegEncoder::~FfmpegEncoder()
{
    if (m_pipe >= 0)
        close(m_pipe);
    if (m_pid > 0)
        reap();
    sigaction(SIGPIPE, &m_oldSigpipe, nullptr);
}

int FfmpegEncoder::reap()
{
    int status = 0;
    rusage usage = {};
    pid_t result;
    do {
        result = wait4(m_pid, &status, 0, &usage);
    } while (result < 0 && errno == EINTR);
    m_pid = -1;
    if (result < 0)
        return -1;
    m_childCpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return status;
}

std::string FfmpegEncoder::describeStatus(int status)
{
    if (status == -1)
        return "its exit status is unknown";
    if (WIFEXITED(status))
        return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return std::string("killed by signal ") + std::to_string(WTERMSIG(status)) + " (" +
            strsignal(WTERMSIG(status)) + ")";
    return "ended abnormally";
}

void FfmpegEncoder::writeFrame(const uint8_t* rgbaBottomUp, int width, int height)
{
    if (width != m_settings.width || height != m_settings.height)
        throw CaptureException("frame of " + std::to_string(width) + "x" + std::to_string(height) + " for a video of " +
                               std::to_string(m_settings.width) + "x" + std::to_string(m_settings.height));
    if (m_pipe < 0)
        throw CaptureException("ffmpeg is not running");
    const uint8_t* data = rgbaBottomUp;
    size_t left = static_cast<size_t>(width) * static_cast<size_t>(height) * 4u;
    while (left > 0) {
        const ssize_t written = write(m_pipe, data, left);
        if (written > 0) {
            data += written;
            left -= static_cast<size_t>(written);
        } else if (written < 0 && errno == EINTR) {
            continue; // a signal came; the capture looks at it after the frame
        } else {
            const int error = errno;
            close(m_pipe);
            m_pipe = -1;
            if (error == EPIPE) {
                const int status = reap();
                throw CaptureException("ffmpeg stopped before the end of the video (" + describeStatus(status) + ")");
            }
            throw CaptureException(std::string("writing to ffmpeg failed: ") + std::strerror(error));
        }
    }
}

void FfmpegEncoder::finish()
{
    if (m_pipe >= 0) {
        close(m_pipe); // end of input: ffmpeg writes the rest and closes the file
        m_pipe = -1;
    }
    if (m_pid <= 0)
        throw CaptureException("ffmpeg is not running");
    const int status = reap();
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw CaptureException("ffmpeg failed writing " + m_settings.output + " (" + describeStatus(status) + ")");
}
