#include "core/TARArchive.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "core/Debug.h"
#include "core/Exception.h"
#include "core/GZStream.h"
#include "core/TARHeader.h"

namespace core {

namespace {

constexpr int BLOCK = TARHeader::BLOCK_SIZE;
const char* const TRUNCATED = "Unexcepted end of TAR archive";

// GNU long names and pax headers larger than this are not names.
constexpr int MAX_META_SIZE = 1 << 20;

bool isRegularFile(char type)
{
    return type == '0' || type == 0 || type == '7';
}

bool hasGzipSignature(const unsigned char* bytes, int count)
{
    return count >= 2 && bytes[0] == 0x1F && bytes[1] == 0x8B;
}

// Reads exactly `count` bytes, never asking for more than the stream has;
// false when it ends first.
bool readExactly(Stream& stream, unsigned char* dst, int count)
{
    for (int got = 0; got < count;) {
        const int available = stream.available();
        if (available <= 0)
            return false;
        const int n = stream.read(dst + got, std::min(count - got, available));
        if (n <= 0)
            return false;
        got += n;
    }
    return true;
}

} // namespace

TARArchive::TARArchive(Ref<Stream> stream) : m_streams(60, 0.75f)
{
    ASSERT_MSG(stream, "NULL pointer");
    m_name = stream->getName();
    Ref<Stream> archive = selectStream(stream);
    if (archive)
        readEntries(archive);
}

TARArchive::~TARArchive() noexcept(false) = default;

void TARArchive::fail(const char* message)
{
    throw IOException(message, m_name);
}

Ref<Stream> TARArchive::selectStream(Ref<Stream> stream)
{
    for (bool wrapped = false;; wrapped = true) {
        const int available = stream->available();
        if (available <= 0)
            return nullptr;
        // A gzip layer tells only a lower bound of what is coming; other
        // streams know their length and refuse to peek past it.
        unsigned char block[BLOCK];
        const bool gzip = dynamic_cast<GZStream*>(stream.get()) != nullptr;
        const int got = stream->peek(block, gzip ? BLOCK : std::min(available, BLOCK));
        if (got == BLOCK && (TARHeader::isZeroBlock(block) || TARHeader::checksumMatches(block)))
            return stream;
        if (!wrapped && hasGzipSignature(block, got)) {
            stream = VORNA3D_NEW GZStream(stream);
            continue;
        }
        if (got < BLOCK)
            fail(TRUNCATED);
        fail("TARArchive::TARArchive: TAR header checksum does not match");
    }
}

void TARArchive::skip(Stream& archive, int count)
{
    unsigned char scratch[4096];
    while (count > 0) {
        const int want = std::min(count, static_cast<int>(sizeof scratch));
        if (!readExactly(archive, scratch, want))
            fail(TRUNCATED);
        count -= want;
    }
}

String TARArchive::readMetaName(Ref<Stream> archive, int size, char type)
{
    if (size > MAX_META_SIZE)
        fail("TARArchive::TARArchive: Extended TAR header too large");
    Ref<MemoryStream> data = VORNA3D_NEW MemoryStream(archive, size, TRUNCATED);
    const char* bytes = reinterpret_cast<const char*>(data->getData());
    if (type == 'L') {
        // GNU long name: the name, zero-terminated (or filling the data).
        const int length = static_cast<int>(std::find(bytes, bytes + size, 0) - bytes);
        Ref<Vector<char>> name = VORNA3D_NEW Vector<char>();
        name->setSizeForNativeType(length + 1);
        if (length > 0)
            std::memcpy(name->data(), bytes, static_cast<size_t>(length));
        return String(name->data());
    }
    // pax extended header: records "LENGTH key=value\n"; only "path" matters here.
    String path;
    int pos = 0;
    while (pos < size) {
        int length = 0, digits = 0;
        while (pos + digits < size && bytes[pos + digits] >= '0' && bytes[pos + digits] <= '9' && digits < 9)
            length = length * 10 + (bytes[pos + digits++] - '0');
        if (digits == 0 || length <= digits + 1 || length > size - pos || bytes[pos + digits] != ' ' ||
            bytes[pos + length - 1] != '\n')
            fail("TARArchive::TARArchive: Malformed pax header");
        const char* record = bytes + pos + digits + 1;
        const int recordLength = length - digits - 2; // without the blank and the newline
        if (recordLength >= 5 && std::memcmp(record, "path=", 5) == 0) {
            const int valueLength = recordLength - 5;
            if (std::memchr(record + 5, 0, static_cast<size_t>(valueLength)))
                fail("TARArchive::TARArchive: Malformed pax header");
            Ref<Vector<char>> value = VORNA3D_NEW Vector<char>();
            value->setSizeForNativeType(valueLength + 1);
            if (valueLength > 0)
                std::memcpy(value->data(), record + 5, static_cast<size_t>(valueLength));
            path = String(value->data());
        }
        pos += length;
    }
    return path;
}

void TARArchive::readEntries(Ref<Stream> archive)
{
    MemoryStream* memory = dynamic_cast<MemoryStream*>(archive.get());
    unsigned char header[BLOCK];
    String pendingName; // from a GNU long-name or pax header, for the next entry
    bool hasPendingName = false;
    int zeroBlocks = 0; // consecutive zero blocks: two end the archive

    while (zeroBlocks < 2) {
        // Without its end marker an archive may have lost whole entries.
        if (!readExactly(*archive, header, BLOCK))
            fail(TRUNCATED);
        if (TARHeader::isZeroBlock(header)) {
            ++zeroBlocks;
            continue;
        }
        zeroBlocks = 0;
        if (!TARHeader::checksumMatches(header))
            fail("TARArchive::TARArchive: TAR header checksum does not match");
        uint64_t size64 = 0;
        if (!TARHeader::parseOctal(header + TARHeader::SIZE, TARHeader::SIZE_LENGTH, size64))
            fail("TARArchive::TARArchive: Invalid size field in TAR header");
        // Sizes past the data (or beyond what a stream can address) are truncation.
        if (size64 > static_cast<uint64_t>(INT_MAX) || (memory && size64 > static_cast<uint64_t>(memory->available())))
            fail(TRUNCATED);
        const int size = static_cast<int>(size64);
        const int padding = (BLOCK - size % BLOCK) % BLOCK;
        const char type = static_cast<char>(header[TARHeader::TYPEFLAG]);

        char headerName[TARHeader::PREFIX_LENGTH + 1 + TARHeader::NAME_LENGTH + 1];
        TARHeader::entryName(header, headerName, sizeof headerName);
        String name = hasPendingName ? pendingName : String(headerName);
        hasPendingName = false;

        Ref<MemoryStream> entry;
        if (type == 'L' || type == 'x') {
            pendingName = readMetaName(archive, size, type);
            hasPendingName = pendingName.length() > 0;
        } else if (isRegularFile(type) && name.length() > 0 && name.charAt(name.length() - 1) != '/') {
            entry = VORNA3D_NEW MemoryStream(archive, size, TRUNCATED);
            entry->setName(name);
        } else {
            Debug::printf(DEBUG_LEVEL_FILE, "TARArchive::TARArchive: Skipping entry %s of type %d\n", name.getASCII(),
                          type);
            if (memory)
                memory->setSeek(memory->getSeek() + size);
            else
                skip(*archive, size);
        }

        if (padding > 0) {
            unsigned char scratch[BLOCK];
            if (!readExactly(*archive, scratch, padding)) {
                char message[1024];
                std::snprintf(message, sizeof message, "Could not read %d bytes from stream in archive %s.", padding,
                              m_name.getASCII());
                fail(message);
            }
        }
        if (!entry)
            continue;

        Debug::printf(DEBUG_LEVEL_APPLICATION, "TARArchive::TARArchive: Adding stream: %s, bytes:%d\n", name.getASCII(),
                      entry->available());
        if (m_streams.containsKey(name)) {
            char message[1024];
            std::snprintf(message, sizeof message,
                          "TARArchive::TARArchive: TARArchive contains multiple streams with same name \"%s\"",
                          name.getASCII());
            fail(message);
        }
        m_streams.put(name, entry);
        const Ref<MemoryStream>* stored = m_streams.find(name);
        ASSERT_MSG(stored && stored->get() == entry.get(), "Bug in hash table");
        m_order.add(entry);
    }

    // What follows the end marker is padding; a gzip layer still decodes it
    // so that its trailer (CRC and length) gets checked.
    if (!memory)
        while (archive->available() > 0)
            skip(*archive, std::min(archive->available(), 4096));
}

void TARArchive::openFile(Ref<Stream>& out, const String& fileName, int openFlags)
{
    char message[1024];
    if (openFlags != 0) {
        std::snprintf(message, sizeof message,
                      "TARArchive::openFile: TAR Archives are read only! (trying to open file:%s)",
                      fileName.getASCII());
        fail(message);
    }
    Ref<MemoryStream>* held = m_streams.find(fileName);
    if (!held) {
        std::snprintf(message, sizeof message, "TARArchive::openFile: Could not open file \"%s\" from TARArchive",
                      fileName.getASCII());
        fail(message);
    }
    (*held)->setSeek(0);
    out = VORNA3D_NEW MemoryStream(*held, (*held)->getSize());
}

bool TARArchive::exists(const String& fileName, int openFlags)
{
    return openFlags == 0 && m_streams.containsKey(fileName);
}

String TARArchive::getEntryName(int index)
{
    return m_order[index]->getName();
}

int TARArchive::getEntrySize(int index)
{
    return m_order[index]->getSize();
}

} // namespace core
