#pragma once
// Hands core the platform's services: the mutex (HAL::Mutex), files
// (HAL::File::createFileHandle) and the console (HAL::System::printf).

namespace HAL {

// Installs the services in core::PlatformServices. System::create calls it;
// code that uses core without the system object (tools, tests) calls it
// before creating a memory manager. Calling it again changes nothing.
void installCoreServices();

} // namespace HAL
