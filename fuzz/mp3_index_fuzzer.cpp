// libFuzzer target: indexes arbitrary bytes as an MP3 in memory, the way
// the Windows music decoder reads its file. Whatever the input, the index
// must stay inside it: frames in order, without overlap, each a valid layer
// III frame size, and a gapless trim within the decoded samples. Anything
// else (an abort, a sanitizer report, an over-read) is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "HAL/General/Mp3FrameIndex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly `size` bytes, so that AddressSanitizer sees any
    // read past the end.
    const std::vector<uint8_t> bytes(data, data + size);
    const HAL::Mp3FrameIndex index(bytes.data(), bytes.size());
    if (!index.hasAudio()) {
        if (index.sampleRate() != 0 || index.length() != 0 || index.skip() != 0)
            std::abort();
        return 0;
    }
    if (index.channels() != 1 && index.channels() != 2)
        std::abort();
    if (index.samplesPerFrame() != 1152 && index.samplesPerFrame() != 576)
        std::abort();
    size_t end = 0;
    for (const HAL::Mp3FrameIndex::Frame& frame : index.frames()) {
        // The smallest frame: 8 kbit/s at 24 kHz (24 bytes); the largest 1441.
        if (frame.offset < end || frame.size < 24 || frame.size > 1441 || frame.offset + frame.size > size)
            std::abort();
        end = frame.offset + frame.size;
    }
    const int64_t decoded = int64_t(index.frames().size()) * index.samplesPerFrame();
    if (index.skip() < 0 || index.length() < 0 || index.skip() + index.length() > decoded)
        std::abort();
    return 0;
}
