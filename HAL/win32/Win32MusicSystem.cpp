#include "HAL/win32/Win32MusicSystem.h"

#include <windows.h>

namespace HAL {

namespace {

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

QueuedMusicSystem* QueuedMusicSystem::newForPlatform()
{
    return new Win32MusicSystem();
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

bool Win32MusicSystem::openDevice(std::string& why)
{
    if (!m_channel.openDevice(OUTPUT_RATE, why))
        return false;
    m_channel.configure(MusicOutput::DEVICE);
    return true;
}

void Win32MusicSystem::closeDevice()
{
    m_channel.closeDevice();
}

int Win32MusicSystem::openStream(const char* path, std::unique_ptr<TimedMusicStream>& stream)
{
    auto created = std::make_unique<Win32MusicStream>();
    const int result = created->decoder.open(path);
    if (result != MUSIC_OK)
        return result;
    const int64_t frames = created->decoder.length();
    created->rate = created->decoder.rate();
    if (frames <= 0 || created->rate == 0)
        return MUSIC_ERR_FORMAT;
    created->lengthUs = static_cast<uint64_t>(frames) * 1000000u / created->rate;
    stream = std::move(created);
    return MUSIC_OK;
}

} // namespace HAL
