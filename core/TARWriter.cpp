#include "core/TARWriter.h"

#include <algorithm>
#include <cstring>

#include "core/Exception.h"
#include "core/TARHeader.h"

namespace core {

namespace {

constexpr int BLOCK = TARHeader::BLOCK_SIZE;

// Splits `name` (length bytes) into a ustar prefix and name: the whole name
// when it fits the name field, else at the last "/" that leaves both parts
// within their fields. Returns the prefix length (0: no prefix), -1 when no
// split fits.
int splitPoint(const char* name, int length)
{
    if (length <= TARHeader::NAME_LENGTH)
        return 0;
    for (int slash = std::min(length - 1, static_cast<int>(TARHeader::PREFIX_LENGTH)); slash > 0; --slash)
        if (name[slash] == '/' && length - slash - 1 <= TARHeader::NAME_LENGTH && length - slash - 1 > 0)
            return slash;
    return -1;
}

} // namespace

TARWriter::TARWriter(Ref<Stream> out) : m_out(out)
{
    ASSERT_MSG(out, "NULL pointer");
}

TARWriter::~TARWriter() noexcept(false) = default;

void TARWriter::writeHeader(const String& name, int size)
{
    if (m_finished)
        throw IOException("TARWriter::addFile: Archive already finished", m_out->getName());
    if (size < 0)
        throw IOException("TARWriter::addFile: Negative size", name);
    const char* text = name.getASCII();
    const int length = static_cast<int>(std::strlen(text));
    const int prefix = length == 0 ? -1 : splitPoint(text, length);
    if (prefix < 0 || length != name.length())
        throw IOException("TARWriter::addFile: Name does not fit a ustar header", name);

    unsigned char header[BLOCK] = {};
    if (prefix > 0) {
        std::memcpy(header + TARHeader::PREFIX, text, static_cast<size_t>(prefix));
        std::memcpy(header + TARHeader::NAME, text + prefix + 1, static_cast<size_t>(length - prefix - 1));
    } else {
        std::memcpy(header + TARHeader::NAME, text, static_cast<size_t>(length));
    }
    TARHeader::writeOctal(header + TARHeader::MODE, TARHeader::MODE_LENGTH, 0644);
    TARHeader::writeOctal(header + TARHeader::UID, TARHeader::UID_LENGTH, 0);
    TARHeader::writeOctal(header + TARHeader::GID, TARHeader::GID_LENGTH, 0);
    TARHeader::writeOctal(header + TARHeader::SIZE, TARHeader::SIZE_LENGTH, static_cast<uint64_t>(size));
    TARHeader::writeOctal(header + TARHeader::MTIME, TARHeader::MTIME_LENGTH, 0);
    header[TARHeader::TYPEFLAG] = '0';
    std::memcpy(header + TARHeader::MAGIC, "ustar", 6); // with its zero
    std::memcpy(header + TARHeader::VERSION, "00", 2);
    TARHeader::writeOctal(header + TARHeader::DEVMAJOR, TARHeader::DEVMAJOR_LENGTH, 0);
    TARHeader::writeOctal(header + TARHeader::DEVMINOR, TARHeader::DEVMINOR_LENGTH, 0);
    TARHeader::storeChecksum(header);
    m_out->write(header, BLOCK);
}

void TARWriter::writePadding(int size)
{
    static const unsigned char zeros[BLOCK] = {};
    const int padding = (BLOCK - size % BLOCK) % BLOCK;
    if (padding > 0)
        m_out->write(zeros, padding);
    ++m_entries;
}

void TARWriter::addFile(const String& name, const void* data, int size)
{
    writeHeader(name, size);
    if (size > 0) {
        ASSERT(data != 0);
        m_out->write(data, size);
    }
    writePadding(size);
}

void TARWriter::addFile(const String& name, Stream& source, int size)
{
    writeHeader(name, size);
    unsigned char buffer[16 * 1024];
    for (int left = size; left > 0;) {
        const int want = std::min(left, static_cast<int>(sizeof buffer));
        const int got = source.read(buffer, want);
        if (got <= 0)
            throw IOException("TARWriter::addFile: Source ended before its size", source.getName());
        m_out->write(buffer, got);
        left -= got;
    }
    writePadding(size);
}

void TARWriter::finish()
{
    if (m_finished)
        return;
    static const unsigned char zeros[2 * BLOCK] = {};
    m_out->write(zeros, sizeof zeros);
    m_finished = true;
}

} // namespace core
