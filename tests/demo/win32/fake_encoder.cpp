// Stands in for ffmpeg.exe in the Windows tests. Reads its standard input
// to the end and writes a report to the file its last argument names: the
// number of bytes read, then every argument after the program's name, one
// a line (as the C run-time splits the command line; characters beyond
// ASCII as '?'). FAKE_ENCODER_EXIT=N: exits with N after reading
// everything; FAKE_ENCODER_QUIT=N: exits with N at once, reading nothing
// and writing no report.

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

int wmain(int argc, wchar_t** argv)
{
    if (const char* quit = std::getenv("FAKE_ENCODER_QUIT"))
        return std::atoi(quit);
    if (argc < 2)
        return 100;

    _setmode(_fileno(stdin), _O_BINARY);
    unsigned long long total = 0;
    char buffer[65536];
    for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;)
        total += read;

    FILE* report = _wfopen(argv[argc - 1], L"wb");
    if (!report)
        return 101;
    std::fprintf(report, "%llu\n", total);
    for (int i = 1; i < argc; ++i) {
        for (const wchar_t* c = argv[i]; *c; ++c)
            std::fputc(*c < 128 ? static_cast<char>(*c) : '?', report);
        std::fputc('\n', report);
    }
    std::fclose(report);
    const char* exitCode = std::getenv("FAKE_ENCODER_EXIT");
    return exitCode ? std::atoi(exitCode) : 0;
}
