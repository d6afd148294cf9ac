#pragma once
// The tool's commands: one table entry each, with its usage line and the
// function that runs it. A command runs inside a started engine (or starts
// its own, see ownsEngine) and reports failure by throwing; main prints the
// error.

#include <cstdint>
#include <string>
#include <vector>

namespace vorna3d_tool {

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage; // arguments after the command name
    const char* summary; // one line for --help
    int minArgs;
    int maxArgs; // -1: no limit
    // Pool bytes the command needs for these arguments.
    int64_t (*poolBytes)(const Args& args);
    // Runs the command; returns the exit code. Throws on failure.
    int (*run)(const Args& args);
    // The command starts and stops the engine itself (play: through the
    // framework's frame loop); main then neither starts it nor sizes its pool.
    bool ownsEngine = false;
    // More lines for `vorna3d help NAME` (null: none).
    const char* details = nullptr;
};

// The commands, in --help order; ends with an entry whose name is null.
extern const Command COMMANDS[];

// The command called `name`, or null.
const Command* findCommand(const std::string& name);

// Commands (one source file each).
int64_t archivePoolBytes(const Args& args);
int64_t smallPoolBytes(const Args& args);
int runLs(const Args& args);
int runCat(const Args& args);
int runPack(const Args& args);
int64_t imagePoolBytes(const Args& args);
int64_t infoPoolBytes(const Args& args);
int runInfo(const Args& args);
int64_t convertPoolBytes(const Args& args);
int runConvert(const Args& args);
int runPixel(const Args& args);
int64_t playPoolBytes(const Args& args);
int runPlay(const Args& args);
// What play shows and the keys and mouse actions of its window.
extern const char PLAY_HELP[];

// A failure the tool itself detects (bad arguments, output errors).
struct ToolError {
    std::string message;
};

} // namespace vorna3d_tool
