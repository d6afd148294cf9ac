#include "framework/CommandLine.h"

#include <cstring>

namespace framework {

int splitCommandLine(char* line, const char** args, int maxArgs)
{
    if (!line)
        return 0;
    const size_t length = std::strlen(line);
    int count = 0;
    char* start = line;
    for (size_t i = 0; i < length; ++i) {
        bool ends = false;
        if (line[i] == ' ') {
            line[i] = '\0';
            ends = true;
        } else if (i + 1 == length) {
            ends = true;
        }
        if (!ends)
            continue;
        if (count < maxArgs)
            args[count++] = start;
        start = line + i + 1;
    }
    return count;
}

std::string joinArguments(int argc, const char* const* argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        if (argv[i])
            line += argv[i];
    }
    return line;
}

} // namespace framework
