// Cost of Transformable::getCompositeTransform, which every node pays every
// frame: from the cache (nothing changed since the last call) and rebuilt
// (a setter ran before every call, as for an animated node). Google
// Benchmark prints the time per call in nanoseconds; the program then
// repeats both figures on one line each.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/Ref.h"
#include "framework/FrameworkConfig.h"
#include "render/scene/Transform.h"
#include "render/scene/Transformable.h"

namespace {

// The smallest concrete Transformable.
class Placed : public render::Transformable {
public:
    Placed() = default;
    Placed* duplicate() const override { return VORNA3D_NEW Placed(*this); }

protected:
    Placed(const Placed& other) = default;
};

// A node with all four parts set, so that a rebuild does all the work.
core::Ref<Placed> makePlaced()
{
    core::Ref<Placed> p = VORNA3D_NEW Placed();
    p->setTranslation(1.f, -2.f, 3.f);
    p->setOrientation(35.f, 1.f, 2.f, 0.5f);
    p->setScale(1.5f, 1.f, 0.75f);
    render::Transform m;
    m.postTranslate(0.f, 4.f, 0.f);
    p->setTransform(m);
    return p;
}

void BM_CompositeCached(benchmark::State& state)
{
    core::Ref<Placed> p = makePlaced();
    render::Transform out;
    p->getCompositeTransform(&out); // fills the cache
    for (auto _ : state) {
        p->getCompositeTransform(&out);
        benchmark::DoNotOptimize(&out);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CompositeCached)->Unit(benchmark::kNanosecond);

// Each iteration moves the node, which marks the composite for a rebuild;
// the setter's own cost (one vec3) is part of the figure.
void BM_CompositeUncached(benchmark::State& state)
{
    core::Ref<Placed> p = makePlaced();
    render::Transform out;
    float x = 0.f;
    for (auto _ : state) {
        p->setTranslation(x, -2.f, 3.f);
        p->getCompositeTransform(&out);
        benchmark::DoNotOptimize(&out);
        benchmark::ClobberMemory();
        x = x < 100.f ? x + 0.25f : 0.f;
    }
}
BENCHMARK(BM_CompositeUncached)->Unit(benchmark::kNanosecond);

} // namespace

int main(int argc, char** argv)
{
    const framework::EngineScope engineServices = bench::startEngine(4 * 1024 * 1024);

    bench::FigureReporter reporter;
    bench::runBenchmarks(argc, argv, reporter);

    // CPU time is the steadier figure on a loaded machine.
    std::printf("\nTransformable::getCompositeTransform, ns per call:\n");
    for (const char* name : {"BM_CompositeCached", "BM_CompositeUncached"})
        if (const bench::Figures* t = reporter.find(name))
            bench::printTimes(name, *t, 1, 22);

    return 0;
}
