// Pool allocator against glibc malloc/free on one mixed-size workload: a live
// set of 1000 blocks in which, every iteration, a randomly chosen block is
// freed and replaced by a new one. Sizes run from 16 to 4096 bytes, most of
// them small. Both sides replay the same fixed-seed trace. After the runs the
// program prints the ratio of the two times per replacement.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/MemoryManager.h"
#include "framework/FrameworkConfig.h"

namespace {

constexpr size_t LIVE_BLOCKS = 1000;
constexpr size_t TRACE_LENGTH = 1 << 16;

struct Step {
    uint32_t slot; // which live block is replaced
    uint32_t size; // size of its replacement
};

// Sizes 16 * 256^(u^2) for uniform u: 16..4096 bytes, half of them under 64.
uint32_t drawSize(std::mt19937& rng)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double u = unit(rng);
    return static_cast<uint32_t>(16.0 * std::pow(256.0, u * u));
}

struct Workload {
    std::vector<uint32_t> initial; // sizes of the first live set
    std::vector<Step> trace;

    Workload()
    {
        std::mt19937 rng(20240607u);
        for (size_t i = 0; i < LIVE_BLOCKS; ++i)
            initial.push_back(drawSize(rng));
        std::uniform_int_distribution<uint32_t> slot(0, LIVE_BLOCKS - 1);
        for (size_t i = 0; i < TRACE_LENGTH; ++i)
            trace.push_back({slot(rng), drawSize(rng)});
    }
};

const Workload& workload()
{
    static const Workload w;
    return w;
}

// Runs the workload with `alloc`/`release`; every new block is touched once,
// as a caller would. `inspect` sees the state while the live set still exists.
template <class Alloc, class Release, class Inspect>
void replay(benchmark::State& state, Alloc alloc, Release release, Inspect inspect)
{
    const Workload& w = workload();
    std::vector<void*> live(LIVE_BLOCKS);
    for (size_t i = 0; i < LIVE_BLOCKS; ++i) {
        live[i] = alloc(w.initial[i]);
        *static_cast<char*>(live[i]) = 1;
    }
    size_t step = 0;
    for (auto _ : state) {
        const Step& s = w.trace[step];
        step = (step + 1) % TRACE_LENGTH;
        release(live[s.slot]);
        live[s.slot] = alloc(s.size);
        *static_cast<char*>(live[s.slot]) = 1;
        benchmark::DoNotOptimize(live[s.slot]);
    }
    inspect(state);
    for (void* p : live)
        release(p);
    state.SetItemsProcessed(state.iterations());
}

void BM_PoolReplace(benchmark::State& state)
{
    replay(
        state, [](uint32_t size) { return VORNA3D_ALLOC(size); }, [](void* p) { VORNA3D_FREE(p); },
        [](benchmark::State& s) {
            // The free list's length is what both walks cost.
            int freeBlocks = 0;
            for (const auto& block : core::MemoryManager::getMemoryInfoPtr()->checkInvariants())
                freeBlocks += block.free ? 1 : 0;
            s.counters["free_blocks"] = freeBlocks;
        });
}

void BM_MallocReplace(benchmark::State& state)
{
    replay(
        state, [](uint32_t size) { return std::malloc(size); }, [](void* p) { std::free(p); },
        [](benchmark::State&) {});
}

BENCHMARK(BM_PoolReplace);
BENCHMARK(BM_MallocReplace);

} // namespace

int main(int argc, char** argv)
{
    const framework::EngineScope engineServices = bench::startEngine(64 * 1024 * 1024);

    bench::FigureReporter reporter;
    bench::runBenchmarks(argc, argv, reporter);

    const bench::Figures* pool = reporter.find("BM_PoolReplace");
    const bench::Figures* heap = reporter.find("BM_MallocReplace");
    if (pool && heap) {
        std::printf("\nfree + allocate, live set %zu, sizes 16..4096:\n", LIVE_BLOCKS);
        bench::printFigure("pool", pool->real, "ns", 1, 6);
        bench::printFigure("malloc", heap->real, "ns", 1, 6);
        bench::printRatio("pool", pool->real, "malloc", heap->real);
    }

    return 0;
}
