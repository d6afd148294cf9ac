#pragma once
// Windows process matters that sit beside the display and the system
// object: the command line as the program was given it, the desktop mode
// put back on every way out, and console close or Ctrl+C as a quit. Free of
// windows.h, so that the framework can use it.

#include <string>

namespace HAL {

// The command line after the program name, as UTF-8: read from Windows'
// wide-character line (GetCommandLineW), so that any character survives
// whatever the code page. The program name is skipped as Windows parses
// it: quoted up to the closing quote, else up to the first blank or tab;
// the blanks after it are skipped too.
std::string commandLineArguments();

// The same for a given wide-character line (for tests).
std::string commandLineArgumentsOf(const wchar_t* line);

// Marks the desktop's display mode as changed (`changed` true) or back
// (false). While it is changed, an unhandled exception (a crash), the
// console being closed, logged off or shut down, and the process's normal
// exit all put the desktop's mode back first.
void setDisplayModeChanged(bool changed);
bool isDisplayModeChanged();

// Installs the console handler that turns Ctrl+C, Ctrl+Break and closing
// the console into a quit (see takeQuitRequest); once per process.
void installQuitHandlers();

// True once after a quit request came from the console; the message pump
// then reports a quit.
bool takeQuitRequest();

} // namespace HAL
