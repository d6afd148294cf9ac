#include "render/loaders/png/PNGWriter.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/Assert.h"
#include "core/Exception.h"

// The file and the checks around the encoder; the encoder itself is
// PNGWriter_libpng.cpp or PNGWriter_zlib.cpp.

namespace render {

namespace {

void checkArguments(int width, int height, const uint8_t* pixels, PNGWriter::Layout layout, int compressionLevel)
{
    ASSERT(width > 0 && height > 0);
    ASSERT(pixels);
    ASSERT(layout == PNGWriter::RGB || layout == PNGWriter::RGBA || layout == PNGWriter::RGBX);
    ASSERT(compressionLevel >= 0 && compressionLevel <= 9);
}

} // namespace

void PNGWriter::write(const char* path, int width, int height, const uint8_t* pixels, Layout layout, bool bottomUp,
                      int compressionLevel)
{
    ASSERT(path);
    const std::vector<uint8_t> bytes = encode(width, height, pixels, layout, bottomUp, compressionLevel);

    FILE* file = std::fopen(path, "wb");
    if (!file) {
        char reason[256];
        std::snprintf(reason, sizeof reason, "cannot create the file: %s", std::strerror(errno));
        throw core::IOException(reason, path);
    }
    // A full disk shows up when the buffered bytes go out.
    int writeErrno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        writeErrno = errno ? errno : EIO;
    if (std::fflush(file) != 0 && writeErrno == 0)
        writeErrno = errno ? errno : EIO;
    if (std::fclose(file) != 0 && writeErrno == 0)
        writeErrno = errno ? errno : EIO;
    if (writeErrno != 0) {
        char reason[256];
        std::snprintf(reason, sizeof reason, "write failed: %s", std::strerror(writeErrno));
        // Only a file of our own making goes, never a device like /dev/full.
        struct stat info;
        if (stat(path, &info) == 0 && S_ISREG(info.st_mode))
            std::remove(path);
        throw core::IOException(reason, path);
    }
}

std::vector<uint8_t> PNGWriter::encode(int width, int height, const uint8_t* pixels, Layout layout, bool bottomUp,
                                       int compressionLevel)
{
    checkArguments(width, height, pixels, layout, compressionLevel);
    std::vector<uint8_t> bytes;
    std::string error;
    if (!encode(bytes, width, height, pixels, layout, bottomUp, compressionLevel, error))
        throw core::IOException(error.c_str(), "(PNG in memory)");
    return bytes;
}

} // namespace render
