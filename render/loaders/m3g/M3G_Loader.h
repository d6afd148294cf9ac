#pragma once
// M3G_Loader: reads a scene file (the JSR 184 binary format, version 1.0)
// into scene objects. A file is the 12-byte identifier and sections; each
// section is a compression byte (0 none, 1 zlib), its total length, the
// length of its object data once uncompressed, the object data and the
// Adler-32 checksum of everything before it in the section. The first
// section holds the header object, an optional second the external
// references (other files, loaded through the loader front end), the rest
// the object records (M3G_ObjectReader). The result is every object that
// no other object of the file refers to, in file order.
//
// Every fault in the file is a parse error: it is logged as "Parse error:
// "<text>"" and thrown as IOException naming the stream. Nothing is
// allocated for a length or count the file cannot back with its bytes.
//
// One loader serves one load:
//     core::Ref<M3G_Loader> loader = VORNA3D_NEW M3G_Loader();
//     loader->load(stream, roots);

#include <cstdint>

#include "core/DataIO.h"
#include "core/MemoryStream.h"
#include "core/Object.h"
#include "core/Ref.h"
#include "core/Stream.h"
#include "core/String.h"
#include "core/Vector.h"
#include "render/loaders/m3g/M3G_ObjectTable.h"
#include "render/scene/Object3D.h"

namespace render {

class M3G_Loader : public core::Object {
public:
    // The largest object data one section may hold once uncompressed.
    static constexpr uint32_t MAX_SECTION_DATA = 256u << 20;
    // How deep files may refer to files that refer to files.
    static constexpr int MAX_EXTERNAL_DEPTH = 16;

    M3G_Loader();
    ~M3G_Loader() noexcept(false) override;

    // Reads the scene file at the stream's position to its end and appends
    // the roots to `objects`. Requires a stream ("NULL pointer") starting
    // with the file identifier and a registered Graphics3D when the file
    // holds nodes or textures. Throws IOException for every fault in the
    // file (the texts are listed in M3G_Loader.cpp and M3G_ObjectReader*.cpp),
    // MemoryManagerException when the pool cannot hold the scene.
    void load(core::Stream* stream, core::Vector<core::Ref<Object3D>>& objects);

    // The object table of the last load (index 0 null, 1 the header), for
    // listings. Null before the first load.
    const M3G_ObjectTable* getObjectTable() const { return m_table.get(); }
    // The URI of external reference `index` of the last load; empty for other entries.
    core::String getExternalReference(int index) const;

private:
    struct SectionHeader {
        uint8_t compression = 0;
        uint32_t totalLength = 0;
        uint32_t uncompressedLength = 0;
    };

    // Reads the next section's header, its data and its checksum, verifies
    // the checksum, and returns the data as stored.
    core::Ref<core::MemoryStream> readSection(SectionHeader& header);
    // A stream over the object data of a section read by readSection:
    // `data` itself, or its bytes inflated; header.uncompressedLength long.
    core::Ref<core::Stream> openObjectData(const SectionHeader& header, core::MemoryStream* data);
    // Inflates `compressed` into the reused buffer; returns a stream over it.
    core::Ref<core::MemoryStream> inflate(const unsigned char* compressed, uint32_t compressedLength,
                                          uint32_t uncompressedLength);
    // The first section; `fileSize` is the file's length from its identifier on.
    void readHeaderSection(bool& hasExternalReferences, uint32_t fileSize);
    void readExternalReferences();
    void readObjectSection();
    // Loads the file `uri` names (relative to this file's folder) and
    // returns its first root.
    core::Ref<Object3D> loadExternal(const core::String& uri);
    [[noreturn]] void fail(const char* message) const;

    core::Ref<core::MemoryStream> m_file;
    core::String m_name;
    core::Ref<M3G_ObjectTable> m_table;
    core::Ref<core::Vector<unsigned char>> m_inflated;
};

// The folder part of a stream name: up to and including its last '/' or
// '\\'; empty when there is none.
core::String getM3GBasePath(const core::String& name);
// `path` with "." segments dropped and each "name/.." pair removed, so
// that one file is always named the same way.
core::String normaliseM3GPath(const core::String& path);

} // namespace render
