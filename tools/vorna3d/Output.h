#pragma once
// Standard output for command results, with write errors reported.

#include <cstddef>

namespace vorna3d_tool {

// Writes `size` bytes to standard output; throws ToolError when that fails.
void writeStdout(const void* data, size_t size);
// Flushes standard output; throws ToolError when that fails.
void flushStdout();

} // namespace vorna3d_tool
