#include "WavWriter.h"

#include "Synth.h"

#include <cstdint>
#include <cstring>

namespace compose {

namespace {

void put32(std::vector<unsigned char>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void put16(std::vector<unsigned char>& out, uint16_t v)
{
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void putTag(std::vector<unsigned char>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(tag[i]));
}

} // namespace

std::vector<unsigned char> encodeWav(const StereoBuffer& pcm)
{
    const auto frames = static_cast<uint32_t>(pcm.frames());
    const uint32_t dataBytes = frames * 8;
    std::vector<unsigned char> out;
    out.reserve(dataBytes + 64);
    putTag(out, "RIFF");
    put32(out, 4 + (8 + 18) + (8 + 4) + (8 + dataBytes));
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 18);
    put16(out, 3); // IEEE float
    put16(out, 2);
    put32(out, kSampleRate);
    put32(out, kSampleRate * 8);
    put16(out, 8);
    put16(out, 32);
    put16(out, 0);
    putTag(out, "fact");
    put32(out, 4);
    put32(out, frames);
    putTag(out, "data");
    put32(out, dataBytes);
    for (uint32_t i = 0; i < frames; ++i) {
        for (float v : {pcm.left[i], pcm.right[i]}) {
            uint32_t bits = 0;
            std::memcpy(&bits, &v, sizeof bits);
            put32(out, bits);
        }
    }
    return out;
}

} // namespace compose
