#include "render/loaders/m3g/M3G_Loader.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>

#include "core/Debug.h"
#include "core/Exception.h"
#include "render/loaders/Loader.h"
#include "render/loaders/m3g/M3G_ObjectReader.h"
#include "render/loaders/m3g/M3G_ObjectTypes.h"

namespace render {

namespace {

// Bytes of a section besides its object data: the compression byte, the two
// lengths and the checksum.
constexpr uint32_t SECTION_OVERHEAD = 13;
// The section header: the compression byte and the two lengths.
constexpr uint32_t SECTION_HEADER_SIZE = 9;
// An object record's type byte and length.
constexpr uint32_t RECORD_HEADER_SIZE = 5;
// The header section's bytes besides the header object's data: the section
// overhead and the record's type and length.
constexpr uint32_t HEADER_SECTION_OVERHEAD = SECTION_OVERHEAD + RECORD_HEADER_SIZE;
// Deflate expands at most 1032 to 1; a little more for the zlib wrapper.
constexpr uint64_t DEFLATE_MAX_RATIO = 1032;
constexpr uint64_t DEFLATE_SLACK = 64;

// The files being loaded, innermost first: a file that refers back to one
// of them would be loaded without end. Each load links an entry on its own
// stack frame for as long as it runs.
struct ActiveLoad {
    const core::String* name;
    const ActiveLoad* outer;
};
const ActiveLoad* s_activeLoads = nullptr;

class ActiveLoadScope {
public:
    explicit ActiveLoadScope(const core::String& name) : m_entry{&name, s_activeLoads} { s_activeLoads = &m_entry; }
    ~ActiveLoadScope() { s_activeLoads = m_entry.outer; }
    ActiveLoadScope(const ActiveLoadScope&) = delete;
    ActiveLoadScope& operator=(const ActiveLoadScope&) = delete;

private:
    ActiveLoad m_entry;
};

bool isSeparator(unsigned short c)
{
    return c == '/' || c == '\\';
}

void logEngine(const char* format, const char* text)
{
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, format, text);
}

} // namespace

core::String getM3GBasePath(const core::String& name)
{
    const char* text = name.getASCII();
    core::Vector<char> base;
    int end = 0; // one past the last separator
    for (int i = 0; text[i]; ++i)
        if (isSeparator(static_cast<unsigned char>(text[i])))
            end = i + 1;
    for (int i = 0; i < end; ++i)
        base.add(text[i]);
    base.add(0);
    return core::String(base.data());
}

core::String normaliseM3GPath(const core::String& path)
{
    // Segments are collected as [begin, end) ranges of the ASCII text.
    const char* text = path.getASCII();
    const int length = static_cast<int>(std::strlen(text));
    core::Vector<int> begins;
    core::Vector<int> ends;
    int start = 0;
    for (int i = 0; i <= length; ++i) {
        if (i < length && !isSeparator(static_cast<unsigned char>(text[i])))
            continue;
        const int size = i - start;
        const bool dot = size == 1 && text[start] == '.';
        const bool dotDot = size == 2 && text[start] == '.' && text[start + 1] == '.';
        const bool lastIsDotDot = !begins.isEmpty() && ends[ends.size() - 1] - begins[begins.size() - 1] == 2 &&
            text[begins[begins.size() - 1]] == '.' && text[begins[begins.size() - 1] + 1] == '.';
        if (size == 0 || dot) {
            // nothing to keep
        } else if (dotDot && !begins.isEmpty() && !lastIsDotDot) {
            begins.remove(begins.size() - 1);
            ends.remove(ends.size() - 1);
        } else {
            begins.add(start);
            ends.add(i);
        }
        start = i + 1;
    }
    core::Vector<char> out;
    if (length > 0 && isSeparator(static_cast<unsigned char>(text[0])))
        out.add('/');
    for (int s = 0; s < begins.size(); ++s) {
        if (s > 0)
            out.add('/');
        for (int i = begins[s]; i < ends[s]; ++i)
            out.add(text[i]);
    }
    out.add(0);
    return core::String(out.data());
}

