// libFuzzer target: mounts arbitrary bytes as a TAR archive and reads every
// entry back. The first input byte chooses the source: even values hand the
// rest to TARArchive as it is (which may still recognise gzip), odd values
// put an explicit GZStream in between. Malformed input must end in an
// IOException; anything else (an assertion, a sanitizer report, a pool block
// left allocated) is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/Debug.h"
#include "core/Exception.h"
#include "core/GZStream.h"
#include "core/MemoryManager.h"
#include "core/MemoryStream.h"
#include "core/TARArchive.h"
#include "fuzz/FuzzSupport.h"

namespace {

void mount(const uint8_t* data, size_t size)
{
    using core::Ref;
    const bool explicitGzip = (data[0] & 1) != 0;
    Ref<core::Stream> source =
        VORNA3D_NEW core::MemoryStream(reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1), true);
    if (explicitGzip)
        source = VORNA3D_NEW core::GZStream(source);
    Ref<core::TARArchive> archive = VORNA3D_NEW core::TARArchive(source);

    unsigned char buffer[4096];
    for (int i = 0; i < archive->getEntryCount(); ++i) {
        const core::String name = archive->getEntryName(i);
        if (!archive->exists(name, 0))
            std::abort(); // every listed entry must be found
        Ref<core::Stream> entry;
        archive->openFile(entry, name, 0);
        int total = 0;
        for (int n; (n = entry->read(buffer, sizeof buffer)) > 0;)
            total += n;
        if (total != archive->getEntrySize(i))
            std::abort(); // an entry delivers exactly its size
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startEngine(256 * 1024 * 1024); // a 64 KiB input inflates to at most about 64 MiB
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1u << 24))
        return 0;
    const fuzz::PoolLeakCheck leaks("tar_fuzzer");
    try {
        mount(data, size);
    } catch (const core::IOException&) {
        // Malformed input, reported as it should be.
    }
    leaks.check();
    return 0;
}
