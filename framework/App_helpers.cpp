#include "framework/App_helpers.h"

#include "HAL/System.h"
#include "core/Debug.h"
#include "core/FileSystem.h"
#include "core/Globals.h"
#include "core/MemoryManager.h"
#include "core/Vector.h"
#include "framework/FrameworkConfig.h"

namespace framework {

namespace {

// The four libraries are built together, from one source tree.
constexpr const char* BUILD_DATE = __DATE__;
#ifdef NDEBUG
constexpr const char* BUILD_KIND = "RELEASE";
#else
constexpr const char* BUILD_KIND = "DEBUG";
#endif

} // namespace

namespace {

// The display list goes back to the pool, so it goes before the memory manager.
void deleteDisplayList(core::Globals* globals)
{
    delete globals->m_displays;
    globals->m_displays = nullptr;
}

// The Graphics3D list and the shared 3D-text appearance hold pool objects.
void releaseGraphicsObjects(core::Globals* globals)
{
    globals->m_g3d.clear();
    globals->m_g3dText3DAppearance = nullptr;
}

// Stops whatever services a failed start-up had already started, so that
// the process is back to "no engine" and a later start can succeed.
void undoPartialStart()
{
    if (!core::Globals::exists())
        return;
    core::Globals* globals = core::Globals::get();
    releaseGraphicsObjects(globals);
    deleteDisplayList(globals);
    delete globals->m_memoryManager;
    globals->m_memoryManager = nullptr;
    delete globals->m_system;
    globals->m_system = nullptr;
    if (globals->m_debug)
        core::Debug::deInitClass();
    core::Globals::deInitClass();
}

void startServices(const FrameworkConfig* config)
{
    core::Globals* globals = core::Globals::get();

    core::Debug::initClass();
    core::Debug::setDebugLevel(static_cast<uint32_t>(config->debugLevel));
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "START: debug initialized : ok\n");

    globals->m_system = HAL::System::create(config->createConsole != 0);
    ASSERT(globals->m_system);

    int32_t memorySize = config->memorySize;
    if (memorySize == 0)
        memorySize = HAL::System::getSystemInfo().memorySize;
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "START: system initialized : ok\n");

    globals->m_memoryManager = new core::MemoryManager(config->memoryConfig(), memorySize);
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "START: memory initialized : ok\n");

    // Room for a few displays up front: opening and closing a display then
    // leaves the pool as it found it.
    globals->m_displays = VORNA3D_NEW core::Vector<HAL::Display*>();
    globals->m_displays->reserve(4);
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "START: dummy Graphics3D object initialized : ok\n");

    ASSERT(globals->m_memoryManager);
    ASSERT(globals->m_system);
    ASSERT(globals->m_debug);

    core::Debug::printf(core::DEBUG_LEVEL_FRAMEWORK, "configure memory manager : %s (%d bytes)\n",
                        config->memoryManagerName, memorySize);
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "START: initEngineClasses : ok\n");
}

} // namespace

void initEngineClasses(const FrameworkConfig* config)
{
    FrameworkConfig defaults;
    if (!config)
        config = &defaults;

    core::Globals::initClass();
    try {
        startServices(config);
    } catch (...) {
        undoPartialStart();
        throw;
    }
}

void deInitEngineClasses()
{
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "STOP: deInitEngineClasses\n");
    core::Globals* globals = core::Globals::get();
    ASSERT(globals->m_memoryManager);
    ASSERT(globals->m_system);
    ASSERT(globals->m_debug);

    // The Graphics3D objects die here unless someone else still holds one.
    globals->m_g3d.clear();

    core::Debug::setOutputFile(nullptr);

    // Delete the file system, if any: its archives hold pool memory.
    core::FileSystem::deInitClass();

    globals->m_g3dText3DAppearance = nullptr;

    deleteDisplayList(globals);

    delete globals->m_memoryManager;
    globals->m_memoryManager = nullptr;

    delete globals->m_system;
    globals->m_system = nullptr;

    core::Debug::deInitClass();
    core::Globals::deInitClass();
}

void printLibraryBuildInfo()
{
    using core::Debug;
    Debug::printf(core::DEBUG_LEVEL_ENGINE, "Check library build information:\n");
    Debug::printf(core::DEBUG_LEVEL_ENGINE, " Framework library : %s %s\n", BUILD_DATE, BUILD_KIND);
    Debug::printf(core::DEBUG_LEVEL_ENGINE, " Render library    : %s %s\n", BUILD_DATE, BUILD_KIND);
    Debug::printf(core::DEBUG_LEVEL_ENGINE, " Core library      : %s %s\n", BUILD_DATE, BUILD_KIND);
    Debug::printf(core::DEBUG_LEVEL_ENGINE, " HAL library       : %s %s\n\n", BUILD_DATE, BUILD_KIND);
    Debug::printf(core::DEBUG_LEVEL_ENGINE, "Check library and library build information : ");
    Debug::printf(core::DEBUG_LEVEL_ENGINE, "ALL OK\n");
}

} // namespace framework
