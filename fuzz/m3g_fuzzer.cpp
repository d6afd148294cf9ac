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
//
// Scenes may refer to other files by name. The input's last byte also
// chooses what the loader finds there: no file system at all, a file system
// with nothing mounted, or an in-memory TAR archive holding "tex.png" (a
// small PNG) and "broken.png" (the same cut short), so that every way an
// external reference resolves or fails is fuzzed for leaks.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <zlib.h>

#include "core/Exception.h"
#include "core/FileSystem.h"
#include "core/Globals.h"
#include "core/MemoryManager.h"
#include "core/MemoryStream.h"
#include "core/TARArchive.h"
#include "core/TARWriter.h"
#include "fuzz/FuzzSupport.h"
#include "render/geometry/IndexBuffer.h"
#include "render/loaders/Loader.h"
#include "render/loaders/m3g/M3G_Writer.h"
#include "render/scene/Mesh.h"
#include "render/geometry/VertexBuffer.h"
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

// A 2 x 2 RGBA PNG.
const unsigned char TEXTURE_PNG[] = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
                                     0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00,
                                     0x00, 0x72, 0xb6, 0x0d, 0x24, 0x00, 0x00, 0x00, 0x1a, 0x49, 0x44, 0x41, 0x54, 0x78,
                                     0x9c, 0x63, 0x60, 0x64, 0x62, 0x66, 0x61, 0x65, 0x63, 0xe7, 0x60, 0xe0, 0xe4, 0xe2,
                                     0xe6, 0xe1, 0xe5, 0xe3, 0x17, 0x00, 0x00, 0x03, 0x66, 0x00, 0x89, 0x6d, 0xf9, 0x2a,
                                     0x51, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

// The archive the referenced files come from, made once and held for the run.
core::Archive* s_files = nullptr;

core::Archive* makeFiles()
{
    core::Ref<core::MemoryStream> tar = VORNA3D_NEW core::MemoryStream();
    core::Ref<core::TARWriter> writer = VORNA3D_NEW core::TARWriter(core::Ref<core::Stream>(tar.get()));
    writer->addFile("tex.png", TEXTURE_PNG, sizeof TEXTURE_PNG);
    writer->addFile("broken.png", TEXTURE_PNG, sizeof TEXTURE_PNG - 20);
    writer->finish();
    core::Ref<core::MemoryStream> bytes =
        VORNA3D_NEW core::MemoryStream(reinterpret_cast<const char*>(tar->getData()), tar->getSize(), false);
    core::Archive* archive = VORNA3D_NEW core::TARArchive(core::Ref<core::Stream>(bytes.get()));
    archive->addRef();
    return archive;
}

// What the loader finds for external references, chosen by `choice`:
// 0 no file system, 1 one with nothing mounted, 2 the archive mounted.
// Set up before the pool is counted, so it is no part of the input's balance.
void serveFiles(int choice)
{
    core::FileSystem* fileSystem = core::FileSystem::getExisting();
    const bool mounted = fileSystem && fileSystem->exists("tex.png", core::Archive::OPEN_READ);
    if (choice == 0) {
        core::FileSystem::deInitClass();
        return;
    }
    fileSystem = core::FileSystem::get();
    if (choice == 1 && mounted)
        fileSystem->removeArchive("");
    if (choice == 2 && !mounted)
        fileSystem->addArchive("", core::Ref<core::Archive>(s_files));
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
    s_files = makeFiles();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1u << 24))
        return 0;
    std::vector<unsigned char> bytes(data, data + size);
    if (size > 0 && (data[size - 1] & 1) == 0)
        repairChecksums(bytes);
    serveFiles((data[size - 1] >> 1) % 3);
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
