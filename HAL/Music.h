#pragma once
// Streaming music playback. A MusicSystem opens MP3 files as streams and
// plays one of them at a time on its channel; the channel reports the
// playback position the listener hears, in milliseconds, which is the clock
// a timeline can follow.
//
// Every operation returns a result code (MusicResult): 0 is success. No
// operation throws. All calls come from one thread (the one that created the
// system); decoding and audio output run on threads of their own, which never
// touch engine objects, the pool or the log.
//
// Where no audio device can be opened the system plays silently: the
// position then advances with the monotonic clock, so a show bound to it
// keeps its timing. A stepped clock, advanced only by the caller, serves
// tests and frame-exact capture.
//
// None of these objects comes from the engine's pool: the music is started
// before the engine exists and stopped while it still runs. Streams and the
// channel belong to the system and die with release().

#include <cstdint>
#include <string>

namespace HAL {

enum MusicResult : int {
    MUSIC_OK = 0,
    MUSIC_ERR_INVALID_PARAM = 1, // a null pointer or a value out of range
    MUSIC_ERR_NOT_INITIALIZED = 2, // init() has not succeeded yet
    MUSIC_ERR_INITIALIZED = 3, // init() called a second time
    MUSIC_ERR_FILE_NOT_FOUND = 4, // no readable regular file at the path
    MUSIC_ERR_FORMAT = 5, // the file holds no MPEG audio the decoder can play
    MUSIC_ERR_NO_DEVICE = 6, // no audio output, and the caller required one
    MUSIC_ERR_DECODER = 7, // the decoding library failed to start
    MUSIC_ERR_CHANNEL_STOPPED = 8, // the channel was stopped (or never played)
    MUSIC_ERR_NOT_STEPPED = 9, // advanceClock() without the stepped clock
    MUSIC_ERR_INTERNAL = 10, // out of memory or no thread could be started
};

// init() flags.
enum : uint32_t {
    // Play on the default audio device; without one, play silently on the
    // monotonic clock after logging one warning.
    MUSIC_INIT_NORMAL = 0,
    // Never open a device: silent output on the monotonic clock, no warning.
    MUSIC_INIT_SILENT = 0x1,
    // Silent output whose clock moves only with advanceClock(); nothing is decoded.
    MUSIC_INIT_STEPPED_CLOCK = 0x2,
    // Fail with MUSIC_ERR_NO_DEVICE instead of falling back to silence.
    MUSIC_INIT_REQUIRE_DEVICE = 0x4,
};

// Where the sound goes, decided by init().
enum class MusicOutput { NONE, DEVICE, SILENT, STEPPED };

class MusicStream {
public:
    // Length of the whole stream in milliseconds, found when it was opened.
    virtual uint32_t getLength() const = 0;

protected:
    ~MusicStream() = default; // owned by the system
};

class MusicChannel {
public:
    // Pauses or resumes playback. While paused the position holds.
    // MUSIC_ERR_CHANNEL_STOPPED after stop().
    virtual int setPaused(bool paused) = 0;
    // Writes whether the channel is paused. MUSIC_ERR_CHANNEL_STOPPED after stop().
    virtual int getPaused(bool* paused) = 0;
    // Writes the position the listener hears, in milliseconds from the start
    // of the stream: it never goes backwards, holds while paused and stops at
    // the stream's end. On failure *positionMs is left as it was.
    virtual int getPosition(uint32_t* positionMs) = 0;
    // Moves playback to `positionMs` from the stream's start, forwards or
    // backwards, paused or not (the pause state is kept). getPosition answers
    // exactly positionMs right afterwards and moves on from there by the
    // clock's rules: with the device, once the sound from that point is
    // heard; silently, with the monotonic clock; on the stepped clock, only
    // by advanceClock(). The position's floor (it never goes backwards)
    // starts again at positionMs. A position equal to the stream's length
    // is its end (nothing more plays). MUSIC_ERR_INVALID_PARAM beyond the
    // length (nothing changes), MUSIC_ERR_CHANNEL_STOPPED after stop(),
    // MUSIC_ERR_DECODER when the stream cannot be read from there (the
    // channel is stopped then).
    virtual int setPosition(uint32_t positionMs) = 0;
    // Writes false once the whole stream has been heard (or the channel was
    // stopped), true before.
    virtual int isPlaying(bool* playing) = 0;
    // Ends playback; afterwards the channel's operations give
    // MUSIC_ERR_CHANNEL_STOPPED until the next playSound().
    virtual int stop() = 0;

protected:
    ~MusicChannel() = default; // owned by the system
};

class MusicSystem {
public:
    // Creates a system (not yet initialised) and writes it to *system.
    // MUSIC_ERR_INVALID_PARAM for a null pointer.
    static int create(MusicSystem** system);

    // Starts audio output. `maxChannels` (>= 1) is accepted for the caller's
    // sake; one stream sounds at a time. `flags`: MUSIC_INIT_*. Without a
    // device (and without MUSIC_INIT_REQUIRE_DEVICE) this succeeds with silent
    // output and logs one warning, at once when the engine log exists,
    // otherwise at the first later call that finds it. What the audio
    // libraries say about a failure goes to the log at DEBUG_LEVEL_PLATFORM,
    // not to the terminal.
    virtual int init(int maxChannels, uint32_t flags) = 0;
    // Writes the kind of output init() chose (NONE before init).
    virtual int getOutput(MusicOutput* output) = 0;

    // Opens the MP3 file at `path` as a stream (decoded piece by piece while
    // it plays) and writes it to *stream. Reads the frame headers through once
    // to learn the exact length. MUSIC_ERR_FILE_NOT_FOUND, MUSIC_ERR_FORMAT
    // for an empty, truncated or undecodable file.
    virtual int createStream(const char* path, MusicStream** stream) = 0;

    // Plays `stream` from its start on the system's channel, paused or not,
    // and writes the channel to *channel. Whatever the channel played before
    // is stopped first. The position starts at 0.
    virtual int playSound(MusicStream* stream, bool paused, MusicChannel** channel) = 0;

    // Stepped clock only: moves a playing, unpaused channel on by `ms`
    // milliseconds (up to the stream's end). MUSIC_ERR_NOT_STEPPED otherwise.
    virtual int advanceClock(uint32_t ms) = 0;

    // Stops playback, closes the output, frees the streams and the system
    // itself. The pointer and its streams and channel are invalid afterwards.
    virtual int release() = 0;

protected:
    virtual ~MusicSystem() = default;
};

// A short English text for a result code ("OK", "file not found", ...).
const char* musicResultText(int result);

// The start-up a demo performs before its engine runs: create a system,
// initialise it, open `path` as a stream and start it paused. On failure
// everything made so far is released and `failedStep` names the step.
struct MusicStart {
    enum Step { NONE, SYSTEM, STREAM, PLAY };
    int result = MUSIC_OK;
    Step failedStep = NONE;
    MusicSystem* system = nullptr;
    MusicStream* stream = nullptr;
    MusicChannel* channel = nullptr;
};
MusicStart startMusicPaused(const char* path, int maxChannels = 100, uint32_t flags = MUSIC_INIT_NORMAL);

// The path of `fileName` in the folder that holds the running program (the
// plain name when that folder cannot be found).
std::string pathBesideProgram(const char* fileName);

} // namespace HAL
