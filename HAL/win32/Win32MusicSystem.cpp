#include "HAL/win32/Win32MusicSystem.h"

#include <windows.h>

#include <algorithm>
#include <exception>

#include "core/Debug.h"

namespace HAL {

namespace {

constexpr uint32_t KNOWN_FLAGS = MUSIC_INIT_SILENT | MUSIC_INIT_STEPPED_CLOCK | MUSIC_INIT_REQUIRE_DEVICE;

std::string toUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), bytes, nullptr, nullptr);
    return result;
}

} // namespace

int MusicSystem::create(MusicSystem** system)
{
    if (!system)
        return MUSIC_ERR_INVALID_PARAM;
    try {
        *system = new Win32MusicSystem();
    } catch (const std::exception&) {
        return MUSIC_ERR_INTERNAL;
    }
    return MUSIC_OK;
}

std::string pathBesideProgram(const char* fileName)
{
    if (!fileName)
        return "";
    // The module's path may be longer than MAX_PATH: grow until it fits.
    std::wstring program(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
        if (length == 0)
            return fileName;
        if (length < program.size()) {
            program.resize(length);
            break;
        }
        if (program.size() >= 32768)
            return fileName;
        program.resize(program.size() * 2);
    }
    const size_t slash = program.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return fileName;
    return toUtf8(program.substr(0, slash + 1)) + fileName;
}

Win32MusicSystem::Win32MusicSystem() : m_channel(*this)
{
}

Win32MusicSystem::~Win32MusicSystem()
{
    m_channel.closeDevice();
}

void Win32MusicSystem::warn(std::string text)
{
    m_warnings.push_back(std::move(text));
    flushWarnings();
}

void Win32MusicSystem::flushWarnings()
{
    if (m_warnings.empty() || !core::Debug::exists())
        return;
    for (const std::string& warning : m_warnings)
        core::Debug::printf(core::DEBUG_LEVEL_WARNING, "%s", warning.c_str());
    m_warnings.clear();
}

int Win32MusicSystem::init(int maxChannels, uint32_t flags)
{
    flushWarnings();
    if (m_channel.output() != MusicOutput::NONE)
        return MUSIC_ERR_INITIALIZED;
    const bool silent = (flags & (MUSIC_INIT_SILENT | MUSIC_INIT_STEPPED_CLOCK)) != 0;
    if (maxChannels < 1 || (flags & ~KNOWN_FLAGS) != 0 || (silent && (flags & MUSIC_INIT_REQUIRE_DEVICE)))
        return MUSIC_ERR_INVALID_PARAM;
    try {
        if (flags & MUSIC_INIT_STEPPED_CLOCK) {
            m_channel.configure(MusicOutput::STEPPED);
        } else if (flags & MUSIC_INIT_SILENT) {
            m_channel.configure(MusicOutput::SILENT);
        } else {
            std::string why;
            if (m_channel.openDevice(OUTPUT_RATE, why)) {
                m_channel.configure(MusicOutput::DEVICE);
                return MUSIC_OK;
            }
            if (flags & MUSIC_INIT_REQUIRE_DEVICE)
                return MUSIC_ERR_NO_DEVICE;
            m_channel.configure(MusicOutput::SILENT);
            warn("Music: no audio device (" + why + "), playing silently on the system clock\n");
        }
    } catch (const std::exception&) {
        m_channel.closeDevice();
        m_channel.configure(MusicOutput::NONE);
        return MUSIC_ERR_INTERNAL;
    }
    return MUSIC_OK;
}

int Win32MusicSystem::getOutput(MusicOutput* output)
{
    flushWarnings();
    if (!output)
        return MUSIC_ERR_INVALID_PARAM;
    *output = m_channel.output();
    return MUSIC_OK;
}

int Win32MusicSystem::createStream(const char* path, MusicStream** stream)
{
    flushWarnings();
    if (!path || !stream)
        return MUSIC_ERR_INVALID_PARAM;
    if (m_channel.output() == MusicOutput::NONE)
        return MUSIC_ERR_NOT_INITIALIZED;
    try {
        auto created = std::make_unique<Win32MusicStream>();
        const int result = created->decoder.open(path);
        if (result != MUSIC_OK)
            return result;
        const int64_t frames = created->decoder.length();
        created->rate = created->decoder.rate();
        if (frames <= 0 || created->rate == 0)
            return MUSIC_ERR_FORMAT;
        created->lengthUs = static_cast<uint64_t>(frames) * 1000000u / created->rate;
        m_streams.push_back(std::move(created));
    } catch (const std::exception&) {
        return MUSIC_ERR_INTERNAL;
    }
    *stream = m_streams.back().get();
    return MUSIC_OK;
}

int Win32MusicSystem::playSound(MusicStream* stream, bool paused, MusicChannel** channel)
{
    flushWarnings();
    if (!stream || !channel)
        return MUSIC_ERR_INVALID_PARAM;
    if (m_channel.output() == MusicOutput::NONE)
        return MUSIC_ERR_NOT_INITIALIZED;
    const auto own = std::find_if(m_streams.begin(), m_streams.end(),
                                  [stream](const std::unique_ptr<Win32MusicStream>& s) { return s.get() == stream; });
    if (own == m_streams.end())
        return MUSIC_ERR_INVALID_PARAM; // not one of ours
    try {
        const int result = m_channel.start(**own, paused);
        if (result != MUSIC_OK)
            return result;
    } catch (const std::exception&) {
        m_channel.stopPlayback();
        return MUSIC_ERR_INTERNAL;
    }
    *channel = &m_channel;
    return MUSIC_OK;
}

int Win32MusicSystem::advanceClock(uint32_t ms)
{
    flushWarnings();
    if (m_channel.output() != MusicOutput::STEPPED)
        return MUSIC_ERR_NOT_STEPPED;
    m_channel.advance(ms);
    return MUSIC_OK;
}

int Win32MusicSystem::release()
{
    flushWarnings();
    delete this;
    return MUSIC_OK;
}

} // namespace HAL
