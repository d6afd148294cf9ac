#pragma once
// One MP3 file opened through libmpg123 and decoded on demand into
// interleaved signed 16-bit stereo at a fixed output rate (mono is doubled,
// other rates are resampled by the library). Gapless: encoder delay and
// padding recorded in a LAME tag are removed. Not thread-safe: one thread at
// a time, though ownership may pass between threads.

#include <cstddef>
#include <cstdint>

struct mpg123_handle_struct;

namespace HAL {

class Mpg123Decoder {
public:
    static constexpr int CHANNELS = 2;

    Mpg123Decoder() = default;
    ~Mpg123Decoder();
    Mpg123Decoder(const Mpg123Decoder&) = delete;
    Mpg123Decoder& operator=(const Mpg123Decoder&) = delete;

    // Opens `path` for output at `rate` Hz and checks that its first frame
    // decodes. Returns a MusicResult: MUSIC_ERR_FILE_NOT_FOUND when there is
    // no readable regular file, MUSIC_ERR_FORMAT when no MPEG audio frame
    // decodes, MUSIC_ERR_DECODER when the library cannot start. Any file open
    // before is closed first.
    int open(const char* path, long rate);
    void close();
    bool isOpen() const { return m_handle != nullptr; }

    // Parses every frame header to find the exact length and returns it in
    // output frames (0 when unknown). The read position is kept.
    int64_t scanLength();
    // Goes back to the start of the stream; false on failure.
    bool rewind();
    // Goes to output frame `frame` (0 to the length; after scanLength the
    // position is exact); false on failure.
    bool seek(int64_t frame);

    // Decodes up to `frames` frames into `out` (CHANNELS samples each) and
    // returns how many were written. Returns 0 only at the end of the stream
    // or after a failure that ended decoding (then failure() says which).
    size_t read(int16_t* out, size_t frames);
    bool atEnd() const { return m_atEnd; }
    // The library's text for the failure that ended decoding, or null.
    const char* failure() const { return m_failure; }

    long rate() const { return m_rate; }

private:
    mpg123_handle_struct* m_handle = nullptr;
    long m_rate = 0;
    bool m_atEnd = false;
    const char* m_failure = nullptr;
};

} // namespace HAL
