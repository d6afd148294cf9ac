#include "HAL/sdl/Mpg123Decoder.h"

#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>

#include "HAL/Music.h"

namespace HAL {

namespace {

constexpr size_t BYTES_PER_FRAME = Mpg123Decoder::CHANNELS * sizeof(int16_t);

bool isReadableFile(const char* path)
{
    struct stat info;
    return ::stat(path, &info) == 0 && S_ISREG(info.st_mode) && ::access(path, R_OK) == 0;
}

} // namespace

Mpg123Decoder::~Mpg123Decoder()
{
    close();
}

void Mpg123Decoder::close()
{
    if (m_handle) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
    }
    m_handle = nullptr;
    m_rate = 0;
    m_atEnd = false;
    m_failure = nullptr;
}

int Mpg123Decoder::open(const char* path, long rate)
{
    close();
    if (!path || rate <= 0)
        return MUSIC_ERR_INVALID_PARAM;
    if (!isReadableFile(path))
        return MUSIC_ERR_FILE_NOT_FOUND;

    // A no-op since libmpg123 1.27, required by older versions; harmless twice
    // but not thread-safe, hence once.
    static std::once_flag libraryStarted;
    std::call_once(libraryStarted, [] { mpg123_init(); });

    int error = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (!handle)
        return MUSIC_ERR_DECODER;
    // QUIET: the library must not print from the decoding thread.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    // One output format only: the library converts channels and rate to it.
    if (mpg123_format_none(handle) != MPG123_OK ||
        mpg123_format(handle, rate, MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK) {
        mpg123_delete(handle);
        return MUSIC_ERR_DECODER;
    }
    if (mpg123_open(handle, path) != MPG123_OK) {
        mpg123_delete(handle);
        return MUSIC_ERR_FILE_NOT_FOUND;
    }
    m_handle = handle;
    m_rate = rate;

    long gotRate = 0;
    int gotChannels = 0;
    int gotEncoding = 0;
    if (mpg123_getformat(handle, &gotRate, &gotChannels, &gotEncoding) != MPG123_OK || gotRate != rate ||
        gotChannels != MPG123_STEREO || gotEncoding != MPG123_ENC_SIGNED_16) {
        close();
        return MUSIC_ERR_FORMAT;
    }

    // A header alone proves little (a file cut inside its first frame has
    // one): some audio must actually decode.
    int16_t probe[1152 * CHANNELS];
    if (read(probe, 1152) == 0 || !rewind()) {
        close();
        return MUSIC_ERR_FORMAT;
    }
    return MUSIC_OK;
}

int64_t Mpg123Decoder::scanLength()
{
    if (!m_handle || mpg123_scan(m_handle) != MPG123_OK)
        return 0;
    const off_t length = mpg123_length(m_handle);
    return length > 0 ? static_cast<int64_t>(length) : 0;
}

bool Mpg123Decoder::rewind()
{
    return seek(0);
}

bool Mpg123Decoder::seek(int64_t frame)
{
    if (!m_handle || frame < 0 || mpg123_seek(m_handle, static_cast<off_t>(frame), SEEK_SET) < 0)
        return false;
    m_atEnd = false;
    m_failure = nullptr;
    return true;
}

size_t Mpg123Decoder::read(int16_t* out, size_t frames)
{
    if (!m_handle)
        return 0;
    size_t done = 0;
    int idleReads = 0;
    while (done < frames && !m_atEnd) {
        size_t bytes = 0;
        const int result = mpg123_read(m_handle, out + done * CHANNELS, (frames - done) * BYTES_PER_FRAME, &bytes);
        done += bytes / BYTES_PER_FRAME;
        if (result == MPG123_DONE) {
            m_atEnd = true;
        } else if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            m_failure = mpg123_plain_strerror(result);
            m_atEnd = true;
        } else if (bytes == 0 && ++idleReads > 16) {
            // A reader that neither ends nor delivers would spin forever.
            m_failure = "decoder delivers no audio";
            m_atEnd = true;
        }
    }
    return done;
}

} // namespace HAL
