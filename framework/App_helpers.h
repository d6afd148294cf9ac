#pragma once
// Engine start-up and shut-down, in their fixed order, and the library build check.

namespace framework {

struct FrameworkConfig;

// Starts the engine services: globals, debug log, system object, memory
// manager, display list. A null config uses the defaults. Throws what the
// services throw (assertions, MemoryManagerException) after stopping the
// services it had started, so a failed start leaves no engine behind.
void initEngineClasses(const FrameworkConfig* config);

// Stops the services in reverse order. Requires a started engine; every
// engine object must have been released before (the pool is returned).
void deInitEngineClasses();

// Logs the build date and kind of each engine library and "ALL OK".
void printLibraryBuildInfo();

} // namespace framework
