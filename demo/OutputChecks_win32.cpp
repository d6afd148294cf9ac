#include "demo/OutputChecks.h"

#include <io.h>

bool isTerminal(std::FILE* stream)
{
    return _isatty(_fileno(stream)) != 0;
}

bool isWritableFolder(const std::filesystem::path& folder)
{
    // Windows answers for the read-only attribute; its access lists show
    // when a file is made.
    constexpr int WRITE = 2;
    return _waccess(folder.c_str(), WRITE) == 0;
}