M3G_Loader::M3G_Loader() = default;

M3G_Loader::~M3G_Loader() noexcept(false) = default;

void M3G_Loader::fail(const char* message) const
{
    throwParseError(m_name, message);
}

core::String M3G_Loader::getExternalReference(int index) const
{
    if (!m_table || index <= 0 || index >= m_table->size() || m_table->getType(index) != M3G_EXTERNAL_REFERENCE)
        return core::String();
    return m_table->get(index)->getExternalReference();
}

void M3G_Loader::load(core::Stream* stream, core::Vector<core::Ref<Object3D>>& objects)
{
    ASSERT_MSG(stream, "NULL pointer");
    m_name = stream->getName();
    m_table = VORNA3D_NEW M3G_ObjectTable(m_name);
    const core::String activeName = normaliseM3GPath(m_name);
    ActiveLoadScope active(activeName);

    // The file as one memory stream, so that every section can be a window
    // into it: a memory stream (an archive entry) is used as it is, any
    // other stream is read into memory first.
    if (core::MemoryStream* memory = dynamic_cast<core::MemoryStream*>(stream))
        m_file = memory;
    else
        m_file = VORNA3D_NEW core::MemoryStream(core::Ref<core::Stream>(stream), stream->available());
    const uint32_t fileSize = static_cast<uint32_t>(m_file->available());

    unsigned char identifier[sizeof M3G_FILE_IDENTIFIER];
    if (m_file->read(identifier, sizeof identifier) != static_cast<int>(sizeof identifier) ||
        std::memcmp(identifier, M3G_FILE_IDENTIFIER, sizeof identifier) != 0)
        fail("The M3G file identifier is missing.");

    bool hasExternalReferences = false;
    readHeaderSection(hasExternalReferences, fileSize);
    if (hasExternalReferences)
        readExternalReferences();
    while (m_file->available() > 0)
        readObjectSection();

    for (int i = 0; i < m_table->size(); ++i)
        if (m_table->get(i) && !m_table->isReferenced(i))
            objects.add(core::Ref<Object3D>(m_table->get(i)));
}

core::Ref<core::MemoryStream> M3G_Loader::readSection(SectionHeader& header)
{
    core::Ref<core::DataIO> in = VORNA3D_NEW core::DataIO(m_file.get(), static_cast<uint32_t>(m_file->available()));
    header.compression = in->readByte();
    header.totalLength = in->readUInt32();
    header.uncompressedLength = in->readUInt32();
    // Compared without subtracting from the total first: a total under 13
    // must not wrap around.
    if (header.totalLength < SECTION_OVERHEAD || header.totalLength - SECTION_HEADER_SIZE > in->getByteCount())
        fail("Small section.");
    const uint32_t dataLength = header.totalLength - SECTION_OVERHEAD;
    core::Ref<core::MemoryStream> data =
        VORNA3D_NEW core::MemoryStream(core::Ref<core::Stream>(m_file.get()), static_cast<int>(dataLength),
                                       "Failed to read enought data from the stream");
    core::Ref<core::DataIO> tail = VORNA3D_NEW core::DataIO(m_file.get(), 4);
    const uint32_t checksum = tail->readUInt32();

    // The checksum is the Adler-32 of the section's bytes before it.
    unsigned char head[SECTION_HEADER_SIZE];
    head[0] = header.compression;
    for (int i = 0; i < 4; ++i) {
        head[1 + i] = static_cast<unsigned char>(header.totalLength >> (8 * i));
        head[5 + i] = static_cast<unsigned char>(header.uncompressedLength >> (8 * i));
    }
    uLong adler = adler32(0L, Z_NULL, 0);
    adler = adler32(adler, head, SECTION_HEADER_SIZE);
    adler = adler32(adler, data->getData(), dataLength);
    if (adler != checksum) {
        char message[160];
        std::snprintf(message, sizeof message,
                      "Section checksum mismatch: the section's Adler-32 is 0x%08lX, the file gives 0x%08X.",
                      static_cast<unsigned long>(adler), checksum);
        fail(message);
    }
    return data;
}

