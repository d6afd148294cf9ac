#include "HAL/General/GeneralFile.h"

#include <sys/stat.h>

#include <cstring>
#ifdef _WIN32
#include <filesystem>
#include <string>
#endif

#include "HAL/HALException.h"
#include "core/Debug.h"

namespace HAL {

namespace {

// Normalises separators to "/" and returns the position of the last one, or -1.
int normalise(core::String& path)
{
    int last = -1;
    for (int i = 0; i < path.length(); ++i) {
        if (path.charAt(i) == '\\')
            path.setCharAt(i, '/');
        if (path.charAt(i) == '/')
            last = i;
    }
    return last;
}

// 64-bit file positions. MinGW's off_t, and with it ftello and fseeko, is
// 32 bits: there the size of a file past 2 GiB would not fit.
using Offset = int64_t;

Offset tell(FILE* file)
{
#ifdef _WIN32
    return _ftelli64(file);
#else
    return ftello(file);
#endif
}

int seek(FILE* file, Offset offset, int origin)
{
#ifdef _WIN32
    return _fseeki64(file, offset, origin);
#else
    return fseeko(file, static_cast<off_t>(offset), origin);
#endif
}

// Opens the file `name` with the C library `mode`. Windows' fopen reads the
// name in the ANSI code page, so a UTF-8 name (the engine's form, and what
// pathBesideProgram gives) goes through the wide-character call there; a
// name that is not UTF-8 is left to fopen.
FILE* openFile(const char* name, const char* mode)
{
#ifdef _WIN32
    try {
        const std::filesystem::path path(std::u8string(reinterpret_cast<const char8_t*>(name)));
        const std::wstring wideMode(mode, mode + std::strlen(mode));
        return _wfopen(path.c_str(), wideMode.c_str());
    } catch (const std::exception&) {
        // not UTF-8
    }
#endif
    return std::fopen(name, mode);
}

[[noreturn]] void fail(const char* logLine, const char* message)
{
    core::Debug::printf(core::DEBUG_LEVEL_ERROR, "%s", logLine);
    throw HALException(message);
}

} // namespace

File* File::createFileHandle(const core::String& path, const core::String& flags)
{
    GeneralFile* file = VORNA3D_NEW GeneralFile(path, flags);
    try {
        file->fopen();
    } catch (...) {
        delete file; // nobody holds it yet
        throw;
    }
    return file;
}

namespace {

// Characters first..last (inclusive) of `text`; empty when first > last.
core::String slice(const core::String& text, int first, int last)
{
    if (first > last)
        return core::String();
    if (first < last)
        return text.substring(first, last);
    const unsigned short single[2] = {text.charAt(first), 0};
    core::String result;
    result.setData(single);
    return result;
}

} // namespace

File::File(const core::String& path, const core::String& flags) : m_flags(flags)
{
    // A private copy: normalising must not change the caller's shared text.
    core::String normalised;
    normalised += path;
    const int slash = normalise(normalised);
    m_directory = slice(normalised, 0, slash);
    m_name = slice(normalised, slash + 1, normalised.length() - 1);
}

GeneralFile::GeneralFile(const core::String& path, const core::String& flags) : File(path, flags)
{
}

GeneralFile::~GeneralFile() noexcept(false)
{
    if (m_file)
        std::fclose(m_file);
}

void GeneralFile::fopen()
{
    ASSERT(m_flags.length() > 0);
    ASSERT(m_name.length());
    const core::String full = m_directory + m_name;
    const char* asciiName = full.getASCII();
    ASSERT(asciiName);

    FILE* file = openFile(asciiName, m_flags.getASCII());
    struct stat info;
    if (file && (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode))) {
        std::fclose(file); // a directory opens on Linux, but it is not a file
        file = nullptr;
    }
    if (!file) {
        m_file = nullptr;
        char message[1100];
        std::snprintf(message, sizeof message, "%s : %s", "GeneralFile: can not open the file", m_name.getASCII());
        throw HALException(message);
    }
    m_file = file;
    core::Debug::printf(core::DEBUG_LEVEL_FILE, "GeneralFile::fopen : %s ok\n", asciiName);
}

int32_t GeneralFile::fread(void* dest_buf, int32_t max_dest_buf_size)
{
    ASSERT(dest_buf);
    ASSERT(max_dest_buf_size > 0);
    ASSERT_MSG(m_file, "GeneralFile: can not read the file (file is closed?)");
    const size_t count = std::fread(dest_buf, 1, static_cast<size_t>(max_dest_buf_size), m_file);
    core::Debug::printf(core::DEBUG_LEVEL_FILE, "GeneralFile::fread %d bytes\n", static_cast<int>(count));
    return static_cast<int32_t>(count);
}

void GeneralFile::fwrite(const void* src_buf, int32_t length)
{
    ASSERT(src_buf);
    ASSERT(length >= 0);
    if (length == 0)
        return;
    ASSERT_MSG(m_file, "GeneralFile: can not write (file is closed?)");
    if (std::fwrite(src_buf, static_cast<size_t>(length), 1, m_file) != 1)
        fail("GeneralFile::fwrite failed\n", "GeneralFile: file write failed");
    core::Debug::printf(core::DEBUG_LEVEL_FILE, "GeneralFile::fwrite %d bytes\n", length);
}

int64_t GeneralFile::fsize()
{
    ASSERT_MSG(m_file, "GeneralFile: fsize failed (file is closed?)");
    const Offset position = tell(m_file);
    Offset start = -1, end = -1;
    if (position >= 0 && seek(m_file, 0, SEEK_SET) == 0)
        start = tell(m_file);
    if (start >= 0 && seek(m_file, 0, SEEK_END) == 0)
        end = tell(m_file);
    const bool restored = position >= 0 && seek(m_file, position, SEEK_SET) == 0;
    if (start < 0 || end < 0 || !restored)
        fail("GeneralFile::fsize failed\n", "GeneralFile: file size reading failed");
    const int64_t size = static_cast<int64_t>(end - start);
    core::Debug::printf(core::DEBUG_LEVEL_FILE, "GeneralFile::fsize = %lld bytes\n", static_cast<long long>(size));
    return size;
}

void GeneralFile::fsetpos(int64_t position)
{
    ASSERT_MSG(m_file, "GeneralFile: fsetpos failed (file is closed?)");
    if (position < 0 || seek(m_file, static_cast<Offset>(position), SEEK_SET) != 0)
        fail("GeneralFile::fsetpos failed\n", "GeneralFile: file set position failed");
    core::Debug::printf(core::DEBUG_LEVEL_FILE, "GeneralFile::fsetpos ok\n");
}

int64_t GeneralFile::fgetpos()
{
    ASSERT_MSG(m_file, "GeneralFile: fgetpos failed (file is closed?)");
    const Offset position = tell(m_file);
    if (position < 0)
        fail("GeneralFile::fgetpos failed\n", "GeneralFile: get file position failed");
    core::Debug::printf(core::DEBUG_LEVEL_FILE, "GeneralFile::fgetpos = %lld ok\n", static_cast<long long>(position));
    return position;
}

void GeneralFile::fclose()
{
    ASSERT_MSG(m_file, "GeneralFile: fclose failed (file is closed?)");
    FILE* file = m_file;
    m_file = nullptr; // closed either way: fclose releases the stream even when it fails
    if (std::fclose(file) != 0)
        fail("GeneralFile::fclose failed\n", "HAL: can not close the file");
    core::Debug::printf(core::DEBUG_LEVEL_FILE, "GeneralFile::fclose ok\n");
}

} // namespace HAL
