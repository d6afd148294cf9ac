#pragma once
// The engine's process-wide services in one record, reached through
// Globals::get(). initEngineClasses and deInitEngineClasses (framework/
// App_helpers.h) create and destroy the services in a fixed order.

#include "core/Allocators.h"
#include "core/Object.h"
#include "core/Ref.h"
#include "core/Vector.h"

namespace HAL {
class Display;
class System;
} // namespace HAL

namespace core {

struct DebugInfo;
class FileSystem;
class MemoryManager;

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
    // Every Graphics3D object created (render::Graphics3D registers itself
    // through Graphics3D::registerInstance; getInstance reads the list). The
    // list holds references; its storage comes from the heap, not the pool.
    // Core cannot name render classes, so the entries are typed as their
    // core::Object base: only render::Graphics3D objects are ever added.
    Vector<Ref<Object>, NativeAllocator<Ref<Object>>> m_g3d;
    HAL::System* m_system = nullptr;
    // The render::Appearance shared by 3D text, created on first use (held
    // as its core::Object base, as m_g3d is).
    Ref<Object> m_g3dText3DAppearance;
    // The engine's file system, created on first use (holds one reference).
    FileSystem* m_fileSystem = nullptr;
    // The open displays (not owned), in creation order; the list itself
    // lives in the pool.
    Vector<HAL::Display*, Vorna3dAllocator<HAL::Display*>>* m_displays = nullptr;

private:
    Globals() = default;
};

} // namespace core
