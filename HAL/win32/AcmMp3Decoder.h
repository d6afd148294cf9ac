#pragma once
// One MP3 file decoded through the Audio Compression Manager's MP3 codec
// (the one Windows and Wine ship) into interleaved signed 16-bit stereo at
// the file's own sample rate (mono is doubled). The file is read into memory
// and indexed frame by frame when it is opened; frames are fed to the codec
// as they are read.
//
// Gapless: the LAME/Xing tag frame is never decoded, and the encoder's delay
// plus the decoder's own delay are cut at the start and the encoder's padding
// at the end, so output frame N is frame N of libmpg123's gapless decode of
// the same file. Not thread-safe: one thread at a time, though ownership may
// pass between threads.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace HAL {

class AcmMp3Decoder {
public:
    static constexpr int CHANNELS = 2;

    AcmMp3Decoder();
    ~AcmMp3Decoder();
    AcmMp3Decoder(const AcmMp3Decoder&) = delete;
    AcmMp3Decoder& operator=(const AcmMp3Decoder&) = delete;

    // Opens `path` (UTF-8), indexes its frames and checks that the codec
    // accepts the format and decodes the first frame. Returns a MusicResult:
    // MUSIC_ERR_FILE_NOT_FOUND when there is no readable regular file,
    // MUSIC_ERR_FORMAT when it holds no MPEG layer III audio the codec
    // decodes, MUSIC_ERR_DECODER when the codec cannot start. Any file open
    // before is closed first. Never throws.
    int open(const char* path);
    void close();
    bool isOpen() const;

    // The whole stream's length in output frames, exact after trimming.
    int64_t length() const;
    // The output (and file) sample rate in Hz; 0 while closed.
    uint32_t rate() const;

    // Goes to output frame `frame` (0 to the length); false on failure
    // (decoding has then ended and failure() says why).
    bool seek(int64_t frame);
    bool rewind() { return seek(0); }

    // Decodes up to `frames` frames into `out` (CHANNELS samples each) and
    // returns how many were written. Returns 0 only at the end of the stream
    // or after a failure that ended decoding (then failure() says which).
    size_t read(int16_t* out, size_t frames);
    bool atEnd() const;
    // A short text for the failure that ended decoding, or null.
    const char* failure() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace HAL
