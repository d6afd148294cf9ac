#include "HAL/General/Mp3FrameIndex.h"

#include <algorithm>
#include <cstring>

namespace HAL {

namespace {

// The fields that stay the same from frame to frame of one stream: sync,
// version, layer and sample rate (the channel count is compared apart).
constexpr uint32_t SAME_STREAM_MASK = 0xFFFE0C00u;

struct Header {
    bool valid = false;
    bool mpeg1 = false;
    bool mono = false;
    bool crc = false;
    uint32_t rate = 0;
    uint32_t size = 0;
    int samplesPerFrame = 0;
};

uint32_t bigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Decodes a 4-byte frame header; only layer III with a bit rate from the
// tables (not free format) is valid.
Header parseHeader(uint32_t bits)
{
    static const uint16_t BITRATES[2][15] = {
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}, // MPEG-1
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}, // MPEG-2 and 2.5
    };
    static const uint32_t RATES[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

    Header header;
    const uint32_t version = (bits >> 19) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const uint32_t layer = (bits >> 17) & 3; // 1: layer III
    const uint32_t bitrateIndex = (bits >> 12) & 15;
    const uint32_t rateIndex = (bits >> 10) & 3;
    if ((bits & 0xFFE00000u) != 0xFFE00000u || version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3 || (bits & 3) == 2)
        return header;
    header.mpeg1 = version == 3;
    header.rate = RATES[version == 3 ? 0 : version == 2 ? 1 : 2][rateIndex];
    header.mono = ((bits >> 6) & 3) == 3;
    header.crc = ((bits >> 16) & 1) == 0;
    header.samplesPerFrame = header.mpeg1 ? 1152 : 576;
    const uint32_t bitrate = BITRATES[header.mpeg1 ? 0 : 1][bitrateIndex] * 1000u;
    const uint32_t padding = (bits >> 9) & 1;
    header.size = (header.mpeg1 ? 144 : 72) * bitrate / header.rate + padding;
    header.valid = true;
    return header;
}

bool sameStream(uint32_t a, uint32_t b)
{
    return (a & SAME_STREAM_MASK) == (b & SAME_STREAM_MASK) && (((a >> 6) & 3) == 3) == (((b >> 6) & 3) == 3);
}

// Where the audio starts: past any ID3v2 tags (a footer adds 10 bytes).
size_t skipId3v2(const uint8_t* data, size_t size)
{
    size_t pos = 0;
    while (size - pos >= 10 && std::memcmp(data + pos, "ID3", 3) == 0) {
        const uint8_t* sizeBytes = data + pos + 6;
        if ((sizeBytes[0] | sizeBytes[1] | sizeBytes[2] | sizeBytes[3]) & 0x80)
            break; // not a sync-safe size: not a tag after all
        const size_t tagSize =
            size_t(sizeBytes[0]) << 21 | size_t(sizeBytes[1]) << 14 | size_t(sizeBytes[2]) << 7 | size_t(sizeBytes[3]);
        const size_t total = 10 + tagSize + ((data[pos + 5] & 0x10) ? 10 : 0);
        if (total > size - pos)
            return size;
        pos += total;
    }
    return pos;
}

// The header at `pos` when a whole frame of the stream `reference` (any,
// when 0) starts there.
Header frameAt(const uint8_t* data, size_t size, size_t pos, uint32_t reference)
{
    if (size - pos < 4)
        return {};
    const uint32_t bits = bigEndian32(data + pos);
    if (reference != 0 && !sameStream(bits, reference))
        return {};
    const Header header = parseHeader(bits);
    if (!header.valid || header.size > size - pos)
        return {};
    return header;
}

// The first position from `pos` on where a frame starts whose successor is
// a frame of the same stream too (or which ends the data exactly): a lone
// sync pattern in garbage or tag text is passed over. `size` when none.
size_t findConfirmedFrame(const uint8_t* data, size_t size, size_t pos, uint32_t reference)
{
    for (; pos + 4 <= size; ++pos) {
        if (data[pos] != 0xFF || (data[pos + 1] & 0xE0) != 0xE0)
            continue;
        const Header header = frameAt(data, size, pos, reference);
        if (!header.valid)
            continue;
        const size_t next = pos + header.size;
        if (next == size || frameAt(data, size, next, bigEndian32(data + pos)).valid)
            return pos;
    }
    return size;
}

} // namespace

