#include "demo/PngSequence.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "demo/CaptureException.h"
#include "render/loaders/png/PNGWriter.h"

PngSequence::PngSequence(const std::string& folder, uint32_t firstIndex) : m_folder(folder), m_next(firstIndex)
{
    if (m_folder.empty())
        m_folder = "./";
#ifdef _WIN32
    const bool separatorLast = m_folder.back() == '/' || m_folder.back() == '\\';
#else
    const bool separatorLast = m_folder.back() == '/';
#endif
    if (!separatorLast)
        m_folder += '/';
    std::error_code error;
    std::filesystem::create_directories(m_folder, error);
    if (error || !std::filesystem::is_directory(m_folder, error))
        throw CaptureException("cannot make the folder " + m_folder +
                               (error ? ": " + error.message() : std::string(": a file is in the way")));
}

std::string PngSequence::framePath(uint32_t index) const
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05u.png", index);
    return m_folder + name;
}

void PngSequence::writeFrame(const uint8_t* rgbaBottomUp, int width, int height)
{
    // The read-back alpha is whatever the blending left: not part of the picture.
    render::PNGWriter::write(framePath(m_next).c_str(), width, height, rgbaBottomUp, render::PNGWriter::RGBX, true,
                             render::PNGWriter::COMPRESSION_FAST);
    ++m_next;
}
