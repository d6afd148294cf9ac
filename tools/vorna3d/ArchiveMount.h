#pragma once
// Mounting an archive file given on the command line through the engine's
// file system, the way the demo mounts its asset archive.

#include <string>

#include "core/Ref.h"
#include "core/TARArchive.h"

namespace vorna3d_tool {

// Pool bytes for holding the archive at `path` in memory (gzip included:
// its trailer tells the unpacked size).
int64_t archiveMemoryEstimate(const std::string& path);

// Mounts the TAR archive at `path` (plain or gzipped) at the empty path of
// the engine's file system and returns it. Throws what the engine throws
// when the file is missing or the archive is corrupt.
core::Ref<core::TARArchive> mountArchive(const std::string& path);

} // namespace vorna3d_tool
