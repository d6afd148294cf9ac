// compose: writes the demo's soundtrack as an MP3 file.
//   compose OUT.mp3 [--wav OUT.wav]

#include "Mp3Writer.h"
#include "Soundtrack.h"
#include "WavWriter.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

namespace {

struct Options {
    std::string mp3;
    std::string wav;
};

Options parse(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--wav") {
            if (i + 1 >= argc)
                throw std::runtime_error("--wav needs a file name");
            o.wav = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            throw std::runtime_error("unknown option " + arg + " (usage: compose OUT.mp3 [--wav OUT.wav])");
        } else if (o.mp3.empty()) {
            o.mp3 = arg;
        } else {
            throw std::runtime_error("more than one output file given (usage: compose OUT.mp3 [--wav OUT.wav])");
        }
    }
    if (o.mp3.empty())
        throw std::runtime_error("no output file given (usage: compose OUT.mp3 [--wav OUT.wav])");
    return o;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const Options options = parse(argc, argv);
        const auto started = std::chrono::steady_clock::now();
        compose::SoundtrackReport report;
        const compose::StereoBuffer pcm = compose::renderSoundtrack(&report);
        const auto rendered = std::chrono::steady_clock::now();
        compose::writeFileAtomically(options.mp3, compose::encodeMp3(pcm));
        if (!options.wav.empty())
            compose::writeFileAtomically(options.wav, compose::encodeWav(pcm));
        const auto done = std::chrono::steady_clock::now();
        const auto secs = [](auto d) { return std::chrono::duration<double>(d).count(); };
        std::printf("compose: %s: %.2f s, %.2f LUFS, peak %.2f dBFS, limiter %.1f dB, "
                    "render %.1f s, encode %.1f s\n",
                    options.mp3.c_str(), report.seconds, report.master.loudnessLufs, report.master.peakDb,
                    report.master.maxReductionDb, secs(rendered - started), secs(done - rendered));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "compose: %s\n", e.what());
        return 1;
    }
}
