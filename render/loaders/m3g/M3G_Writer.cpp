#include "render/loaders/m3g/M3G_Writer.h"

#include <zlib.h>

#include <cstring>

#include "core/DataIO.h"
#include "core/HashTable.h"
#include "core/MemoryStream.h"
#include "render/loaders/Loader.h"
#include "render/loaders/m3g/M3G_ObjectTypes.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/m3g/M3G_ObjectWriter.h"
#include "render/scene/MorphingMesh.h"

namespace render {

namespace {

using Bytes = core::Vector<unsigned char>;
using AddressSet = core::HashTable<uintptr_t, int>;

constexpr uint32_t SECTION_OVERHEAD = 13;
// The header object's fields before the authoring string: version (2),
// external references flag (1), total file size (4), approximate content size (4).
constexpr uint32_t HEADER_FIELDS = 11;
constexpr uint32_t RECORD_HEADER_SIZE = 5;
constexpr uint32_t FIRST_OBJECT_INDEX = 2;

uintptr_t addressOf(const Object3D* object)
{
    return reinterpret_cast<uintptr_t>(object);
}

void appendLittleEndian(Bytes& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.add(static_cast<unsigned char>(value >> (8 * i)));
}

// A whole section: compression byte, total length, uncompressed length,
// the data (compressed when asked) and the Adler-32 of all that.
Bytes makeSection(const core::String& name, const unsigned char* data, uint32_t length, bool compress)
{
    Bytes stored;
    if (compress) {
        uLongf size = compressBound(length);
        if (size > uLongf(Bytes::MAX_LENGTH))
            throwParseError(name, "Scene too big for one section.");
        stored.setSizeForNativeType(static_cast<int>(size));
        if (compress2(stored.data(), &size, data, length, Z_BEST_COMPRESSION) != Z_OK)
            throwParseError(name, "ZLib compression failed.");
        stored.setSizeForNativeType(static_cast<int>(size));
    } else {
        stored.setSizeForNativeType(static_cast<int>(length));
        if (length > 0)
            std::memcpy(stored.data(), data, length);
    }
    if (uint64_t(stored.size()) + SECTION_OVERHEAD > uint64_t(Bytes::MAX_LENGTH))
        throwParseError(name, "Scene too big for one section.");
    Bytes section;
    section.reserve(stored.size() + static_cast<int>(SECTION_OVERHEAD));
    section.add(compress ? 1 : 0);
    appendLittleEndian(section, static_cast<uint32_t>(stored.size()) + SECTION_OVERHEAD);
    appendLittleEndian(section, length);
    for (unsigned char byte : stored)
        section.add(byte);
    uLong adler = adler32(0L, Z_NULL, 0);
    adler = adler32(adler, section.data(), static_cast<uInt>(section.size()));
    appendLittleEndian(section, static_cast<uint32_t>(adler));
    return section;
}

// The header section of a file of `fileSize` bytes.
Bytes makeHeaderSection(const core::String& name, const char* authoring, uint32_t fileSize, bool hasExternalReferences)
{
    Bytes record;
    record.add(M3G_HEADER);
    appendLittleEndian(record, HEADER_FIELDS + static_cast<uint32_t>(std::strlen(authoring)) + 1);
    record.add(1); // version 1.0
    record.add(0);
    record.add(hasExternalReferences ? 1 : 0);
    appendLittleEndian(record, fileSize);
    // The approximate content size would add the referenced files; their
    // sizes are not known here, and a reader only compares the field with
    // the file size when there are no references.
    appendLittleEndian(record, fileSize);
    for (const char* c = authoring; *c; ++c)
        record.add(static_cast<unsigned char>(*c));
    record.add(0);
    return makeSection(name, record.data(), static_cast<uint32_t>(record.size()), false);
}

// The external reference records of `externals`: type, length, the URI
// and its terminating zero.
Bytes makeExternalReferences(const core::Vector<Object3D*>& externals)
{
    Bytes records;
    for (const Object3D* object : externals) {
        const char* uri = object->getExternalReference().getASCII();
        const uint32_t length = static_cast<uint32_t>(std::strlen(uri)) + 1;
        records.add(M3G_EXTERNAL_REFERENCE);
        appendLittleEndian(records, length);
        for (uint32_t i = 0; i < length; ++i)
            records.add(static_cast<unsigned char>(uri[i]));
    }
    return records;
}

} // namespace

bool M3G_Writer::isWrittenAsReference(const Object3D& object, const Options& options)
{
    if (object.getExternalReference().length() == 0)
        return false;
    return !(options.embedImages && dynamic_cast<const Image2D*>(&object));
}

void M3G_Writer::collect(const core::Vector<core::Ref<Object3D>>& roots, core::Vector<Object3D*>& order)
{
    collect(roots, order, Options());
}

void M3G_Writer::collect(const core::Vector<core::Ref<Object3D>>& roots, core::Vector<Object3D*>& order,
                         const Options& options)
{
    order.clear();
    core::Ref<AddressSet> seen = VORNA3D_NEW AddressSet(64, 0.75f);
    // The walk keeps its own stack, so that a deep scene cannot exhaust the
    // thread's. Each frame lists its object's references in `refs` from
    // `begin` on and goes through them from `next` on.
    struct Frame {
        Object3D* object;
        int begin;
        int next;
    };
    core::Vector<Frame> stack;
    core::Vector<Object3D*> refs;
    const auto push = [&](Object3D* object) {
        // Marked when first met, so that each object is walked once.
        seen->put(addressOf(object), 0);
        const int begin = refs.size();
        // What an external reference refers to belongs to the file it names.
        if (!isWrittenAsReference(*object, options))
            object->getReferences(&refs);
        stack.add(Frame{object, begin, begin});
    };
    for (const core::Ref<Object3D>& root : roots) {
        ASSERT_MSG(root.get(), " root ");
        if (seen->containsKey(addressOf(root.get())))
            continue;
        push(root.get());
        while (!stack.isEmpty()) {
            Frame& top = stack[stack.size() - 1];
            if (top.next < refs.size()) {
                Object3D* ref = refs[top.next++];
                if (!seen->containsKey(addressOf(ref)))
                    push(ref);
                continue;
            }
            order.add(top.object);
            refs.setSizeForNativeType(top.begin);
            stack.remove(stack.size() - 1);
        }
    }
}

void M3G_Writer::save(core::Stream* stream, const core::Vector<core::Ref<Object3D>>& roots, const Options& options)
{
    ASSERT_MSG(stream, "NULL pointer");
    const core::String name = stream->getName();
    core::Vector<Object3D*> order;
    collect(roots, order, options);
    core::Ref<M3G_ObjectWriter::IndexTable> indices = VORNA3D_NEW M3G_ObjectWriter::IndexTable(order.size(), 0.75f);
    M3G_ObjectWriter writer(*indices, name, options.deltaEncodeVertexArrays);

    // External references take the first indices, in walk order; the
    // object records follow.
    core::Vector<Object3D*> externals;
    core::Vector<Object3D*> records;
    for (Object3D* object : order)
        (isWrittenAsReference(*object, options) ? externals : records).add(object);
    for (int i = 0; i < externals.size(); ++i)
        indices->put(addressOf(externals[i]), FIRST_OBJECT_INDEX + static_cast<uint32_t>(i));
    const uint32_t firstRecordIndex = FIRST_OBJECT_INDEX + static_cast<uint32_t>(externals.size());

    // The object records, each given its index once it is written: a
    // reference to an object without one would point forwards.
    core::Ref<core::MemoryStream> objects = VORNA3D_NEW core::MemoryStream();
    objects->setName(name);
    core::Ref<core::DataIO> out = VORNA3D_NEW core::DataIO(objects);
    // A morphing mesh's positions go to the file as its base shape (the
    // file keeps the base and the weights), and are blended again after.
    core::Vector<MorphingMesh*> morphing;
    for (Object3D* object : records)
        if (MorphingMesh* mesh = dynamic_cast<MorphingMesh*>(object))
            morphing.add(mesh);
    const auto reblend = [&morphing] {
        for (MorphingMesh* mesh : morphing)
            mesh->reapplyWeights();
    };
    try {
        for (MorphingMesh* mesh : morphing)
            mesh->showBaseShape();
        for (int i = 0; i < records.size(); ++i) {
            core::Ref<core::MemoryStream> data = VORNA3D_NEW core::MemoryStream();
            data->setName(name);
            core::Ref<core::DataIO> record = VORNA3D_NEW core::DataIO(data);
            const int type = writer.write(records[i], *record);
            out->writeByte(static_cast<uint8_t>(type));
            out->writeUInt32(record->getByteCount());
            out->writeBytes(data->getData(), record->getByteCount());
            indices->put(addressOf(records[i]), firstRecordIndex + static_cast<uint32_t>(i));
        }
    } catch (...) {
        reblend();
        throw;
    }
    reblend();

    Bytes externalSection;
    if (!externals.isEmpty()) {
        const Bytes references = makeExternalReferences(externals);
        externalSection =
            makeSection(name, references.data(), static_cast<uint32_t>(references.size()), options.compress);
    }
    Bytes objectSection;
    if (!records.isEmpty())
        objectSection = makeSection(name, objects->getData(), out->getByteCount(), options.compress);
    const uint32_t headerLength = SECTION_OVERHEAD + RECORD_HEADER_SIZE + HEADER_FIELDS +
        static_cast<uint32_t>(std::strlen(options.authoringField)) + 1;
    const uint64_t fileSize =
        uint64_t(sizeof M3G_FILE_IDENTIFIER) + headerLength + externalSection.size() + objectSection.size();
    if (fileSize > uint64_t(Bytes::MAX_LENGTH))
        throwParseError(name, "Scene too big for one file.");
    const Bytes header =
        makeHeaderSection(name, options.authoringField, static_cast<uint32_t>(fileSize), !externals.isEmpty());

    core::Ref<core::DataIO> file = VORNA3D_NEW core::DataIO(core::Ref<core::Stream>(stream));
    file->writeBytes(M3G_FILE_IDENTIFIER, sizeof M3G_FILE_IDENTIFIER);
    file->writeBytes(header.data(), static_cast<uint32_t>(header.size()));
    file->writeBytes(externalSection.data(), static_cast<uint32_t>(externalSection.size()));
    file->writeBytes(objectSection.data(), static_cast<uint32_t>(objectSection.size()));
}

} // namespace render
