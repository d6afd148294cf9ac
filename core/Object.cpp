#include "core/Object.h"

#include "core/MemoryManager.h"

namespace core {

Object::~Object() noexcept(false)
{
    ASSERT_MSG(m_numOfRefs == 0, "Can not delete core::Object, when it have references some where else");
}

void Object::addRef()
{
    ASSERT(m_numOfRefs >= 0);
    ++m_numOfRefs;
}

void Object::releaseRef()
{
    ASSERT(m_numOfRefs > 0);
    if (--m_numOfRefs == 0)
        delete this;
}

void* Object::operator new(size_t size)
{
    return MemoryManager::memAlloc("core::Object::operator new", static_cast<long>(size), __LINE__);
}

void* Object::operator new(size_t size, const char* user, int line)
{
    return MemoryManager::memAlloc(user, static_cast<long>(size), line);
}

void Object::operator delete(void* ptr)
{
    if (ptr)
        MemoryManager::memFree(&ptr, "core::Object::operator delete", __LINE__);
}

void Object::operator delete(void* ptr, const char*, int)
{
    operator delete(ptr);
}

} // namespace core
