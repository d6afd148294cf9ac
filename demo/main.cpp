// The sulvanto program: the framework's program entry with the demo's entry
// function and its run function (the frame loop, or a capture). Exit codes
// as sulvanto.h lists them.

#include <string>

#include "demo/sulvanto.h"
#include "framework/CommandLine.h"
#include "framework/ProgramEntry.h"

namespace {

// Whether the command line holds more arguments than the framework hands
// on: it splits argv[1..] joined with blanks again, keeping at most
// MAX_ARGS.
bool tooManyArguments(int argc, const char* const* argv)
{
    std::string line = framework::joinArguments(argc, argv);
    const char* args[framework::FrameworkConfig::MAX_ARGS + 1];
    return framework::splitCommandLine(line.data(), args, framework::FrameworkConfig::MAX_ARGS + 1) >
        framework::FrameworkConfig::MAX_ARGS;
}

} // namespace

int main(int argc, char** argv)
{
    SulvantoSession session;
    session.tooManyArguments = tooManyArguments(argc, argv);
    const int result = framework::runProgram(
        argc, argv, [&session](framework::FrameworkConfig& config) { return vorna3DMain(config, session); },
        [&session](framework::Vorna3DFramework& framework) { runSulvanto(framework, session); });
    if (session.exitCode < 0)
        return result;
    // Before the framework existed the session's code says why there is none;
    // afterwards a failed run or shut-down (1) wins over the capture's code.
    return !session.frameworkCreated || result == 0 ? session.exitCode : result;
}
