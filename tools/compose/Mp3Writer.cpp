#include "Mp3Writer.h"

#include "Synth.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace compose {

namespace {

struct LameCloser {
    void operator()(lame_global_flags* gf) const { lame_close(gf); }
};

} // namespace

std::vector<unsigned char> encodeMp3(const StereoBuffer& pcm, const Mp3Settings& settings)
{
    std::unique_ptr<lame_global_flags, LameCloser> gf(lame_init());
    if (!gf)
        throw std::runtime_error("cannot initialise the MP3 encoder");
    lame_set_in_samplerate(gf.get(), kSampleRate);
    lame_set_out_samplerate(gf.get(), kSampleRate);
    lame_set_num_channels(gf.get(), 2);
    lame_set_mode(gf.get(), JOINT_STEREO);
    lame_set_VBR(gf.get(), vbr_off);
    lame_set_brate(gf.get(), settings.bitrateKbps);
    lame_set_quality(gf.get(), settings.quality);
    lame_set_bWriteVbrTag(gf.get(), 1);
    lame_set_write_id3tag_automatic(gf.get(), 0);
    if (lame_init_params(gf.get()) < 0)
        throw std::runtime_error("the MP3 encoder rejected its settings");

    std::vector<unsigned char> out;
    const std::size_t chunk = 1152 * 32;
    std::vector<unsigned char> buffer(chunk * 5 / 4 + 7200);
    for (std::size_t pos = 0; pos < pcm.frames(); pos += chunk) {
        const auto count = static_cast<int>(std::min(chunk, pcm.frames() - pos));
        const int bytes = lame_encode_buffer_ieee_float(gf.get(), pcm.left.data() + pos, pcm.right.data() + pos, count,
                                                        buffer.data(), static_cast<int>(buffer.size()));
        if (bytes < 0)
            throw std::runtime_error("MP3 encoding failed (LAME error " + std::to_string(bytes) + ")");
        out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
    }
    const int tail = lame_encode_flush(gf.get(), buffer.data(), static_cast<int>(buffer.size()));
    if (tail < 0)
        throw std::runtime_error("MP3 encoding failed while flushing (LAME error " + std::to_string(tail) + ")");
    out.insert(out.end(), buffer.begin(), buffer.begin() + tail);

    // LAME wrote a placeholder frame first; replace it with the final info tag.
    const std::size_t tagSize = lame_get_lametag_frame(gf.get(), buffer.data(), buffer.size());
    if (tagSize > buffer.size() || tagSize > out.size())
        throw std::runtime_error("MP3 info tag does not fit its placeholder");
    std::copy(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(tagSize), out.begin());
    return out;
}

void writeFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes)
{
    const std::string temp = path + ".part";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot open " + temp + " for writing");
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        std::remove(temp.c_str());
        throw std::runtime_error("cannot write " + temp);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw std::runtime_error("cannot rename " + temp + " to " + path);
    }
}

} // namespace compose
