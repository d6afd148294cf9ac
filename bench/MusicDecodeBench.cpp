// How much of one core the music costs: the MP3 decoder's speed, in seconds
// of audio per second of CPU, and from it the CPU share of real-time
// playback (one second of audio is needed per second; a decoder that makes
// 100 s per CPU second takes 1 % of a core). Also the cost of opening a
// stream, which reads every frame header once to learn the exact length.
//
//   MusicDecodeBench [file.mp3] [benchmark options]
//
// The file defaults to the soundtrack override.mp3 beside the program (built
// by the soundtrack target).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "HAL/Music.h"
#include "HAL/sdl/Mpg123Decoder.h"

namespace {

constexpr long RATE = 44100;

std::string g_path;
double g_audioSecondsPerCpuSecond = 0.0;

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Decodes the whole stream in the playback path's piece size.
void BM_DecodeStream(benchmark::State& state)
{
    HAL::Mpg123Decoder decoder;
    if (decoder.open(g_path.c_str(), RATE) != HAL::MUSIC_OK) {
        state.SkipWithError("cannot open the MP3");
        return;
    }
    std::vector<int16_t> piece(4096 * HAL::Mpg123Decoder::CHANNELS);
    double audioSeconds = 0.0;
    double cpuSeconds = 0.0;
    for (auto _ : state) {
        decoder.rewind();
        const double start = threadCpuSeconds();
        size_t frames = 0;
        for (size_t n; (n = decoder.read(piece.data(), 4096)) > 0;)
            frames += n;
        cpuSeconds += threadCpuSeconds() - start;
        benchmark::DoNotOptimize(piece.data());
        audioSeconds += static_cast<double>(frames) / RATE;
    }
    if (cpuSeconds > 0.0) {
        g_audioSecondsPerCpuSecond = audioSeconds / cpuSeconds;
        state.counters["audio_s_per_cpu_s"] = g_audioSecondsPerCpuSecond;
        state.counters["realtime_cpu_%"] = 100.0 / g_audioSecondsPerCpuSecond;
    }
}
BENCHMARK(BM_DecodeStream)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Opening a stream: first-frame check plus the header scan for the length.
void BM_OpenAndScan(benchmark::State& state)
{
    for (auto _ : state) {
        HAL::Mpg123Decoder decoder;
        if (decoder.open(g_path.c_str(), RATE) != HAL::MUSIC_OK) {
            state.SkipWithError("cannot open the MP3");
            return;
        }
        benchmark::DoNotOptimize(decoder.scanLength());
    }
}
BENCHMARK(BM_OpenAndScan)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    g_path = argc > 1 ? argv[1] : HAL::pathBesideProgram("override.mp3");

    HAL::Mpg123Decoder probe;
    const int result = probe.open(g_path.c_str(), RATE);
    if (result != HAL::MUSIC_OK) {
        std::fprintf(stderr, "MusicDecodeBench: %s: %s (build the soundtrack or name an MP3)\n", g_path.c_str(),
                     HAL::musicResultText(result));
        return 1;
    }
    const double lengthSeconds = static_cast<double>(probe.scanLength()) / RATE;
    probe.close();
    std::printf("Stream: %s, %.1f s\n", g_path.c_str(), lengthSeconds);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (g_audioSecondsPerCpuSecond > 0.0) {
        std::printf("Decode speed: %.1f s of audio per CPU second\n", g_audioSecondsPerCpuSecond);
        std::printf("CPU share of real-time playback: %.3f %% of one core\n", 100.0 / g_audioSecondsPerCpuSecond);
    }
    return 0;
}