Mp3FrameIndex::Mp3FrameIndex(const uint8_t* data, size_t size)
{
    if (!data)
        return;
    size_t pos = findConfirmedFrame(data, size, skipId3v2(data, size), 0);
    if (pos >= size)
        return;
    const uint32_t first = bigEndian32(data + pos);
    const Header format = parseHeader(first);
    m_sampleRate = format.rate;
    m_channels = format.mono ? 1 : 2;
    m_samplesPerFrame = format.samplesPerFrame;
    readInfoFrame(data + pos, format.size, first);
    if (m_infoFrame)
        pos += format.size;

    while (pos < size) {
        Header header = frameAt(data, size, pos, first);
        if (!header.valid) {
            // Damage inside the stream, or its end: carry on at the next
            // confirmed frame if there is one.
            pos = findConfirmedFrame(data, size, pos + 1, first);
            if (pos >= size)
                break;
            header = frameAt(data, size, pos, first);
        }
        m_frames.push_back({pos, header.size});
        pos += header.size;
    }

    if (m_frames.empty()) {
        m_sampleRate = 0;
        m_channels = m_samplesPerFrame = m_encoderDelay = m_encoderPadding = 0;
        m_infoFrame = m_lameTag = false;
        m_taggedFrames = 0;
    }
}

void Mp3FrameIndex::readInfoFrame(const uint8_t* frame, size_t size, uint32_t bits)
{
    const Header header = parseHeader(bits);
    // The tag follows the side information, whose size depends on the
    // version and the channel count.
    const size_t sideInfo = header.mpeg1 ? (header.mono ? 17 : 32) : (header.mono ? 9 : 17);
    size_t pos = 4 + (header.crc ? 2 : 0) + sideInfo;
    if (pos + 8 > size || (std::memcmp(frame + pos, "Xing", 4) != 0 && std::memcmp(frame + pos, "Info", 4) != 0))
        return;
    m_infoFrame = true;
    const uint32_t flags = bigEndian32(frame + pos + 4);
    pos += 8;
    if (flags & 1) {
        if (pos + 4 > size)
            return;
        m_taggedFrames = bigEndian32(frame + pos);
        pos += 4;
    }
    pos += (flags & 2) ? 4 : 0; // byte count
    pos += (flags & 4) ? 100 : 0; // seek table
    pos += (flags & 8) ? 4 : 0; // quality
    // The LAME tag (36 bytes): a 9-byte encoder name, 12 bytes of other
    // fields, then the delay and the padding as two 12-bit numbers.
    if (pos + 36 > size)
        return;
    const uint8_t* delayBytes = frame + pos + 21;
    m_lameTag = true;
    m_encoderDelay = delayBytes[0] << 4 | delayBytes[1] >> 4;
    m_encoderPadding = (delayBytes[1] & 0x0F) << 8 | delayBytes[2];
}

int64_t Mp3FrameIndex::skip() const
{
    if (!m_lameTag || m_frames.empty())
        return 0;
    return std::min<int64_t>(m_encoderDelay + DECODER_DELAY, int64_t(m_frames.size()) * m_samplesPerFrame);
}

int64_t Mp3FrameIndex::length() const
{
    const int64_t decoded = int64_t(m_frames.size()) * m_samplesPerFrame;
    if (!m_lameTag)
        return decoded;
    // The padding lies at the end of the frames the encoder wrote: when
    // fewer are left (a file cut short), so is the padding, and the decode
    // runs to the end of the frames that are there.
    const int64_t written = m_taggedFrames > 0 ? int64_t(m_taggedFrames) * m_samplesPerFrame : decoded;
    const int64_t end = std::min(decoded, written - m_encoderPadding + DECODER_DELAY);
    return std::max<int64_t>(0, end - skip());
}

} // namespace HAL
