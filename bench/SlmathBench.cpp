// Cost of the hot math operations, finite checks included: mat4 product,
// mat4 inverse, matrix times vector and quaternion slerp. Google Benchmark
// prints the time per call in nanoseconds.

#include <benchmark/benchmark.h>

#include "slmath/slmath.h"

using namespace slmath;

namespace {

// A few distinct transforms, so the compiler cannot fold the work away.
struct Inputs {
    mat4 m[4];
    Inputs()
    {
        for (int i = 0; i < 4; ++i) {
            const float f = float(i + 1);
            m[i] = translation(vec3(f, -2.f * f, 0.5f * f)) * rotation(17.f * f, vec3(1.f, f, 2.f)) *
                scaling(vec3(1.f + 0.1f * f, 1.f, 2.f - 0.1f * f));
        }
    }
};

void BM_Mat4Multiply(benchmark::State& state)
{
    const Inputs in;
    size_t i = 0;
    for (auto _ : state) {
        mat4 r = in.m[i & 3] * in.m[(i + 1) & 3];
        benchmark::DoNotOptimize(r);
        ++i;
    }
}
BENCHMARK(BM_Mat4Multiply)->Unit(benchmark::kNanosecond);

// The same product on plain arrays without any checks, for comparison: the
// difference to BM_Mat4Multiply is the price of the finite checks.
void BM_PlainMultiplyBaseline(benchmark::State& state)
{
    const Inputs in;
    float plain[4][16];
    for (int k = 0; k < 4; ++k)
        in.m[k].toRowMajor(plain[k]);
    size_t i = 0;
    for (auto _ : state) {
        const float* a = plain[i & 3];
        const float* b = plain[(i + 1) & 3];
        float r[16];
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 4; ++col)
                r[4 * row + col] = a[4 * row] * b[col] + a[4 * row + 1] * b[4 + col] + a[4 * row + 2] * b[8 + col] +
                    a[4 * row + 3] * b[12 + col];
        benchmark::DoNotOptimize(r);
        ++i;
    }
}
BENCHMARK(BM_PlainMultiplyBaseline)->Unit(benchmark::kNanosecond);

void BM_Mat4Inverse(benchmark::State& state)
{
    const Inputs in;
    size_t i = 0;
    for (auto _ : state) {
        mat4 r = inverse(in.m[i & 3]);
        benchmark::DoNotOptimize(r);
        ++i;
    }
}
BENCHMARK(BM_Mat4Inverse)->Unit(benchmark::kNanosecond);

void BM_Mat4TimesVec4(benchmark::State& state)
{
    const Inputs in;
    vec4 v(1.f, 2.f, 3.f, 1.f);
    size_t i = 0;
    for (auto _ : state) {
        vec4 r = in.m[i & 3] * v;
        benchmark::DoNotOptimize(r);
        ++i;
    }
}
BENCHMARK(BM_Mat4TimesVec4)->Unit(benchmark::kNanosecond);

void BM_QuatSlerp(benchmark::State& state)
{
    const quat a = normalize(quat(0.1f, 0.2f, 0.3f, 0.9f));
    const quat b = normalize(quat(-0.4f, 0.1f, 0.5f, 0.6f));
    float t = 0.f;
    for (auto _ : state) {
        quat r = slerp(a, b, t);
        benchmark::DoNotOptimize(r);
        t = t < 1.f ? t + 0.001f : 0.f;
    }
}
BENCHMARK(BM_QuatSlerp)->Unit(benchmark::kNanosecond);

} // namespace

BENCHMARK_MAIN();
