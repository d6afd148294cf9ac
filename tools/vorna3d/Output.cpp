#include "Output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "Command.h"

namespace vorna3d_tool {

void writeStdout(const void* data, size_t size)
{
    if (size > 0 && std::fwrite(data, 1, size, stdout) != size)
        throw ToolError{std::string("cannot write to standard output: ") + std::strerror(errno)};
}

void flushStdout()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        throw ToolError{std::string("cannot write to standard output: ") + std::strerror(errno)};
}

} // namespace vorna3d_tool
