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

// Fails before the long render when an output file cannot be created.
void checkWritable(const std::string& path)
{
    const std::string probe = path + ".part";
    std::FILE* f = std::fopen(probe.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot open " + probe + " for writing");
    std::fclose(f);
    std::remove(probe.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const Options options = parse(argc, argv);
        checkWritable(options.mp3);
        if (!options.wav.empty())
            checkWritable(options.wav);
        const auto started = std::chrono::steady_clock::now();
        const compose::StereoBuffer mix = compose::renderMix();
        const auto rendered = std::chrono::steady_clock::now();
        compose::SoundtrackReport report;
        compose::StereoBuffer pcm;
        const std::vector<unsigned char> mp3 =
            compose::encodeSoundtrack(mix, compose::DeliveryTargets{}, &report, options.wav.empty() ? nullptr : &pcm);
        compose::writeFileAtomically(options.mp3, mp3);
        if (!options.wav.empty())
            compose::writeFileAtomically(options.wav, compose::encodeWav(pcm));
        const auto done = std::chrono::steady_clock::now();
        const auto secs = [](auto d) { return std::chrono::duration<double>(d).count(); };
        std::printf("compose: %s: %.2f s; decoded %.2f LUFS, peak %.2f dBFS; limiter %.1f dB; "
                    "render %.1f s, master+encode %.1f s (%d pass%s)\n",
                    options.mp3.c_str(), report.seconds, report.decodedLufs, report.decodedPeakDb,
                    report.master.maxReductionDb, secs(rendered - started), secs(done - rendered), report.attempts,
                    report.attempts == 1 ? "" : "es");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "compose: %s\n", e.what());
        return 1;
    }
}
