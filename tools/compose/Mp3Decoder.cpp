#include "Mp3Decoder.h"

#include "Synth.h"

#include <mpg123.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace compose {

namespace {

struct HandleCloser {
    void operator()(mpg123_handle* mh) const
    {
        mpg123_close(mh);
        mpg123_delete(mh);
    }
};

void check(int result, mpg123_handle* mh, const char* what)
{
    if (result != MPG123_OK)
        throw std::runtime_error(std::string("MP3 decoding failed (") + what + "): " + mpg123_strerror(mh));
}

} // namespace

StereoBuffer decodeMp3(const std::vector<unsigned char>& bytes)
{
    int error = MPG123_OK;
    std::unique_ptr<mpg123_handle, HandleCloser> mh(mpg123_new(nullptr, &error));
    if (!mh)
        throw std::runtime_error(std::string("cannot create an MP3 decoder: ") + mpg123_plain_strerror(error));
    check(mpg123_param(mh.get(), MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_FLOAT, 0.0), mh.get(),
          "flags");
    check(mpg123_format_none(mh.get()), mh.get(), "format");
    check(mpg123_format(mh.get(), kSampleRate, MPG123_STEREO, MPG123_ENC_FLOAT_32), mh.get(), "format");
    check(mpg123_open_feed(mh.get()), mh.get(), "open");
    check(mpg123_feed(mh.get(), bytes.data(), bytes.size()), mh.get(), "feed");

    StereoBuffer out;
    std::vector<float> chunk(1152 * 2 * 16);
    while (true) {
        size_t done = 0;
        const int r = mpg123_read(mh.get(), chunk.data(), chunk.size() * sizeof(float), &done);
        const std::size_t frames = done / (2 * sizeof(float));
        for (std::size_t i = 0; i < frames; ++i) {
            out.left.push_back(chunk[2 * i]);
            out.right.push_back(chunk[2 * i + 1]);
        }
        if (r == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            check(mpg123_getformat(mh.get(), &rate, &channels, &encoding), mh.get(), "format");
            if (rate != kSampleRate || channels != 2 || encoding != MPG123_ENC_FLOAT_32)
                throw std::runtime_error("MP3 is not 44.1 kHz stereo");
            continue;
        }
        if (r == MPG123_OK)
            continue;
        // All data was fed at once, so needing more means the stream is over.
        if (r == MPG123_NEED_MORE || r == MPG123_DONE)
            break;
        check(r, mh.get(), "read");
    }
    if (out.frames() == 0)
        throw std::runtime_error("MP3 holds no audio");
    return out;
}

} // namespace compose
