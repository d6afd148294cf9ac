#include "HAL/win32/AcmMp3Decoder.h"

// clang-format off: windows.h comes before the headers that need it.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "HAL/General/Mp3FrameIndex.h"
#include "HAL/Music.h"

namespace HAL {

namespace {

// The largest layer III frame: 320 kbit/s at 32 kHz with padding (MPEG-1),
// or 160 kbit/s at 8 kHz (MPEG-2.5), 1441 bytes either way.
constexpr size_t MAX_FRAME_BYTES = 1441;
// The codec is fed whole frames; what it leaves unused stays in front of the
// next ones, so the staging buffer holds a few.
constexpr size_t SOURCE_BYTES = 8 * MAX_FRAME_BYTES;
// Room for what one conversion gives back: several frames of 16-bit stereo.
constexpr size_t DEST_BYTES = 8 * 1152 * 2 * sizeof(int16_t);
// Frames decoded ahead of a seek's target and thrown away: the bit
// reservoir reaches back up to 511 bytes (a few frames at low bit rates)
// and the synthesis filter bank needs a frame or two to settle.
constexpr int64_t SEEK_PREROLL_FRAMES = 8;
// Samples the codec gives before the first sample of its decode of the
// first frame fed (libmpg123's sample 0 of that frame). Measured under
// Wine 8: none; its output of a whole LAME file, tag frame included, leads
// libmpg123's gapless decode by 2257 samples, which are the tag frame's
// 1152, the encoder's 576 and the synthesis delay's 529.
constexpr int64_t CODEC_LEAD_SAMPLES = 0;
// Files larger than this are not music.
constexpr LONGLONG MAX_FILE_BYTES = 512LL * 1024 * 1024;
// When the codec's output ends short of the length, at most this much
// silence stands in for it (a codec that keeps its last frame); more is a
// failure.
constexpr int64_t MAX_MISSING_SAMPLES = 2 * 1152;

std::optional<std::vector<uint8_t>> readWholeFile(const char* path)
{
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    if (wideLength <= 0)
        return std::nullopt;
    std::wstring widePath(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, widePath.data(), wideLength);

    // A folder cannot be opened this way (that needs backup semantics).
    HANDLE file = CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::optional<std::vector<uint8_t>> bytes;
    LARGE_INTEGER size;
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size)) {
        // A file too large to be music is read as empty, which holds no audio.
        bytes.emplace(static_cast<size_t>(size.QuadPart <= MAX_FILE_BYTES ? size.QuadPart : 0));
        size_t done = 0;
        DWORD got = 0;
        while (done < bytes->size() &&
               ReadFile(file, bytes->data() + done, static_cast<DWORD>(bytes->size() - done), &got, nullptr) && got > 0)
            done += got;
        bytes->resize(done);
    }
    CloseHandle(file);
    return bytes;
}

} // namespace

struct AcmMp3Decoder::State {
    std::vector<uint8_t> file;
    std::optional<Mp3FrameIndex> index;
    int64_t length = 0;

    HACMSTREAM stream = nullptr;
    ACMSTREAMHEADER header{};
    std::vector<uint8_t> source = std::vector<uint8_t>(SOURCE_BYTES);
    std::vector<uint8_t> dest = std::vector<uint8_t>(DEST_BYTES);
    size_t sourceFill = 0; // bytes waiting in `source`
    size_t nextFrame = 0; // the next frame to feed
    bool started = false; // the first conversion is made
    bool flushed = false; // the codec was told the stream ends and gave all it had

    std::vector<int16_t> pcm; // decoded stereo not yet handed out
    size_t pcmRead = 0; // samples of `pcm` handed out
    int64_t discard = 0; // decoded frames still to drop before the position
    int64_t position = 0; // output frames handed out
    bool atEnd = false;
    const char* failure = nullptr;

    ~State() { closeStream(); }

