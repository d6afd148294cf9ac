// Scene-file loading through the engine's loader: the largest shared test
// scene (kitune-miko.m3g: a 512 x 512 RGB texture and a 3176-vertex mesh of
// 14 submeshes), as the file comes (zlib sections), as the engine's writer
// writes it compressed, and as it writes it plain. Throughput is given in
// MB/s of the scene's uncompressed object data, the same for the three, so
// that the cost of inflating shows. The file is looked for beside the
// sources (../shared/testdata/m3g) or where VORNA3D_M3G_BENCH_FILE names.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/Globals.h"
#include "core/MemoryStream.h"
#include "framework/FrameworkConfig.h"
#include "render/loaders/Loader.h"
#include "render/loaders/m3g/M3G_Writer.h"
#include "render/NullGraphics3D.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct Files {
    Bytes original; // the shared file
    Bytes plain; // written by the engine, uncompressed
    Bytes compressed; // written by the engine, zlib sections
};

Files& files()
{
    static Files f;
    return f;
}

std::filesystem::path sceneFile()
{
    if (const char* path = std::getenv("VORNA3D_M3G_BENCH_FILE"))
        return path;
    return std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "shared" / "testdata" / "m3g" /
        "kitune-miko.m3g";
}

core::Vector<core::Ref<render::Object3D>> load(const Bytes& bytes)
{
    core::Ref<core::MemoryStream> stream = VORNA3D_NEW core::MemoryStream(reinterpret_cast<const char*>(bytes.data()),
                                                                          static_cast<int>(bytes.size()), true);
    core::Vector<core::Ref<render::Object3D>> roots;
    render::load(stream.get(), roots);
    return roots;
}

Bytes write(const core::Vector<core::Ref<render::Object3D>>& roots, bool compress)
{
    render::M3G_Writer::Options options;
    options.compress = compress;
    core::Ref<core::MemoryStream> out = VORNA3D_NEW core::MemoryStream();
    render::M3G_Writer::save(out.get(), roots, options);
    return Bytes(out->getData(), out->getData() + out->getSize());
}

void loadLoop(benchmark::State& state, const Bytes& bytes)
{
    for (auto _ : state) {
        core::Vector<core::Ref<render::Object3D>> roots = load(bytes);
        benchmark::DoNotOptimize(roots.data());
    }
    // The scene's object data: the plain file less its sections' framing, near enough.
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(files().plain.size()));
}

void BM_LoadSharedFile(benchmark::State& state)
{
    loadLoop(state, files().original);
}

void BM_LoadWrittenCompressed(benchmark::State& state)
{
    loadLoop(state, files().compressed);
}

void BM_LoadWrittenPlain(benchmark::State& state)
{
    loadLoop(state, files().plain);
}

BENCHMARK(BM_LoadSharedFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadWrittenCompressed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadWrittenPlain)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path path = sceneFile();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "M3GBench: %s not found (set VORNA3D_M3G_BENCH_FILE)\n", path.string().c_str());
        return 0;
    }
    files().original = Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());

    // A log line per object would be timed too.
    const framework::EngineScope engineServices = bench::startEngine(64 * 1024 * 1024, 0);
    // Nodes need a registered renderer; this one draws nothing.
    core::Ref<render::NullGraphics3D> renderer = VORNA3D_NEW render::NullGraphics3D();
    renderer->registerInstance();
    {
        core::Vector<core::Ref<render::Object3D>> roots = load(files().original);
        files().plain = write(roots, false);
        files().compressed = write(roots, true);
    }
    std::printf("%s: %zu bytes; written plain %zu, compressed %zu\n", path.filename().string().c_str(),
                files().original.size(), files().plain.size(), files().compressed.size());

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    core::Globals::get()->m_g3d.clear();
    renderer = nullptr;
    return 0;
}
