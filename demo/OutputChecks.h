#pragma once
// What the capture asks of the system about where its output goes, the
// answers differing between systems (OutputChecks_posix.cpp,
// OutputChecks_win32.cpp).

#include <cstdio>
#include <filesystem>

// Whether `stream` is a terminal (a console on Windows).
bool isTerminal(std::FILE* stream);

// Whether this process may create files in `folder` (an existing folder).
bool isWritableFolder(const std::filesystem::path& folder);
