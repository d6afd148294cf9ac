#include "demo/FfmpegChild.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "demo/CaptureException.h"

namespace {

std::wstring widen(const std::string& text)
{
    if (text.empty())
        return {};
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
    return wide;
}

std::string narrow(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool isFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// `path` as it is, or with ".exe" when it has no extension; empty when
// neither is a file.
std::string executableAt(const std::filesystem::path& path)
{
    if (isFile(path))
        return narrow(path);
    if (path.has_extension())
        return {};
    std::filesystem::path withExe = path;
    withExe += ".exe";
    return isFile(withExe) ? narrow(withExe) : std::string();
}

// One argument as the C runtime's command-line parser reads it back:
// quoted when it holds a blank or a quote, a quote escaped with a
// backslash, and the backslashes in front of a quote (or of the closing
// quote) doubled.
void appendQuoted(std::wstring& line, const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            line.append(backslashes * 2 + 1, L'\\');
        else
            line.append(backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

std::string systemMessage(DWORD error)
{
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : message;
}

double seconds(const FILETIME& time)
{
    const uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<double>(ticks) * 1e-7; // 100 ns ticks
}

HANDLE handleOf(intptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}

} // namespace

std::string FfmpegChild::findProgram(const std::string& name)
{
    if (name.empty())
        return {};
    if (name.find_first_of("/\\:") != std::string::npos)
        return executableAt(std::filesystem::path(widen(name)));
    const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (size == 0)
        return {};
    std::wstring path(size, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), size));
    std::wstring_view folders = path;
    const std::wstring wideName = widen(name);
    for (;;) {
        const size_t end = folders.find(L';');
        std::wstring_view folder = folders.substr(0, end);
        // PATH may quote a folder that holds a ';'.
        if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
            folder = folder.substr(1, folder.size() - 2);
        if (!folder.empty()) {
            const std::string found = executableAt(std::filesystem::path(folder) / wideName);
            if (!found.empty())
                return found;
        }
        if (end == std::wstring_view::npos)
            return {};
        folders.remove_prefix(end + 1);
    }
}

FfmpegChild::FfmpegChild(const std::string& path, const std::vector<std::string>& args)
{
    // The read end is inherited as the child's standard input; the write
    // end stays with this process alone, so that closing it ends the input.
    SECURITY_ATTRIBUTES inherit = {};
    inherit.nLength = sizeof inherit;
    inherit.bInheritHandle = TRUE;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        throw CaptureException("cannot make a pipe to ffmpeg: " + systemMessage(GetLastError()));
    SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);

    std::wstring line;
    for (const std::string& arg : args) {
        if (!line.empty())
            line += L' ';
        appendQuoted(line, widen(arg));
    }

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = readEnd;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    // A process group of its own: Ctrl+C at the console reaches only this
    // process, which then ends the input.
    const std::wstring application = widen(path);
    const BOOL started = CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &process);
    const DWORD error = GetLastError();
    CloseHandle(readEnd);
    if (!started) {
        CloseHandle(writeEnd);
        throw CaptureException("cannot start " + path + ": " + systemMessage(error));
    }
    CloseHandle(process.hThread);
    m_process = reinterpret_cast<intptr_t>(process.hProcess);
    m_pipe = reinterpret_cast<intptr_t>(writeEnd);
    m_running = true;
}

FfmpegChild::~FfmpegChild()
{
    closePipe();
    if (m_running)
        reap();
    if (m_process != -1)
        CloseHandle(handleOf(m_process));
}

void FfmpegChild::closePipe()
{
    if (m_pipe != -1)
        CloseHandle(handleOf(m_pipe));
    m_pipe = -1;
}

std::string FfmpegChild::reap()
{
    HANDLE process = handleOf(m_process);
    m_running = false;
    DWORD code = 0;
    if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code))
        return "its exit status is unknown";
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user))
        m_cpuSeconds = seconds(kernel) + seconds(user);
    if (code == 0)
        return {};
    char text[48];
    // An exception code (0xC0000005: access violation) reads better in hex.
    if (code >= 0xC0000000u)
        std::snprintf(text, sizeof text, "ended by exception 0x%08lX", static_cast<unsigned long>(code));
    else
        std::snprintf(text, sizeof text, "exit status %lu", static_cast<unsigned long>(code));
    return text;
}

void FfmpegChild::write(const uint8_t* data, size_t size)
{
    if (m_pipe == -1)
        throw CaptureException("ffmpeg is not running");
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (WriteFile(handleOf(m_pipe), data, chunk, &written, nullptr) && written > 0) {
            data += written;
            size -= written;
            continue;
        }
        const DWORD error = GetLastError();
        closePipe();
        if (error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA) {
            std::string status = reap();
            if (status.empty())
                status = "exit status 0";
            throw CaptureException("ffmpeg stopped before the end of the video (" + status + ")");
        }
        throw CaptureException("writing to ffmpeg failed: " + systemMessage(error));
    }
}

std::string FfmpegChild::finish()
{
    closePipe(); // end of input: ffmpeg writes the rest and closes the file
    if (!m_running)
        throw CaptureException("ffmpeg is not running");
    return reap();
}
