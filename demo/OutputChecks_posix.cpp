#include "demo/OutputChecks.h"

#include <unistd.h>

bool isTerminal(std::FILE* stream)
{
    return isatty(fileno(stream)) == 1;
}

bool isWritableFolder(const std::filesystem::path& folder)
{
    return access(folder.c_str(), W_OK) == 0;
}
