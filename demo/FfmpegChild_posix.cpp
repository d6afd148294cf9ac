#include "demo/FfmpegChild.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>

#include "demo/CaptureException.h"

extern char** environ;

namespace {

// SIGPIPE is ignored while any child exists (a vanished child shows up as
// EPIPE), and its earlier handling comes back with the last one.
std::mutex g_sigpipeLock;
int g_children = 0;
struct sigaction g_oldSigpipe = {};

void ignoreSigpipe()
{
    const std::lock_guard<std::mutex> guard(g_sigpipeLock);
    if (g_children++ > 0)
        return;
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &g_oldSigpipe);
}

void restoreSigpipe()
{
    const std::lock_guard<std::mutex> guard(g_sigpipeLock);
    if (--g_children == 0)
        sigaction(SIGPIPE, &g_oldSigpipe, nullptr);
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

std::string describeStatus(int status)
{
    if (status == -1)
        return "its exit status is unknown";
    if (WIFEXITED(status))
        return WEXITSTATUS(status) == 0 ? std::string() : "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return std::string("killed by signal ") + std::to_string(WTERMSIG(status)) + " (" +
            strsignal(WTERMSIG(status)) + ")";
    return "ended abnormally";
}

} // namespace

std::string FfmpegChild::findProgram(const std::string& name)
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

FfmpegChild::FfmpegChild(const std::string& path, const std::vector<std::string>& args)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw CaptureException(std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno));

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
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (failed != 0) {
        close(fds[1]);
        throw CaptureException("cannot start " + path + ": " + std::strerror(failed));
    }
    m_process = pid;
    m_pipe = fds[1];
    m_running = true;
    ignoreSigpipe();
}

FfmpegChild::~FfmpegChild()
{
    closePipe();
    if (m_running)
        reap();
    restoreSigpipe();
}

void FfmpegChild::closePipe()
{
    if (m_pipe >= 0)
        close(static_cast<int>(m_pipe));
    m_pipe = -1;
}

std::string FfmpegChild::reap()
{
    int status = 0;
    rusage usage = {};
    pid_t result;
    do {
        result = wait4(static_cast<pid_t>(m_process), &status, 0, &usage);
    } while (result < 0 && errno == EINTR);
    m_running = false;
    if (result < 0)
        return describeStatus(-1);
    m_cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return describeStatus(status);
}

void FfmpegChild::write(const uint8_t* data, size_t size)
{
    if (m_pipe < 0)
        throw CaptureException("ffmpeg is not running");
    while (size > 0) {
        const ssize_t written = ::write(static_cast<int>(m_pipe), data, size);
        if (written > 0) {
            data += written;
            size -= static_cast<size_t>(written);
        } else if (written < 0 && errno == EINTR) {
            continue; // a signal came; the capture looks at it after the frame
        } else {
            const int error = errno;
            closePipe();
            if (error == EPIPE) {
                std::string status = reap();
                if (status.empty())
                    status = "exit status 0";
                throw CaptureException("ffmpeg stopped before the end of the video (" + status + ")");
            }
            throw CaptureException(std::string("writing to ffmpeg failed: ") + std::strerror(error));
        }
    }
}

std::string FfmpegChild::finish()
{
    closePipe(); // end of input: ffmpeg writes the rest and closes the file
    if (!m_running)
        throw CaptureException("ffmpeg is not running");
    return reap();
}
