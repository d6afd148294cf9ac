#pragma once
// The command line, split into at most ten arguments the way the program
// entry hands them to the application.

#include <string>

namespace framework {

// Splits `line` in place and records at most `maxArgs` argument pointers
// (into `line`) in `args`; returns how many were recorded. Only the blank
// (0x20) separates: it is overwritten with a terminating zero and ends the
// current argument, as does the line's last character. Consecutive blanks
// give empty arguments, one trailing blank gives none, an empty or null line
// gives none, arguments beyond `maxArgs` are ignored.
int splitCommandLine(char* line, const char** args, int maxArgs);

// The command line as one text: argv[1] .. argv[argc - 1] joined with single
// blanks (the program name is left out). Null entries count as empty.
std::string joinArguments(int argc, const char* const* argv);

} // namespace framework
