#include "framework/ProgramEntry.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "core/Debug.h"
#include "core/Exception.h"
#include "framework/CommandLine.h"
#include "framework/FrameworkScope.h"
#include "framework/Vorna3DFramework.h"
#ifdef _WIN32
#include "HAL/win32/Win32Platform.h"
#endif

namespace framework {

namespace {

// Logs an error line; straight to standard output when the engine's log is
// not up (the framework's constructor stops what it started when it fails).
void reportMemoryManagerFailure(const char* message)
{
    if (core::Debug::exists()) {
        core::Debug::printf(core::DEBUG_LEVEL_ERROR, "createFramework failed : Memory manager error (%s)\n", message);
    } else {
        std::printf("createFramework failed : Memory manager error (%s)\n", message);
        std::fflush(stdout);
    }
}

void printRunError(const char* message, const char* file, int line)
{
    std::printf("RUN ERROR : %s FILE : %s LINE : %d\n", message, file, line);
    std::fflush(stdout);
}

} // namespace

int runProgram(int argc, const char* const* argv, const CreateFramework& createFramework, const RunFramework& run)
{
    FrameworkConfig config;
    // The arguments point into this buffer, which outlives the framework.
#ifdef _WIN32
    // Windows hands the program one line; its wide-character form keeps
    // every character whatever the code page (main's argv has them in the
    // ANSI one). Arguments a caller made up itself are taken as given.
    std::string commandLine =
        argv == const_cast<const char* const*>(__argv) ? HAL::commandLineArguments() : joinArguments(argc, argv);
#else
    std::string commandLine = joinArguments(argc, argv);
#endif
    config.argCount = splitCommandLine(commandLine.data(), config.args, FrameworkConfig::MAX_ARGS);

    Vorna3DFramework* framework = nullptr;
    try {
        framework = createFramework(config);
    } catch (const core::MemoryManagerException& e) {
        reportMemoryManagerFailure(e.what());
        return 1;
    } catch (...) {
        return 1;
    }
    if (!framework)
        return 1;

    FrameworkScope scope(framework);
    int exitCode = 0;
    if (framework->getApp()) {
        try {
            if (run)
                run(*framework);
            else
                framework->gameLoop();
        } catch (const Vorna3DException& e) {
            printRunError(e.what(), e.getFile() ? e.getFile() : "UNKNOWN", static_cast<int>(e.getLine()));
            exitCode = 1;
        } catch (const std::exception& e) {
            printRunError(e.what(), "UNKNOWN", 0);
            exitCode = 1;
        } catch (...) {
            printRunError("unknown exception", "UNKNOWN", 0);
            exitCode = 1;
        }
    } else {
        core::Debug::printf(core::DEBUG_LEVEL_FRAMEWORK, "Framework: no application, nothing to run\n");
    }

    try {
        scope.stop(); // prints its own "FATAL UNKNOWN DEINIT ERROR"
    } catch (...) {
        exitCode = 1;
    }
    return exitCode;
}

} // namespace framework
