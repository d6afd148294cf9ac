#pragma once
// The frames of an MP3 file held in memory: where each MPEG layer III frame
// starts and how long it is, the stream's format, and the gapless trim a
// decoder applies to the samples it decodes from them.
//
// An ID3v2 tag at the start is skipped; the stream starts at the first frame
// header that the next header confirms (so a false sync in leading garbage
// is passed over) and ends at the first thing that is not a frame of the
// same stream: a trailing ID3v1 or APE tag, garbage, or a last frame cut
// short (that frame is dropped; nothing past the end is read). A
// Xing/"Info" frame first in the stream carries no audio and is not listed;
// the LAME tag inside it gives the encoder's delay and padding.
//
// The trim follows libmpg123's gapless decode: with a LAME tag, the first
// encoderDelay + DECODER_DELAY decoded samples are dropped and the stream
// is frames x samplesPerFrame - encoderDelay - padding long (when frames
// are missing at the end, it runs to the end of the decode instead);
// without one, nothing is dropped and every decoded sample counts.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace HAL {

class Mp3FrameIndex {
public:
    // The delay of the layer III synthesis: the decoded signal lags the
    // encoder's input by this many samples.
    static constexpr int DECODER_DELAY = 529;

    struct Frame {
        size_t offset; // from the start of the data
        uint32_t size; // in bytes, header included
    };

    // Indexes `size` bytes at `data` (which need not outlive the index).
    // Never throws but std::bad_alloc; hasAudio() says whether any layer III
    // audio frame was found. Free-format streams (bit rate index 0) are not
    // supported and give no frames.
    Mp3FrameIndex(const uint8_t* data, size_t size);

    // True when at least one audio frame was found; everything below is
    // zero or empty otherwise.
    bool hasAudio() const { return !m_frames.empty(); }
    uint32_t sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }
    // 1152 for MPEG-1, 576 for MPEG-2 and 2.5.
    int samplesPerFrame() const { return m_samplesPerFrame; }
    // The audio frames in stream order (without a Xing/"Info" frame).
    const std::vector<Frame>& frames() const { return m_frames; }

    // Whether the first frame was a Xing/"Info" frame, and whether it held a
    // LAME tag with the encoder's delay and padding (in samples).
    bool hasInfoFrame() const { return m_infoFrame; }
    bool hasLameTag() const { return m_lameTag; }
    int encoderDelay() const { return m_encoderDelay; }
    int encoderPadding() const { return m_encoderPadding; }

    // Decoded samples (per channel) to drop at the start of the decode of
    // frames(), and the gapless length in samples that follows them.
    int64_t skip() const;
    int64_t length() const;

private:
    void readInfoFrame(const uint8_t* frame, size_t size, uint32_t header);

    std::vector<Frame> m_frames;
    uint32_t m_sampleRate = 0;
    int m_channels = 0;
    int m_samplesPerFrame = 0;
    bool m_infoFrame = false;
    bool m_lameTag = false;
    int m_encoderDelay = 0;
    int m_encoderPadding = 0;
    uint32_t m_taggedFrames = 0; // the audio frames the Xing frame counts, 0 when unknown
};

} // namespace HAL
