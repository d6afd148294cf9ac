#pragma once
// CapturePipeline: the capture's overlapped back end. writeFrame copies the
// frame into a free slot and returns, so the next frame renders while this
// one is stored: a writer thread feeds ffmpeg's pipe or, for a PNG
// sequence, writes the files in order while worker threads (one per core)
// encode them. The files and the video's input are byte for byte what the
// sequential sinks (FfmpegEncoder, PngSequence) make.
//
// Threads: the worker and writer threads use plain heap buffers, libpng
// through PNGWriter::encode, the C library's files and the encoder's pipe;
// never an engine object, the pool or the log. A failure on them is kept
// as its one-line text and thrown as CaptureException on the caller's
// thread by the next writeFrame or finish.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "demo/FrameSink.h"

class PngSequence;

class CapturePipeline final : public FrameSink {
public:
    // Frames in the slots at most: the frame rendering, the one being
    // written and one waiting, for a video.
    static constexpr unsigned VIDEO_SLOTS = 3;

    // A video: the frames reach `video`'s writeFrame on the writer thread
    // (its failures are CaptureExceptions, plain heap objects), finish on
    // the caller's. Throws std::system_error when no thread can start.
    explicit CapturePipeline(std::unique_ptr<FrameSink> video);
    // A PNG sequence into `sequence`'s folder, numbered from its first
    // index, encoded on `workers` threads (0: one per core).
    CapturePipeline(std::unique_ptr<PngSequence> sequence, unsigned workers);
    // Stops the threads (what was not written is dropped); never throws.
    ~CapturePipeline() override;
    CapturePipeline(const CapturePipeline&) = delete;
    CapturePipeline& operator=(const CapturePipeline&) = delete;

    // Copies the frame into the next slot, waiting while every slot is
    // busy. Throws CaptureException for a failure the threads met before.
    void writeFrame(const uint8_t* rgbaBottomUp, int width, int height) override;
    // Waits until every frame is stored, stops the threads, completes the
    // output. Throws CaptureException for a failure on the way.
    void finish() override;

    // How many threads encode PNG files (0 for a video).
    unsigned getWorkerCount() const { return static_cast<unsigned>(m_workers.size()); }
    // Seconds the caller waited in writeFrame for a free slot: the time the
    // rendering stood still because the storing was behind.
    double getWaitSeconds() const { return m_waitSeconds; }

private:
    enum class State : uint8_t { FREE, FILLED, ENCODING, ENCODED };
    struct Slot {
        std::vector<uint8_t> pixels;
        std::vector<uint8_t> png;
        int width = 0;
        int height = 0;
        uint64_t frame = 0; // its place in the capture, from 0
        State state = State::FREE;
    };

    void start(unsigned slots, unsigned workers);
    void workerLoop();
    void writerLoop();
    // Keeps the first failure and wakes everyone (lock held).
    void failLocked(std::string text);
    void stopThreads();
    void throwFailure();

    std::unique_ptr<FrameSink> m_video;
    std::unique_ptr<PngSequence> m_sequence;
    uint32_t m_firstIndex = 0;

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Slot> m_slots;
    uint64_t m_submitted = 0; // frames handed to writeFrame
    bool m_closing = false; // no more frames come
    bool m_failed = false;
    std::string m_failure;
    double m_waitSeconds = 0.0;

    std::vector<std::thread> m_workers;
    std::thread m_writer;
};
