#pragma once
// What a music system does the same on every platform: checks the arguments
// and the state of each call, owns the streams, chooses the output in
// init() and keeps the warning queue. A back end opens and closes the device
// and its streams' decoders, and hands the system its one channel.
//
// Warnings (no device, a decoding failure) are queued and written to the
// engine log by the caller's thread at the next call that finds the log; the
// audio, playback and decoder threads never log.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "HAL/Music.h"
#include "HAL/General/TimedMusicStream.h"

namespace HAL {

class ClockedMusicChannel;

class QueuedMusicSystem : public MusicSystem {
public:
    // Makes the system of the platform built for (MusicSystem::create() hands
    // it out); the back end's source defines it. Throws std::bad_alloc.
    static QueuedMusicSystem* newForPlatform();

    int init(int maxChannels, uint32_t flags) override;
    int getOutput(MusicOutput* output) override;
    int createStream(const char* path, MusicStream** stream) override;
    int playSound(MusicStream* stream, bool paused, MusicChannel** channel) override;
    int advanceClock(uint32_t ms) override;
    int release() override;

    // Queues a warning for the engine log and writes the queue if the log
    // exists (caller's thread only). Throws std::bad_alloc.
    void warn(std::string text);
    // Takes the platform's own messages (takePlatformMessages), then writes
    // the queue when the engine log exists. Allocates nothing once it does.
    void flushWarnings();

protected:
    ~QueuedMusicSystem() override = default;

    // The back end's one channel.
    virtual ClockedMusicChannel& ownChannel() = 0;
    // Opens the default device and configures the channel for DEVICE
    // output; on failure `why` says why (one line) and nothing stays open.
    // May throw std::bad_alloc.
    virtual bool openDevice(std::string& why) = 0;
    // Stops playback and closes the device; nothing when none is open.
    virtual void closeDevice() = 0;
    // Opens `path` as the back end's stream and measures its length into
    // *stream. Returns a MusicResult. Throws std::bad_alloc.
    virtual int openStream(const char* path, std::unique_ptr<TimedMusicStream>& stream) = 0;
    // Moves messages the platform's libraries left since the last call to
    // the log or the queue (queueMessage); nothing by default. Called at
    // every flush: cheap when there are none.
    virtual void takePlatformMessages() { }

    // Whether a message can go to the log at once: the log exists and
    // nothing waits ahead of it in the queue.
    bool canLogNow() const;
    // Queues `text` for the log at `level` (a core::DEBUG_LEVEL_*). Throws
    // std::bad_alloc.
    void queueMessage(uint32_t level, std::string text);

private:
    struct Warning {
        uint32_t level;
        std::string text;
    };

    std::vector<std::unique_ptr<TimedMusicStream>> m_streams;
    std::vector<Warning> m_warnings;
};

} // namespace HAL
