#include "HAL/CoreServices.h"

#include "HAL/File.h"
#include "HAL/Mutex.h"
#include "HAL/System.h"
#include "core/PlatformServices.h"

namespace HAL {

namespace {

std::unique_ptr<core::PlatformMutex> createMutex()
{
    return Mutex::create();
}

core::PlatformFile* openFile(const core::String& path, const core::String& flags)
{
    return File::createFileHandle(path, flags);
}

} // namespace

void installCoreServices()
{
    core::PlatformServices services;
    services.createMutex = &createMutex;
    services.openFile = &openFile;
    services.writeConsole = &System::printf;
    core::PlatformServices::install(services);
}

} // namespace HAL
