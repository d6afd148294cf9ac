#include "core/Globals.h"

#include "core/Assert.h"

namespace core {

namespace {
// The one process-wide pointer of the engine: everything else hangs off it.
Globals* globals = nullptr;
} // namespace

void Globals::initClass()
{
    ASSERT(!globals);
    globals = new Globals();
}

void Globals::deInitClass()
{
    ASSERT(globals);
    // Clear the pointer first: the destructor's checks report through the
    // log, which is gone by now, and must see a consistent "no globals".
    Globals* record = globals;
    globals = nullptr;
    delete record;
}

Globals* Globals::get()
{
    ASSERT(globals);
    return globals;
}

bool Globals::exists()
{
    return globals != nullptr;
}

Globals::~Globals() noexcept(false)
{
    ASSERT(!m_debug);
    ASSERT(!m_memoryManager);
    ASSERT(m_g3d.size() == 0);
    ASSERT(!m_g3dText3DAppearance);
    ASSERT(!m_system);
    ASSERT(!m_fileSystem);
    ASSERT(!m_displays);
}

} // namespace core
