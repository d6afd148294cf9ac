// Stands in for ffmpeg.exe in the Windows tests. Reads its standard input
// to the end and writes a report to the file its last argument names: the
// number of bytes read, then every argument after the program's name, one
// a line, in UTF-8 (as CommandLineToArgvW splits the command line, the way
// ffmpeg's C run-time reads it). FAKE_ENCODER_EXIT=N: exits with N after
// reading everything; FAKE_ENCODER_QUIT=N: exits with N at once, reading
// nothing and writing no report.

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string narrow(const wchar_t* text)
{
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0), '\0');
    if (bytes > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), bytes, nullptr, nullptr);
    return result;
}

} // namespace

int main()
{
    if (const char* quit = std::getenv("FAKE_ENCODER_QUIT"))
        return std::atoi(quit);
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args || count < 2)
        return 100;

    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    unsigned long long total = 0;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(input, buffer, sizeof buffer, &read, nullptr) && read > 0)
        total += read;

    FILE* report = _wfopen(args[count - 1], L"wb");
    if (!report)
        return 101;
    std::fprintf(report, "%llu\n", total);
    for (int i = 1; i < count; ++i)
        std::fprintf(report, "%s\n", narrow(args[i]).c_str());
    std::fclose(report);
    LocalFree(args);
    const char* exitCode = std::getenv("FAKE_ENCODER_EXIT");
    return exitCode ? std::atoi(exitCode) : 0;
}
