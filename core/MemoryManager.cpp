#include "core/MemoryManager.h"

#include "core/Debug.h"
#include "core/Exception.h"
#include "core/FunctionName.h"
#include "core/Globals.h"
#include "core/MemoryManagerImpl.h"
#include "core/MutexLock.h"
#include "core/PlatformServices.h"

namespace core {

namespace {

// Whether the log exists and lets messages of `mask` through. This is the
// whole cost of the trace when it is switched off.
bool logEnabled(uint32_t mask)
{
    return Debug::exists() && (Debug::getDebugLevel() & mask) != 0;
}

// Trace lines name the caller by its qualified name; `user` is usually a
// full compiler signature. Only called once a line is known to be printed.
struct UserName {
    explicit UserName(const char* user) { qualifiedFunctionName(user, text, sizeof text); }
    char text[256];
};

void traceFree(const FreeTrace& trace, const char* user, int line)
{
    if (logEnabled(DEBUG_LEVEL_MEMORY_FREE)) {
        const UserName name(user);
        Debug::printf(DEBUG_LEVEL_MEMORY_FREE, "MemoryManager: free %d bytes (%s(%d)) 0x%X\n",
                      static_cast<int>(trace.blockSize), name.text, line, trace.offset);
    }
    if (trace.joins == 0 || !logEnabled(DEBUG_LEVEL_MEMORY_JOIN))
        return;
    for (int i = 0; i < trace.joins; ++i) {
        const JoinTrace& j = trace.join[i];
        const int sum = static_cast<int>(j.sizeA + j.sizeB);
        if (j.firstForm)
            Debug::printf(DEBUG_LEVEL_MEMORY_JOIN,
                          "MemoryManager: connect blocks first (0x%X) -> next (0x%X) (new size:%d + %d = %d)\n", j.a,
                          j.b, static_cast<int>(j.sizeA), static_cast<int>(j.sizeB), sum);
        else
            Debug::printf(DEBUG_LEVEL_MEMORY_JOIN,
                          "MemoryManager: connect blocks next (0x%X) -> first (0x%X) (new size:%d + %d = %d)\n", j.a,
                          j.b, static_cast<int>(j.sizeA), static_cast<int>(j.sizeB), sum);
    }
    if (trace.doubleConnection)
        Debug::printf(DEBUG_LEVEL_MEMORY_JOIN, "MemoryManager: double connection!!\n");
}

// Memory exhaustion: logged as an error, then thrown.
[[noreturn]] void memoryFull()
{
    if (Debug::exists())
        Debug::printf(DEBUG_LEVEL_ERROR, " ** MEMORY FULL ** \n");
    throw MemoryManagerException("MemoryManager: memory full");
}

} // namespace

void MemoryFailure::raise() const
{
    if (kind == MEMORY_FULL)
        memoryFull();
    assertionFailed(file, function, line, text);
}

MemoryManager::Impl::~Impl()
{
    releasePool();
}

MemoryManager::MemoryManager(const Config& config, int32_t poolSize)
    : m_name(config.name), m_impl(std::make_unique<Impl>())
{
    ASSERT_MSG(poolSize > 0, "MemoryManager constructor: size <= 0");
    ASSERT_MSG(config.name != nullptr, "MemoryManager constructor: name == 0");
    ASSERT_MSG((config.myAlloc == nullptr) == (config.myFree == nullptr),
               "MemoryManager constructor : myFree/myAlloc configuration error");
    ASSERT_MSG((config.myPoolAlloc == nullptr) == (config.myPoolFree == nullptr),
               "MemoryManager constructor : myPoolFree/myPoolAlloc configuration error");
    ASSERT_MSG(config.debug_monitor_table_size >= -1,
               "MemoryManager constructor: debug_monitor_table_size < 0 or -1 (disabled)");

    if (Debug::exists())
        Debug::printf(DEBUG_LEVEL_ENGINE, "START: MemoryManager init\n");
    m_impl->config = config;
    m_impl->mutex = PlatformServices::newMutex();

    if (!m_impl->forwarding()) {
        m_impl->allocMemoryPool(poolSize);
        if (Debug::exists())
            Debug::printf(DEBUG_LEVEL_ENGINE, "START: MemoryManager pool allocated\n");
    }
}

MemoryManager::~MemoryManager() noexcept(false) = default;

MemoryManager* MemoryManager::getMemoryInfoPtr()
{
    MemoryManager* mem = Globals::get()->m_memoryManager;
    ASSERT_MSG(mem != nullptr, "getMemoryInfoPtr : m_memoryManager == 0");
    return mem;
}

void* MemoryManager::memAlloc(const char* user, long size, int line)
{
    MemoryManager* mem = getMemoryInfoPtr();
    ASSERT_MSG(user != nullptr, "memAlloc : use VORNA3D_ALLOC macro");
    ASSERT_MSG(size > 0, "memAlloc : size <= 0");
    ASSERT_MSG(mem != nullptr, "memAlloc : mem == 0");
    return mem->hwMemAlloc(size, user, line);
}

void MemoryManager::memFree(void** ptr, const char* user, int line)
{
    ASSERT_MSG(user != nullptr, "memFree : use VORNA3D_FREE macro");
    MemoryManager* mem = getMemoryInfoPtr();
    ASSERT_MSG(mem != nullptr, "memFree : mem == 0");
    ASSERT_MSG(ptr != nullptr, "memFree : ptr == 0");
    ASSERT_MSG(*ptr != nullptr, "memFree : *ptr == 0");
    mem->hwMemFree(ptr, user, line);
}

void* MemoryManager::hwMemAlloc(long size, const char* user, int line)
{
    ASSERT(size > 0);
    Impl& m = *m_impl;

    if (m.forwarding()) {
        void* result;
        {
            MutexLock lock(m.mutex.get());
            result = m.config.myAlloc(static_cast<size_t>(size));
        }
        if (!result)
            memoryFull();
        return result;
    }

    ASSERT_MSG(m.config_flags & MEMORY_CONFIG_INITIALIZED, " mem->config_flags&MEMORY_CONFIG_INITIALIZED ");
    if (size >= m.data_block_size) {
        if (logEnabled(DEBUG_LEVEL_ERROR)) {
            const UserName name(user);
            Debug::printf(DEBUG_LEVEL_ERROR, "hwMemAlloc failed (too big block size) FUNC:%s LINE:%d (size = %ld)\n",
                          name.text, line, size);
        }
        assertionFailed(__FILE__, VORNA3D_FUNCTION, __LINE__, "hwMemAlloc : allocated block size is too big");
    }

    // The caller's memory starts on a 16-byte boundary and the next header
    // must too: round the request up to 16 and add the header.
    const uint32_t needed = HEADER_SIZE + ((static_cast<uint32_t>(size) + BLOCK_ALIGN - 1) & ~(BLOCK_ALIGN - 1));
    uint32_t block = 0;
    uint32_t blockSize = 0;
    try {
        MutexLock lock(m.mutex.get());
        block = m.createBlock(needed);
        MM_CHECK(m.plausible(block), " IS_THIS_BLOCK_VALID(alloc) ");
        m.removeBlock(block);
        blockSize = m.header(block)->size;

        m.allocated_blocks += 1;
        m.allocated_mem += static_cast<int32_t>(blockSize);
        m.free_mem -= static_cast<int32_t>(blockSize);
        if (m.allocated_mem > m.peak_mem)
            m.peak_mem = m.allocated_mem;
        m.allocation_count += 1;
        MM_CHECK(m.free_mem >= 0, " mem->free_mem >= 0 ");

        // Only the requested bytes become addressable; the rounding slack
        // stays poisoned so that overruns into it are caught.
        ASAN_UNPOISON_MEMORY_REGION(m.base + block + HEADER_SIZE, static_cast<size_t>(size));
    } catch (const MemoryFailure& failure) {
        failure.raise();
    }

    if (logEnabled(DEBUG_LEVEL_MEMORY_ALLOC)) {
        const UserName name(user);
        Debug::printf(DEBUG_LEVEL_MEMORY_ALLOC, "MemoryManager: allocate %d bytes (%s(%d)) 0x%X\n",
                      static_cast<int>(blockSize), name.text, line, block);
    }
    return m.base + block + HEADER_SIZE;
}

void MemoryManager::hwMemFree(void** ptr, const char* user, int line)
{
    ASSERT(ptr);
    ASSERT(*ptr);
    Impl& m = *m_impl;

    if (m.forwarding()) {
        {
            MutexLock lock(m.mutex.get());
            m.config.myFree(*ptr);
        }
        *ptr = nullptr;
        return;
    }

    ASSERT_MSG(m.config_flags & MEMORY_CONFIG_INITIALIZED, " mem->config_flags&MEMORY_CONFIG_INITIALIZED ");

    // Position checks on the address alone: inside the data area and on a
    // block boundary. Nothing is read before they pass.
    const uintptr_t address = reinterpret_cast<uintptr_t>(*ptr);
    const uintptr_t first = reinterpret_cast<uintptr_t>(m.base) + DATA_START + HEADER_SIZE;
    const uintptr_t last = reinterpret_cast<uintptr_t>(m.base) + m.dataEnd;
    ASSERT_MSG(address >= first && address < last && (address - first) % BLOCK_ALIGN == 0,
               "hwMemFree : block address is invalid");
    const uint32_t block = static_cast<uint32_t>(address - reinterpret_cast<uintptr_t>(m.base)) - HEADER_SIZE;

    FreeTrace trace;
    try {
        MutexLock lock(m.mutex.get());
        m.addBlock(block, trace);
        *ptr = nullptr;
    } catch (const MemoryFailure& failure) {
        failure.raise();
    }
    traceFree(trace, user, line);
}

MemoryManager::Statistics MemoryManager::getStatistics() const
{
    Statistics s{};
    s.forwarding = m_impl->forwarding();
    if (s.forwarding)
        return s;
    MutexLock lock(m_impl->mutex.get());
    s.dataBlockSize = m_impl->data_block_size;
    s.allocatedBlocks = m_impl->allocated_blocks;
    s.allocationCount = m_impl->allocation_count;
    s.freeMem = m_impl->free_mem;
    s.peakMem = m_impl->peak_mem;
    s.allocatedMem = m_impl->allocated_mem;
    return s;
}

std::vector<MemoryManager::BlockInfo> MemoryManager::checkInvariants() const
{
    if (m_impl->forwarding())
        return {};
    std::vector<BlockInfo> blocks;
    try {
        MutexLock lock(m_impl->mutex.get());
        blocks = m_impl->walk();
    } catch (const MemoryFailure& failure) {
        failure.raise();
    }
    return blocks;
}

const void* MemoryManager::getPoolBase() const
{
    return m_impl->base;
}

} // namespace core
