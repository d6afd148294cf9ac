// libFuzzer target: hands arbitrary bytes to the loader front end on a
// memory stream named like a scene file, the way the demo loads its
// scenes, with a renderer without graphics back end registered. Sections
// end in an Adler-32 checksum that almost every mutation breaks, which
// would stop the input at the first section; so for inputs whose last byte
// is even the checksums of the sections whose lengths fit are made right
// first, and the mutations reach the object records. Malformed
// input must end in an IOException (or a MemoryManagerException for a
// scene larger than the pool); a load that succeeds must give roots that
// the writer can walk and whose meshes index only their vertices, and
// everything loaded must be released again. Anything else (an assertion, a
// sanitizer report, a pool block left allocated) is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <zlib.h>

#include "core/Exception.h"
#include "core/Globals.h"
#include "core/MemoryManager.h"
#include "core/MemoryStream.h"
#include "fuzz/FuzzSupport.h"
#include "render/IndexBuffer.h"
#include "render/Loader.h"
#include "render/M3GWriter.h"
#include "render/Mesh.h"
#include "render/VertexBuffer.h"
#include "tests/support/NullGraphics3D.h"

namespace {

class FuzzGraphics3D : public testing_support::NullGraphics3D {
public:
    using render::Graphics3D::registerInstance;
};

void check(const core::Vector<core::Ref<render::Object3D>>& roots)
{
    core::Vector<render::Object3D*> objects;
    render::M3G_Writer::collect(roots, objects);
    for (render::Object3D* object : objects) {
        const render::Mesh* mesh = dynamic_cast<render::Mesh*>(object);
        if (!mesh)
            continue;
        const int vertices = mesh->getVertexBuffer()->getVertexCount();
        for (int s = 0; s < mesh->getSubmeshCount(); ++s) {
            const render::IndexBuffer* indices = mesh->getIndexBuffer(s);
            for (int i = 0; i < indices->getIndexCount(); ++i)
                if (indices->getPtr()[i] >= vertices)
                    std::abort();
        }
    }
}

uint32_t littleEndian(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Rewrites the checksum of every section (after the 12-byte identifier)
// whose total length fits in the bytes, up to the first that does not.
void repairChecksums(std::vector<unsigned char>& bytes)
{
    size_t at = 12;
    while (at + 13 <= bytes.size()) {
        const uint32_t total = littleEndian(&bytes[at + 1]);
        if (total < 13 || total > bytes.size() - at)
            return;
        const uLong adler = adler32(adler32(0L, Z_NULL, 0), &bytes[at], static_cast<uInt>(total - 4));
        for (int i = 0; i < 4; ++i)
            bytes[at + total - 4 + static_cast<size_t>(i)] = static_cast<unsigned char>(adler >> (8 * i));
        at += total;
    }
}

void load(const uint8_t* data, size_t size)
{
    core::Ref<core::MemoryStream> stream =
        VORNA3D_NEW core::MemoryStream(reinterpret_cast<const char*>(data), static_cast<int>(size), true);
    stream->setName("fuzz.m3g");
    core::Vector<core::Ref<render::Object3D>> roots;
    render::load(stream.get(), roots);
    check(roots);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startEngine(64 * 1024 * 1024);
    // Held for the whole run (the process ends without shutting the engine down).
    FuzzGraphics3D* renderer = VORNA3D_NEW FuzzGraphics3D();
    renderer->registerInstance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1u << 24))
        return 0;
    std::vector<unsigned char> bytes(data, data + size);
    if (size > 0 && (data[size - 1] & 1) == 0)
        repairChecksums(bytes);
    const fuzz::PoolLeakCheck leaks("m3g_fuzzer");
    try {
        load(bytes.data(), bytes.size());
    } catch (const core::IOException&) {
        // Malformed input, reported as it should be.
    } catch (const core::MemoryManagerException&) {
        // A well-formed scene larger than the pool.
    }
    leaks.check();
    return 0;
}
