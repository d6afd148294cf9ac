#include "demo/CapturePipeline.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>

#include "demo/CaptureException.h"
#include "demo/PngSequence.h"
#include "render/loaders/png/PNGWriter.h"

namespace {

// Writes `size` bytes to `path`, replacing it; on failure removes the file
// and returns the reason. The C library only: safe on any thread.
std::string writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return "IO Name: " + path + ". Message: cannot create the file: " + std::strerror(errno);
    int error = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        error = errno ? errno : EIO;
    if (std::fflush(file) != 0 && error == 0)
        error = errno ? errno : EIO;
    if (std::fclose(file) != 0 && error == 0)
        error = errno ? errno : EIO;
    if (error == 0)
        return {};
    std::remove(path.c_str());
    return "IO Name: " + path + ". Message: write failed: " + std::strerror(error);
}

} // namespace

CapturePipeline::CapturePipeline(std::unique_ptr<FrameSink> video) : m_video(std::move(video))
{
    start(VIDEO_SLOTS, 0);
}

CapturePipeline::CapturePipeline(std::unique_ptr<PngSequence> sequence, unsigned workers)
    : m_sequence(std::move(sequence)), m_firstIndex(m_sequence->getNextIndex())
{
    if (workers == 0)
        workers = std::thread::hardware_concurrency();
    if (workers == 0)
        workers = 1;
    // Every worker busy, one frame waiting for the writer, one being filled.
    start(workers + 2, workers);
}

CapturePipeline::~CapturePipeline()
{
    stopThreads();
}

void CapturePipeline::start(unsigned slots, unsigned workers)
{
    m_slots.resize(slots);
    try {
        for (unsigned i = 0; i < workers; ++i)
            m_workers.emplace_back(&CapturePipeline::workerLoop, this);
        m_writer = std::thread(&CapturePipeline::writerLoop, this);
    } catch (...) {
        stopThreads();
        throw;
    }
}

void CapturePipeline::stopThreads()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_closing = true;
        if (!m_failed) {
            // Dropping what is left: the threads end without it.
            m_failed = true;
            m_failure = "the capture was abandoned";
        }
    }
    m_changed.notify_all();
    for (std::thread& worker : m_workers)
        if (worker.joinable())
            worker.join();
    if (m_writer.joinable())
        m_writer.join();
}

void CapturePipeline::failLocked(std::string text)
{
    if (!m_failed) {
        m_failed = true;
        m_failure = std::move(text);
    }
    m_changed.notify_all();
}

void CapturePipeline::throwFailure()
{
    std::string text;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_failed)
            return;
        text = m_failure;
    }
    throw CaptureException(text);
}

void CapturePipeline::writeFrame(const uint8_t* rgbaBottomUp, int width, int height)
{
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4u;
    const uint64_t frame = m_submitted;
    Slot& slot = m_slots[frame % m_slots.size()];
    {
        std::unique_lock<std::mutex> guard(m_lock);
        if (slot.state != State::FREE && !m_failed) {
            const auto start = std::chrono::steady_clock::now();
            m_changed.wait(guard, [&] { return slot.state == State::FREE || m_failed; });
            m_waitSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    }
    throwFailure();
    // The slot is this thread's until it is marked FILLED.
    if (slot.pixels.size() != bytes)
        slot.pixels.resize(bytes);
    std::memcpy(slot.pixels.data(), rgbaBottomUp, bytes);
    slot.width = width;
    slot.height = height;
    slot.frame = frame;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        slot.state = State::FILLED;
        ++m_submitted;
    }
    m_changed.notify_all();
}

void CapturePipeline::workerLoop()
{
    std::unique_lock<std::mutex> guard(m_lock);
    for (;;) {
        Slot* next = nullptr;
        m_changed.wait(guard, [&] {
            if (m_failed || m_closing)
                return true;
            // The oldest filled frame first: the writer waits for it.
            for (Slot& slot : m_slots)
                if (slot.state == State::FILLED && (!next || slot.frame < next->frame))
                    next = &slot;
            return next != nullptr;
        });
        if (m_failed)
            return;
        if (!next) {
            // Closing: the frames still filled are taken before leaving.
            for (Slot& slot : m_slots)
                if (slot.state == State::FILLED && (!next || slot.frame < next->frame))
                    next = &slot;
            if (!next)
                return;
        }
        next->state = State::ENCODING;
        guard.unlock();
        std::string error;
        // The read-back alpha is whatever the blending left: not part of the picture.
        const bool encoded =
            render::PNGWriter::encode(next->png, next->width, next->height, next->pixels.data(),
                                      render::PNGWriter::RGBX, true, render::PNGWriter::COMPRESSION_FAST, error);
        guard.lock();
        if (!encoded) {
            failLocked("IO Name: " + m_sequence->framePath(m_firstIndex + static_cast<uint32_t>(next->frame)) +
                       ". Message: " + error);
            return;
        }
        next->state = State::ENCODED;
        m_changed.notify_all();
    }
}

void CapturePipeline::writerLoop()
{
    const State ready = m_video ? State::FILLED : State::ENCODED;
    uint64_t written = 0;
    std::unique_lock<std::mutex> guard(m_lock);
    for (;;) {
        Slot& slot = m_slots[written % m_slots.size()];
        m_changed.wait(guard, [&] {
            return m_failed || (slot.state == ready && slot.frame == written) || (m_closing && written == m_submitted);
        });
        if (m_failed || !(slot.state == ready && slot.frame == written))
            return; // failed, or every frame is written
        guard.unlock();
        std::string error;
        if (m_video) {
            try {
                m_video->writeFrame(slot.pixels.data(), slot.width, slot.height);
            } catch (const std::exception& e) {
                error = e.what();
            }
        } else {
            error = writeWholeFile(m_sequence->framePath(m_firstIndex + static_cast<uint32_t>(written)), slot.png);
        }
        guard.lock();
        if (!error.empty()) {
            failLocked(std::move(error));
            return;
        }
        slot.state = State::FREE;
        ++written;
        m_changed.notify_all();
    }
}

void CapturePipeline::finish()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_closing = true;
    }
    m_changed.notify_all();
    for (std::thread& worker : m_workers)
        if (worker.joinable())
            worker.join();
    if (m_writer.joinable())
        m_writer.join();
    throwFailure();
    if (m_video)
        m_video->finish();
}
