#include "core/FileStream.h"

#include <algorithm>
#include <climits>

#include "core/Exception.h"
#include "core/PlatformFile.h"
#include "core/PlatformServices.h"

namespace core {

FileStream::FileStream(const String& name, const String& flags) : m_name(name)
{
    const int length = name.length();
    if (length == 0 || name.charAt(length - 1) == '/' || name.charAt(length - 1) == '\\')
        throw IOException("FileStream::FileStream: No file name", name);
    m_file = PlatformServices::newFile(name, flags);
}

FileStream::~FileStream() noexcept(false)
{
    // A writer that wants to see a failing close calls close() itself.
    try {
        if (isOpen())
            m_file->fclose();
    } catch (const Vorna3DException&) {
    }
}

bool FileStream::isOpen() const
{
    return m_file && m_file->isOpen();
}

int FileStream::write(const void* src, int len)
{
    if (!isOpen())
        throw IOException("FileStream::write: Stream is closed", m_name);
    if (len < 0)
        throw IOException("FileStream::write: Negative length", m_name);
    if (len == 0)
        return 0;
    m_file->fwrite(src, len);
    m_pos += len;
    return len;
}

int FileStream::read(void* dst, int len)
{
    if (!isOpen())
        throw IOException("FileStream::read: Stream is closed", m_name);
    if (len < 0)
        throw IOException("FileStream::read: Negative length", m_name);
    if (len == 0)
        return 0;
    const int got = m_file->fread(dst, len);
    if (got != len) {
        m_pos = static_cast<int>(std::min<int64_t>(m_file->fgetpos(), INT_MAX));
        throw IOException("FileStream::peek: Failed to read correct ammount from native file", m_name);
    }
    m_pos += len;
    return len;
}

int FileStream::peek(void* dst, int len)
{
    if (!isOpen())
        throw IOException("FileStream::peek: Stream is closed", m_name);
    if (len < 0)
        throw IOException("FileStream::peek: Negative length", m_name);
    if (available() < len)
        throw IOException("FileStream::peek: Too small file", m_name);
    if (len == 0)
        return 0;
    const int64_t position = m_file->fgetpos();
    const int got = m_file->fread(dst, len);
    m_file->fsetpos(position);
    if (got != len)
        throw IOException("FileStream::peek: Failed to read correct ammount from native file", m_name);
    return len;
}

void FileStream::setSeek(int pos)
{
    if (!isOpen())
        throw IOException("FileStream::setSeek: Stream is closed", m_name);
    if (pos < 0 || pos > m_file->fsize())
        throw IOException("FileStream::setSeek: Position out of range", m_name);
    m_file->fsetpos(pos);
    m_pos = pos;
}

void FileStream::close()
{
    if (isOpen())
        m_file->fclose();
    m_pos = 0;
}

int FileStream::getSeek()
{
    if (!isOpen())
        throw IOException("FileStream::getSeek: Stream is closed", m_name);
    return static_cast<int>(std::min<int64_t>(m_file->fgetpos(), INT_MAX));
}

int FileStream::available()
{
    if (!isOpen())
        throw IOException("FileStream::write: Stream is closed", m_name);
    const int64_t left = m_file->fsize() - m_pos;
    return static_cast<int>(std::clamp<int64_t>(left, 0, INT_MAX));
}

} // namespace core
