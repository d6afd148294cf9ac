#pragma once
// The engine's process-wide services in one record, reached through
// Globals::get(). initEngineClasses and deInitEngineClasses (framework/
// App_helpers.h) create and destroy the services in a fixed order.

namespace HAL {
class Display;
class System;
}

namespace core {

struct DebugInfo;
class FileSystem;
class MemoryManager;
template <class T>
struct Vorna3dAllocator;
template <class T, class A>
class Vector;

class Globals {
public:
    // Creates the record. Requires that none exists (" !globals ").
    static void initClass();
    // Destroys the record. Requires one (" globals ") with every service gone.
    static void deInitClass();
    // The record; asserts " globals " when there is none.
    static Globals* get();
    // Whether the record exists (never asserts).
    static bool exists();

    // Asserts that every service has been stopped first.
    ~Globals() noexcept(false);

    DebugInfo* m_debug = nullptr;
    MemoryManager* m_memoryManager = nullptr;
    HAL::System* m_system = nullptr;
    // The engine's file system, created on first use (holds one reference).
    FileSystem* m_fileSystem = nullptr;
    // The open displays (not owned), in creation order; the list itself
    // lives in the pool.
    Vector<HAL::Display*, Vorna3dAllocator<HAL::Display*>>* m_displays = nullptr;

private:
    Globals() = default;
};

} // namespace core
