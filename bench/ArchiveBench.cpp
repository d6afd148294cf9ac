// Mounting a 32 MiB TAR archive from memory, plain and gzipped, beside
// zlib's own inflate of the same gzip bytes. All three report the archive's
// unpacked bytes per second; after the runs the program prints the times of
// the gzipped mount and of zlib's inflate and their ratio, in CPU time (the
// wall time on a shared machine mostly measures the other processes) and in
// wall time.
//
// The archive holds files of 512 bytes to 1 MiB, written by the engine's
// TARWriter, and is padded with zeros to 32 MiB as tar pads its records.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/Debug.h"
#include "core/MemoryStream.h"
#include "core/TARArchive.h"
#include "core/TARWriter.h"
#include "framework/FrameworkConfig.h"

namespace {

constexpr size_t ARCHIVE_BYTES = 32u << 20;

struct Archive {
    std::string tar;
    std::string gz;
    int entries = 0;
};

// Words from a small vocabulary mixed with arbitrary bytes (a quarter of
// the pieces); gzip packs the whole archive to about a fifth.
std::string fileContent(size_t size, uint32_t seed)
{
    static const char* const words[] = {"vertex ", "mesh ", "texture ", "light ", "camera ", "node ",
                                        "0.125 ",  "-3.5 ", "\n",       "group ", "sprite ", "alpha "};
    std::string out;
    out.reserve(size);
    uint32_t x = seed * 2654435761u + 1u;
    while (out.size() < size) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        if ((x & 3) == 0)
            out += static_cast<char>(x >> 24);
        else
            out += words[(x >> 8) % 12];
    }
    out.resize(size);
    return out;
}

std::string gzipOf(const std::string& bytes)
{
    z_stream z{};
    if (deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&z, bytes.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END)
        throw std::runtime_error("deflate");
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

const Archive& archive()
{
    static const Archive a = [] {
        Archive made;
        core::Ref<core::MemoryStream> sink = VORNA3D_NEW core::MemoryStream();
        core::Ref<core::TARWriter> writer = VORNA3D_NEW core::TARWriter(sink);
        const size_t sizes[] = {1024, 5000, 40000, 300000, 1 << 20, 77777, 512, 12000};
        size_t total = 0;
        for (uint32_t i = 0; total < ARCHIVE_BYTES - (2u << 20); ++i) {
            const size_t size = sizes[i % 8];
            const std::string content = fileContent(size, i);
            const std::string name = "assets/file" + std::to_string(i) + ".dat";
            writer->addFile(name.c_str(), content.data(), static_cast<int>(content.size()));
            total += 512 + (size + 511) / 512 * 512;
            ++made.entries;
        }
        writer->finish();
        made.tar.assign(reinterpret_cast<const char*>(sink->getData()), static_cast<size_t>(sink->getSize()));
        made.tar.resize(ARCHIVE_BYTES, '\0'); // zero padding after the end marker, as tar pads its records
        made.gz = gzipOf(made.tar);
        return made;
    }();
    return a;
}

void mountFrom(benchmark::State& state, const std::string& bytes)
{
    const Archive& a = archive();
    for (auto _ : state) {
        core::Ref<core::MemoryStream> source =
            VORNA3D_NEW core::MemoryStream(bytes.data(), static_cast<int>(bytes.size()), true);
        core::Ref<core::TARArchive> mounted = VORNA3D_NEW core::TARArchive(source);
        if (mounted->getEntryCount() != a.entries)
            state.SkipWithError("wrong entry count");
        benchmark::DoNotOptimize(mounted.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(a.tar.size()));
    state.counters["entries"] = a.entries;
    state.counters["packed_MiB"] = static_cast<double>(a.gz.size()) / (1 << 20);
}

void BM_MountPlainTar(benchmark::State& state)
{
    mountFrom(state, archive().tar);
}

void BM_MountGzipTar(benchmark::State& state)
{
    mountFrom(state, archive().gz);
}

void BM_ZlibInflate(benchmark::State& state)
{
    const Archive& a = archive();
    std::vector<unsigned char> out(a.tar.size());
    for (auto _ : state) {
        z_stream z{};
        inflateInit2(&z, 15 + 16);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(a.gz.data()));
        z.avail_in = static_cast<uInt>(a.gz.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        if (inflate(&z, Z_FINISH) != Z_STREAM_END)
            state.SkipWithError("inflate");
        inflateEnd(&z);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(a.tar.size()));
}

BENCHMARK(BM_MountPlainTar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MountGzipTar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // One log line per entry would be measured too.
    const framework::EngineScope engineServices = bench::startEngine(192 * 1024 * 1024, 0);

    bench::FigureReporter reporter;
    bench::runBenchmarks(argc, argv, reporter);

    const bench::Figures* gz = reporter.find("BM_MountGzipTar");
    const bench::Figures* zlib = reporter.find("BM_ZlibInflate");
    const bench::Figures* plain = reporter.find("BM_MountPlainTar");
    if (gz && zlib) {
        const double mib = static_cast<double>(ARCHIVE_BYTES) / (1 << 20);
        std::printf("\nmounting a %.0f MiB TAR (%d entries, %.1f MiB gzipped) from memory, ms:\n", mib,
                    archive().entries, static_cast<double>(archive().gz.size()) / (1 << 20));
        if (plain)
            bench::printTimes("plain", *plain, 2, 14);
        bench::printTimes("gzipped", *gz, 2, 14);
        bench::printTimes("zlib inflate", *zlib, 2, 14);
        bench::printRatio("gzipped", gz->cpu, "zlib", zlib->cpu, "(CPU)");
        bench::printRatio("gzipped", gz->real, "zlib", zlib->real, "(wall)");
    }
    return 0;
}