    // Opens the codec on the file's format; an MMRESULT.
    MMRESULT openStream()
    {
        closeStream();
        MPEGLAYER3WAVEFORMAT mp3{};
        mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
        mp3.wfx.nChannels = static_cast<WORD>(index->channels());
        mp3.wfx.nSamplesPerSec = index->sampleRate();
        mp3.wfx.nAvgBytesPerSec = 128000 / 8; // a hint only; frames carry their own bit rate
        mp3.wfx.nBlockAlign = 1;
        mp3.wfx.wBitsPerSample = 0;
        mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
        mp3.wID = MPEGLAYER3_ID_MPEG;
        mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
        mp3.nBlockSize = static_cast<WORD>(index->frames().front().size);
        mp3.nFramesPerBlock = 1;
        mp3.nCodecDelay = 1393;

        WAVEFORMATEX pcmFormat{};
        pcmFormat.wFormatTag = WAVE_FORMAT_PCM;
        pcmFormat.nChannels = static_cast<WORD>(index->channels());
        pcmFormat.nSamplesPerSec = index->sampleRate();
        pcmFormat.wBitsPerSample = 16;
        pcmFormat.nBlockAlign = static_cast<WORD>(pcmFormat.nChannels * 2);
        pcmFormat.nAvgBytesPerSec = pcmFormat.nSamplesPerSec * pcmFormat.nBlockAlign;

        MMRESULT result =
            acmStreamOpen(&stream, nullptr, &mp3.wfx, &pcmFormat, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
        if (result != MMSYSERR_NOERROR) {
            stream = nullptr;
            return result;
        }
        header = ACMSTREAMHEADER{};
        header.cbStruct = sizeof header;
        header.pbSrc = source.data();
        header.cbSrcLength = static_cast<DWORD>(source.size());
        header.pbDst = dest.data();
        header.cbDstLength = static_cast<DWORD>(dest.size());
        result = acmStreamPrepareHeader(stream, &header, 0);
        if (result != MMSYSERR_NOERROR) {
            acmStreamClose(stream, 0);
            stream = nullptr;
        }
        return result;
    }

    void closeStream()
    {
        if (!stream)
            return;
        header.cbSrcLength = static_cast<DWORD>(source.size());
        header.cbDstLength = static_cast<DWORD>(dest.size());
        acmStreamUnprepareHeader(stream, &header, 0);
        acmStreamClose(stream, 0);
        stream = nullptr;
    }

    // Restarts decoding so that the next frame handed out is output frame
    // `frame`: the codec starts afresh some frames before it.
    bool restart(int64_t frame)
    {
        pcm.clear();
        pcmRead = 0;
        sourceFill = 0;
        started = flushed = false;
        atEnd = false;
        failure = nullptr;
        position = frame;
        if (openStream() != MMSYSERR_NOERROR)
            return fail("the MP3 codec cannot be opened");
        const int64_t spf = index->samplesPerFrame();
        const int64_t decoded = frame + index->skip(); // in the decode of every frame from the first
        const int64_t first = std::max<int64_t>(0, decoded / spf - SEEK_PREROLL_FRAMES);
        nextFrame = static_cast<size_t>(first);
        discard = decoded - first * spf + CODEC_LEAD_SAMPLES;
        atEnd = position >= length;
        return true;
    }

    bool fail(const char* why)
    {
        failure = why;
        atEnd = true;
        closeStream();
        return false;
    }

    // One conversion of what waits in `source`; `flags` adds START or END.
    bool convert(DWORD flags, DWORD& produced)
    {
        header.cbSrcLength = static_cast<DWORD>(sourceFill);
        header.cbSrcLengthUsed = 0;
        header.cbDstLength = static_cast<DWORD>(dest.size());
        header.cbDstLengthUsed = 0;
        if (!started)
            flags |= ACM_STREAMCONVERTF_START;
        if (acmStreamConvert(stream, &header, flags) != MMSYSERR_NOERROR)
            return fail("the MP3 codec failed to convert");
        started = true;
        const size_t used = std::min<size_t>(header.cbSrcLengthUsed, sourceFill);
        std::memmove(source.data(), source.data() + used, sourceFill - used);
        sourceFill -= used;
        produced = std::min<DWORD>(header.cbDstLengthUsed, static_cast<DWORD>(dest.size()));
        keep(produced);
        return true;
    }

    // Takes the codec's output into `pcm` as stereo, after the samples
    // still to be dropped.
    void keep(DWORD bytes)
    {
        const int channels = index->channels();
        const auto* samples = reinterpret_cast<const int16_t*>(dest.data());
        int64_t frames = bytes / (2 * channels);
        int64_t from = std::min(discard, frames);
        discard -= from;
        if (pcmRead > 0 && pcmRead == pcm.size()) {
            pcm.clear();
            pcmRead = 0;
        }
        for (; from < frames; ++from) {
            const int16_t left = samples[from * channels];
            pcm.push_back(left);
            pcm.push_back(channels == 2 ? samples[from * channels + 1] : left);
        }
    }

    // Decodes more into `pcm`; false once the codec has nothing more.
    bool decodeMore()
    {
        if (!stream || flushed)
            return false;
        const auto& frames = index->frames();
        DWORD produced = 0;
        if (nextFrame < frames.size()) {
            // Whole frames while they fit behind what the codec left.
            while (nextFrame < frames.size() && sourceFill + frames[nextFrame].size <= source.size()) {
                const Mp3FrameIndex::Frame& frame = frames[nextFrame++];
                std::memcpy(source.data() + sourceFill, file.data() + frame.offset, frame.size);
                sourceFill += frame.size;
                if (sourceFill >= MAX_FRAME_BYTES)
                    break;
            }
            const size_t before = sourceFill;
            if (!convert(0, produced))
                return false;
            if (produced == 0 && sourceFill == before && sourceFill + MAX_FRAME_BYTES > source.size())
                return fail("the MP3 codec takes no more input");
            return true;
        }
        // The end: everything left, then whatever the codec still holds.
        if (!convert(ACM_STREAMCONVERTF_END, produced))
            return false;
        if (produced == 0)
            flushed = true;
        return true;
    }
};

AcmMp3Decoder::AcmMp3Decoder() = default;

AcmMp3Decoder::~AcmMp3Decoder() = default;

void AcmMp3Decoder::close()
{
    m_state.reset();
}

bool AcmMp3Decoder::isOpen() const
{
    return m_state != nullptr;
}

int AcmMp3Decoder::open(const char* path)
{
    close();
    if (!path)
        return MUSIC_ERR_INVALID_PARAM;
    std::optional<std::vector<uint8_t>> bytes = readWholeFile(path);
    if (!bytes)
        return MUSIC_ERR_FILE_NOT_FOUND;
    auto state = std::make_unique<State>();
    state->file = std::move(*bytes);
    state->index.emplace(state->file.data(), state->file.size());
    if (!state->index->hasAudio())
        return MUSIC_ERR_FORMAT;
    state->length = state->index->length();

    const MMRESULT opened = state->openStream();
    if (opened == ACMERR_NOTPOSSIBLE)
        return MUSIC_ERR_FORMAT;
    if (opened != MMSYSERR_NOERROR)
        return MUSIC_ERR_DECODER;
    m_state = std::move(state);

    // The codec accepting the format proves little: some audio must come.
    int16_t probe[64 * CHANNELS];
    if (!rewind() || read(probe, 64) == 0 || !rewind()) {
        close();
        return MUSIC_ERR_FORMAT;
    }
    return MUSIC_OK;
}

int64_t AcmMp3Decoder::length() const
{
    return m_state ? m_state->length : 0;
}

uint32_t AcmMp3Decoder::rate() const
{
    return m_state ? m_state->index->sampleRate() : 0;
}

bool AcmMp3Decoder::seek(int64_t frame)
{
    if (!m_state || frame < 0 || frame > m_state->length)
        return false;
    return m_state->restart(frame);
}

size_t AcmMp3Decoder::read(int16_t* out, size_t frames)
{
    if (!m_state || !out)
        return 0;
    State& s = *m_state;
    size_t done = 0;
    while (done < frames && !s.atEnd) {
        const int64_t left = s.length - s.position;
        if (left <= 0) {
            s.atEnd = true;
            break;
        }
        const size_t ready = (s.pcm.size() - s.pcmRead) / CHANNELS;
        if (ready == 0) {
            if (s.decodeMore())
                continue;
            if (s.failure)
                break;
            // The codec has given everything: short by a little, the rest
            // is silence; by more, decoding failed.
            if (left > MAX_MISSING_SAMPLES) {
                s.fail("the MP3 codec's output ends early");
                break;
            }
            const size_t silence = std::min<size_t>(frames - done, static_cast<size_t>(left));
            std::fill(out + done * CHANNELS, out + (done + silence) * CHANNELS, int16_t(0));
            done += silence;
            s.position += static_cast<int64_t>(silence);
            continue;
        }
        const size_t n = std::min({ready, frames - done, static_cast<size_t>(left)});
        std::copy_n(s.pcm.data() + s.pcmRead, n * CHANNELS, out + done * CHANNELS);
        s.pcmRead += n * CHANNELS;
        done += n;
        s.position += static_cast<int64_t>(n);
    }
    return done;
}

bool AcmMp3Decoder::atEnd() const
{
    return !m_state || m_state->atEnd;
}

const char* AcmMp3Decoder::failure() const
{
    return m_state ? m_state->failure : nullptr;
}

} // namespace HAL
