#include "demo/CaptureProgress.h"

#include <algorithm>

#include "demo/OutputChecks.h"

namespace {

constexpr auto PRINT_INTERVAL = std::chrono::milliseconds(250);

} // namespace

CaptureProgress::CaptureProgress(std::FILE* out, uint32_t expectedFrames)
    : CaptureProgress(out, expectedFrames, isTerminal(out))
{
}

CaptureProgress::CaptureProgress(std::FILE* out, uint32_t expectedFrames, bool terminal)
    : m_out(out), m_expected(expectedFrames), m_start(std::chrono::steady_clock::now()), m_lastPrint(m_start),
      m_terminal(terminal)
{
}

std::string CaptureProgress::line(uint32_t frames, uint32_t expected, double seconds)
{
    char text[160];
    const double fps = seconds > 0.0 ? frames / seconds : 0.0;
    if (expected == 0) {
        std::snprintf(text, sizeof text, "frame %u, %.1f fps", frames, fps);
        return text;
    }
    // The show may end a little before or after the frames expected.
    const double percent = std::min(100.0, 100.0 * frames / expected);
    const uint32_t left = expected > frames ? expected - frames : 0;
    const int secondsLeft = fps > 0.0 ? static_cast<int>(left / fps + 0.5) : 0;
    if (fps > 0.0)
        std::snprintf(text, sizeof text, "frame %u (%.1f%%), %.1f fps, %d:%02d left", frames, percent, fps,
                      secondsLeft / 60, secondsLeft % 60);
    else
        std::snprintf(text, sizeof text, "frame %u (%.1f%%)", frames, percent);
    return text;
}

void CaptureProgress::print(uint32_t frames)
{
    const auto now = std::chrono::steady_clock::now();
    const std::string text = line(frames, m_expected, std::chrono::duration<double>(now - m_start).count());
    if (!m_terminal) {
        std::fprintf(m_out, "%s\n", text.c_str());
        std::fflush(m_out);
        m_lastPrint = now;
        m_printed = true;
        return;
    }
    // Blanks over the rest of a longer earlier line.
    const size_t pad = m_lastLength > text.size() ? m_lastLength - text.size() : 0;
    std::fprintf(m_out, "\r%s%*s", text.c_str(), static_cast<int>(pad), "");
    std::fflush(m_out);
    m_lastLength = text.size();
    m_lastPrint = now;
    m_printed = true;
}

void CaptureProgress::update(uint32_t frames)
{
    if (m_finished)
        return;
    if (!m_terminal) {
        if (m_expected == 0)
            return;
        const uint64_t tenths = std::min<uint64_t>(10, uint64_t(frames) * 10 / m_expected);
        if (tenths > m_tenthsPrinted && tenths < 10) { // 100% is the final line
            m_tenthsPrinted = static_cast<uint32_t>(tenths);
            print(frames);
        }
        return;
    }
    if (std::chrono::steady_clock::now() - m_lastPrint >= PRINT_INTERVAL)
        print(frames);
}

void CaptureProgress::finish(uint32_t frames)
{
    if (m_finished)
        return;
    m_finished = true;
    if (frames > 0)
        m_expected = frames; // done: the show ended where it ended
    print(frames);
    if (m_terminal) {
        std::fputc('\n', m_out);
        std::fflush(m_out);
    }
}