core::Ref<core::Stream> M3G_Loader::openObjectData(const SectionHeader& header, core::MemoryStream* data)
{
    const uint32_t dataLength = header.totalLength - SECTION_OVERHEAD;
    switch (header.compression) {
    case 0:
        if (header.uncompressedLength != dataLength)
            fail("Section length error in section header for uncompressed data.");
        return core::Ref<core::Stream>(data);
    case 1:
        return inflate(data->getData(), dataLength, header.uncompressedLength);
    default: {
        char message[96];
        std::snprintf(message, sizeof message, "Unknown compression scheme %d in m3g section header.",
                      header.compression);
        fail(message);
    }
    }
}

core::Ref<core::MemoryStream> M3G_Loader::inflate(const unsigned char* compressed, uint32_t compressedLength,
                                                  uint32_t uncompressedLength)
{
    // Nothing is allocated for a length the compressed bytes cannot produce.
    if (uncompressedLength > MAX_SECTION_DATA ||
        uncompressedLength > DEFLATE_MAX_RATIO * compressedLength + DEFLATE_SLACK)
        fail("Too big \"uncompressed length\" field in m3g section header.");
    if (!m_inflated)
        m_inflated = VORNA3D_NEW core::Vector<unsigned char>();
    // One byte at least, so that the buffer has an address for zlib.
    m_inflated->setSizeForNativeType(uncompressedLength > 0 ? static_cast<int>(uncompressedLength) : 1);
    uLongf produced = uncompressedLength;
    const int result = uncompress(m_inflated->data(), &produced, compressed, compressedLength);
    switch (result) {
    case Z_OK:
        break;
    case Z_MEM_ERROR:
        fail("ZLib decompression failed: \"There was not enough memory\"");
    case Z_BUF_ERROR:
        fail("Too small \"uncompressed length\" field in m3g section header.");
    default:
        fail("ZLib decompression failed: \"The input data was corrupted\"");
    }
    if (produced != uncompressedLength)
        fail("Too big \"uncompressed length\" field in m3g section header.");
    m_inflated->setSizeForNativeType(static_cast<int>(uncompressedLength));
    core::Ref<core::MemoryStream> stream = VORNA3D_NEW core::MemoryStream(m_inflated);
    stream->setName(m_name);
    return stream;
}

void M3G_Loader::readHeaderSection(bool& hasExternalReferences, uint32_t fileSize)
{
    SectionHeader section;
    core::Ref<core::MemoryStream> raw = readSection(section);
    if (section.compression != 0)
        fail("First section must be uncompressed.");
    core::Ref<core::Stream> data = openObjectData(section, raw.get());
    core::Ref<core::DataIO> in = VORNA3D_NEW core::DataIO(data, section.uncompressedLength);
    if (in->readByte() != M3G_HEADER)
        fail("First object is not header object.");
    const uint32_t length = in->readUInt32();
    if (uint64_t(length) + HEADER_SECTION_OVERHEAD != section.totalLength)
        fail("First object size mismatch.");
    const uint8_t major = in->readByte();
    const uint8_t minor = in->readByte();
    if (major != 1 || minor != 0)
        fail("Unsupported m3g version.");
    hasExternalReferences = in->readBoolean();
    const uint32_t totalFileSize = in->readUInt32();
    const uint32_t approximateContentSize = in->readUInt32();
    core::String authoringField;
    in->readString(authoringField);
    // The record fills the section, so it ended exactly where the section does.
    if (in->getByteCount() != 0)
        fail("Size of header object not correct in first section.");
    if (!hasExternalReferences && approximateContentSize != totalFileSize)
        core::Debug::printf(core::DEBUG_LEVEL_WARNING, "Parse warning: \"%s\"\n",
                            "approximateContentSize different than totalFileSize when has no external references.");
    m_table->add(nullptr, M3G_HEADER);
    if (totalFileSize != fileSize)
        fail("TotalFileSize did not matched or small data buf len.");
}

