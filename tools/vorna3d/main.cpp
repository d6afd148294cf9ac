// vorna3d: the engine's command-line tool.
//   vorna3d ls ARCHIVE
//   vorna3d cat ARCHIVE NAME
//   vorna3d pack OUT.tar[.gz] FILE...
//   vorna3d info [--all] FILE
//   vorna3d pixel FILE X Y [X Y]...
//   vorna3d convert IN.m3g OUT.m3g [--compress] [--embed-images]
//   vorna3d play FILE.m3g [--fit] [--shot=MS:FILE.png]...
//   vorna3d help COMMAND, vorna3d COMMAND --help: the command's usage
// Each command runs inside a started engine with a silent log (play runs
// the framework, which starts the engine with its log on); a failure
// prints one line "vorna3d: TEXT" on standard error and exits with 1.

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "Command.h"
#include "Output.h"
#include "core/Exception.h"
#include "framework/EngineScope.h"
#include "framework/FrameworkConfig.h"

using namespace vorna3d_tool;

namespace {

constexpr int64_t MIN_POOL = 16 << 20;
constexpr int64_t MAX_POOL = int64_t(3) << 29; // 1.5 GiB

int fail(std::string message)
{
    for (char& c : message)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::fprintf(stderr, "vorna3d: %s\n", message.c_str());
    return 1;
}

void printHelp()
{
    std::printf("usage: vorna3d COMMAND ARGS...\n\ncommands:\n");
    for (const Command* command = COMMANDS; command->name; ++command)
        std::printf("  %-7s %-27s %s\n", command->name, command->usage, command->summary);
    std::printf("\n  --help                              this text\n");
    std::printf("  help COMMAND, COMMAND --help        the command's usage in full\n");
}

// One command's usage line, summary and further lines.
void printCommandHelp(const Command& command)
{
    std::printf("usage: vorna3d %s %s\n\n%s\n", command.name, command.usage, command.summary);
    if (command.details)
        std::printf("\n%s", command.details);
}

// The text of whatever a command threw.
std::string describe(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const ToolError& e) {
        return e.message;
    } catch (const AssertationFailedException& e) {
        return std::string("internal check failed:") + (e.getMessage() ? e.getMessage() : "") + "in " +
            (e.getFunction() ? e.getFunction() : "?");
    } catch (const Vorna3DException& e) {
        return e.what();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unexpected failure";
    }
}

int runInEngine(const Command& command, const Args& args, int64_t poolBytes)
{
    framework::FrameworkConfig config;
    config.memorySize = static_cast<int32_t>(poolBytes);
    config.createConsole = 0;
    config.debugLevel = 0; // the engine log would mix with the command's output; errors are reported here
    std::unique_ptr<framework::EngineScope> engine;
    try {
        engine = std::make_unique<framework::EngineScope>(&config);
    } catch (...) {
        return fail("cannot start the engine: " + describe(std::current_exception()));
    }
    int code = 1;
    std::string error;
    try {
        code = command.run(args);
        flushStdout();
    } catch (...) {
        error = describe(std::current_exception());
    }
    try {
        engine->stop();
    } catch (...) {
        if (error.empty())
            error = "engine shut-down failed: " + describe(std::current_exception());
    }
    return error.empty() ? code : fail(error);
}

} // namespace

int main(int argc, char** argv)
{
    const Args all(argv + 1, argv + argc);
    if (all.empty())
        return fail("no command given (see vorna3d --help)");
    const bool help = all[0] == "--help" || all[0] == "-h" || all[0] == "help";
    if (help && all.size() == 1) {
        printHelp();
        return 0;
    }
    const std::string& name = help ? all[1] : all[0];
    const Command* command = findCommand(name);
    if (!command)
        return fail("unknown command '" + name + "' (see vorna3d --help)");
    const Args args(all.begin() + 1, all.end());
    if (help || (args.size() == 1 && (args[0] == "--help" || args[0] == "-h"))) {
        printCommandHelp(*command);
        return 0;
    }
    const int count = static_cast<int>(args.size());
    if (count < command->minArgs || (command->maxArgs >= 0 && count > command->maxArgs))
        return fail(std::string("usage: vorna3d ") + command->name + " " + command->usage);

    if (command->ownsEngine) {
        try {
            const int code = command->run(args);
            flushStdout();
            return code;
        } catch (...) {
            return fail(describe(std::current_exception()));
        }
    }
    int64_t pool = command->poolBytes(args);
    if (pool > MAX_POOL)
        return fail("not enough memory for " + args[0]);
    if (pool < MIN_POOL)
        pool = MIN_POOL;
    return runInEngine(*command, args, pool);
}
