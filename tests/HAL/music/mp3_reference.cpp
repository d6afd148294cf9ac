// Makes the inputs and the references of the Windows MP3 decoder's test,
// whose build has neither LAME nor libmpg123:
//   mp3_reference encode-sweep RATE CHANNELS SECONDS OUT.mp3 [--no-tag]
//     a gliding tone (music_test::encodeSweep) encoded by LAME at
//     128 kbit/s, with a LAME tag unless --no-tag;
//   mp3_reference decode IN.mp3 OUT.raw
//     libmpg123's gapless decode at the file's own rate, interleaved
//     signed 16-bit little-endian stereo.
// Exits 0 on success, 1 with one line on stderr otherwise.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "HAL/General/Mp3FrameIndex.h"
#include "HAL/Music.h"
#include "HAL/sdl/Mpg123Decoder.h"
#include "tests/HAL/music/Mp3Files.h"

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: mp3_reference encode-sweep RATE CHANNELS SECONDS OUT.mp3 [--no-tag]\n"
                 "       mp3_reference decode IN.mp3 OUT.raw\n");
    return 1;
}

int decode(const char* in, const char* out)
{
    std::ifstream file(in, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const HAL::Mp3FrameIndex index(bytes.data(), bytes.size());
    if (!index.hasAudio()) {
        std::fprintf(stderr, "mp3_reference: no layer III audio in %s\n", in);
        return 1;
    }
    HAL::Mpg123Decoder decoder;
    if (decoder.open(in, static_cast<long>(index.sampleRate())) != HAL::MUSIC_OK) {
        std::fprintf(stderr, "mp3_reference: libmpg123 cannot open %s\n", in);
        return 1;
    }
    std::ofstream raw(out, std::ios::binary | std::ios::trunc);
    std::vector<int16_t> piece(4096 * HAL::Mpg123Decoder::CHANNELS);
    for (size_t n; (n = decoder.read(piece.data(), 4096)) > 0;)
        raw.write(reinterpret_cast<const char*>(piece.data()),
                  static_cast<std::streamsize>(n * HAL::Mpg123Decoder::CHANNELS * sizeof(int16_t)));
    if (decoder.failure() || !raw) {
        std::fprintf(stderr, "mp3_reference: decoding %s failed\n", in);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc >= 6 && std::strcmp(argv[1], "encode-sweep") == 0) {
            const bool tag = !(argc >= 7 && std::strcmp(argv[6], "--no-tag") == 0);
            music_test::writeFile(
                argv[5], music_test::encodeSweep(std::atoi(argv[2]), std::atoi(argv[3]), std::atof(argv[4]), tag));
            return 0;
        }
        if (argc == 4 && std::strcmp(argv[1], "decode") == 0)
            return decode(argv[2], argv[3]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mp3_reference: %s\n", e.what());
        return 1;
    }
    return usage();
}
