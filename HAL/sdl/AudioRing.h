#pragma once
// A lock-free ring of 16-bit samples between exactly one writing thread (the
// decoder) and one reading thread (the audio callback). Storage is allocated
// once, up front; neither side allocates or blocks.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace HAL {

class AudioRing {
public:
    // Holds up to `capacity` samples. Requires capacity > 0.
    explicit AudioRing(size_t capacity) : m_data(capacity) { }

    size_t capacity() const { return m_data.size(); }
    // Samples waiting to be read (exact on the reading side, a lower bound elsewhere).
    size_t available() const
    {
        return m_written.load(std::memory_order_acquire) - m_read.load(std::memory_order_acquire);
    }
    // Free places (exact on the writing side, a lower bound elsewhere).
    size_t space() const { return capacity() - available(); }

    // Writer: copies up to `count` samples in; returns how many fit.
    size_t write(const int16_t* samples, size_t count)
    {
        const size_t written = m_written.load(std::memory_order_relaxed);
        const size_t free = capacity() - (written - m_read.load(std::memory_order_acquire));
        if (count > free)
            count = free;
        for (size_t i = 0; i < count; ++i)
            m_data[(written + i) % capacity()] = samples[i];
        m_written.store(written + count, std::memory_order_release);
        return count;
    }

    // Reader: copies up to `count` samples out; returns how many there were.
    size_t read(int16_t* samples, size_t count)
    {
        const size_t read = m_read.load(std::memory_order_relaxed);
        const size_t waiting = m_written.load(std::memory_order_acquire) - read;
        if (count > waiting)
            count = waiting;
        for (size_t i = 0; i < count; ++i)
            samples[i] = m_data[(read + i) % capacity()];
        m_read.store(read + count, std::memory_order_release);
        return count;
    }

private:
    std::vector<int16_t> m_data;
    // Running totals of samples (64 bits: they never wrap in practice);
    // their difference is the fill level.
    std::atomic<size_t> m_written{0};
    std::atomic<size_t> m_read{0};
};

} // namespace HAL