void M3G_Loader::readExternalReferences()
{
    SectionHeader section;
    core::Ref<core::MemoryStream> raw = readSection(section);
    core::Ref<core::Stream> data = openObjectData(section, raw.get());
    uint32_t left = section.uncompressedLength;
    while (left > 0) {
        if (left < RECORD_HEADER_SIZE)
            fail("Section size mismatch in external references section.");
        core::Ref<core::DataIO> head = VORNA3D_NEW core::DataIO(data, RECORD_HEADER_SIZE);
        const uint8_t type = head->readByte();
        const uint32_t length = head->readUInt32();
        left -= RECORD_HEADER_SIZE;
        if (type != M3G_EXTERNAL_REFERENCE)
            fail("Object type is not \"external reference\" in the object chunk of external references section.");
        if (length > left)
            fail("\"External reference\" object size too big.");
        core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "\n  Loading external reference");
        try {
            core::Ref<core::DataIO> in = VORNA3D_NEW core::DataIO(data, length);
            core::String uri;
            in->readString(uri);
            if (in->getByteCount() != 0)
                fail("\"External reference\" object size mismatch.");
            logEngine(" \"%s\"", uri.getASCII());
            logEngine(" Relative to path: \"%s\"", getM3GBasePath(m_name).getASCII());
            core::Ref<Object3D> root = loadExternal(uri);
            // Noted on the object, so that writing the scene keeps the reference.
            root->setExternalReference(uri);
            m_table->add(root.get(), M3G_EXTERNAL_REFERENCE);
            core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "  Done!\n");
        } catch (...) {
            core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "  Error!\n");
            throw;
        }
        left -= length;
    }
}

core::Ref<Object3D> M3G_Loader::loadExternal(const core::String& uri)
{
    const core::String name = normaliseM3GPath(getM3GBasePath(m_name) + uri);
    int depth = 0;
    for (const ActiveLoad* load = s_activeLoads; load; load = load->outer, ++depth) {
        if (load->name->equals(name)) {
            core::String message;
            message.format("External references form a cycle: \"%s\" refers back to itself.", name.getASCII());
            fail(message.getASCII());
        }
    }
    if (depth >= MAX_EXTERNAL_DEPTH)
        fail("External references are nested too deeply.");
    core::Vector<core::Ref<Object3D>> roots;
    render::load(name, roots);
    if (roots.isEmpty()) {
        core::String message;
        message.format("External reference \"%s\" holds no objects.", name.getASCII());
        fail(message.getASCII());
    }
    return roots[0];
}

void M3G_Loader::readObjectSection()
{
    SectionHeader section;
    core::Ref<core::MemoryStream> raw = readSection(section);
    core::Ref<core::Stream> data = openObjectData(section, raw.get());
    M3G_ObjectReader reader(*m_table);
    uint32_t left = section.uncompressedLength;
    while (left > 0) {
        if (left < RECORD_HEADER_SIZE)
            fail("Section size mismatch.");
        core::Ref<core::DataIO> head = VORNA3D_NEW core::DataIO(data, RECORD_HEADER_SIZE);
        const uint8_t type = head->readByte();
        const uint32_t length = head->readUInt32();
        left -= RECORD_HEADER_SIZE;
        if (type < M3G_ANIMATION_CONTROLLER || type > M3G_WORLD)
            fail("Object type is not valid in object chunk.");
        if (length > left)
            fail("Object size too big.");
        core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "\n  Loading object id: %d (%s), length: %d\n", type,
                            getM3GTypeName(type), static_cast<int>(length));
        try {
            core::Ref<core::DataIO> in = VORNA3D_NEW core::DataIO(data, length);
            core::Ref<Object3D> object = reader.read(type, *in);
            if (in->getByteCount() != 0)
                fail("Object size mismatch.");
            m_table->add(object.get(), type);
            core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "    User ID: %d\n", object->getUserID());
            const core::String name = object->getName();
            if (name.length() > 0)
                logEngine("    Object name: %s\n", name.getASCII());
            core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "  Done!\n");
        } catch (...) {
            core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "  Error!\n");
            throw;
        }
        left -= length;
    }
}

} // namespace render
