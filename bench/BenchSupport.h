#pragma once
// What the benchmark programs share: a console reporter that keeps every
// benchmark's figures next to Google Benchmark's table, and the summary
// lines the programs print from those figures once the run is over (one
// line per benchmark, and "A vs B: x.xx" ratios).
//
// Header only: every bench/*.cpp is a program of its own.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "framework/EngineScope.h"
#include "framework/FrameworkConfig.h"

namespace bench {

// Starts the engine's classes with a `memorySize`-byte pool and no console,
// until the returned scope ends; `debugLevel` below the default keeps log
// lines out of the timed loops.
inline framework::EngineScope startEngine(size_t memorySize, int debugLevel = framework::FrameworkConfig{}.debugLevel)
{
    framework::FrameworkConfig config;
    config.memorySize = memorySize;
    config.createConsole = 0;
    config.debugLevel = debugLevel;
    return framework::EngineScope(&config);
}

// One benchmark's figures per iteration, in the time unit it was declared with.
struct Figures {
    double real = 0.0; // wall-clock time
    double cpu = 0.0; // CPU time
    double itemsPerSecond = 0.0; // the items_per_second counter; 0 without one
};

// The usual console table, and each benchmark's figures kept by name. Plain
// runs are kept, and with repetitions the "_mean" and "_median" aggregates
// under those names; runs that failed and the spreads (stddev, cv) are not
// times of anything and are left out.
class FigureReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const bool spread =
                run.run_type == Run::RT_Aggregate && run.aggregate_name != "mean" && run.aggregate_name != "median";
            if (run.error_occurred || spread)
                continue;
            Figures& f = m_figures[run.benchmark_name()];
            f.real = run.GetAdjustedRealTime();
            f.cpu = run.GetAdjustedCPUTime();
            const auto items = run.counters.find("items_per_second");
            f.itemsPerSecond = items != run.counters.end() ? items->second.value : 0.0;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The figures of `name`, or of "<name>_mean" when only the aggregates
    // were reported; null when the benchmark did not run (filtered out or failed).
    const Figures* find(const std::string& name) const
    {
        auto it = m_figures.find(name);
        if (it == m_figures.end())
            it = m_figures.find(name + "_mean");
        return it == m_figures.end() ? nullptr : &it->second;
    }

    // Every benchmark's figures, in name order.
    const std::map<std::string, Figures>& all() const { return m_figures; }

private:
    std::map<std::string, Figures> m_figures;
};

// Reads Google Benchmark's options from the command line (removing them),
// runs the benchmarks they select with `reporter` and shuts the library down.
inline void runBenchmarks(int& argc, char** argv, benchmark::BenchmarkReporter& reporter)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}

// "  NAME  VALUE UNIT": one figure, the name padded to `width` characters,
// the value with `decimals` places; no unit when `unit` is null.
inline void printFigure(const std::string& name, double value, const char* unit, int decimals, int width = 24)
{
    std::printf("  %-*s %10.*f%s%s\n", width, name.c_str(), decimals, value, unit ? " " : "", unit ? unit : "");
}

// "  NAME  C cpu  W wall": a benchmark's CPU and wall-clock times.
inline void printTimes(const std::string& name, const Figures& figures, int decimals, int width = 24)
{
    std::printf("  %-*s %9.*f cpu %9.*f wall\n", width, name.c_str(), decimals, figures.cpu, decimals, figures.real);
}

// "  NAME  T ms  F frames/s": a frame time in milliseconds and the frame
// rate it gives (0 for a time of 0); with `itemsPerFrame` > 0 the rate of
// those items follows ("N sprites/s" for items "sprites").
inline void printFrame(const std::string& name, double ms, int width, double itemsPerFrame = 0.0,
                       const char* items = nullptr)
{
    const double framesPerSecond = ms > 0.0 ? 1000.0 / ms : 0.0;
    std::printf("  %-*s %8.3f ms %8.1f frames/s", width, name.c_str(), ms, framesPerSecond);
    if (itemsPerFrame > 0.0 && items)
        std::printf(" %12.0f %s/s", itemsPerFrame * framesPerSecond, items);
    std::printf("\n");
}

// "  A vs B: R" with R = aTime / bTime to two places and `note` after it
// when given ("(CPU)"); "n/a" for R when bTime is not positive.
inline void printRatio(const char* a, double aTime, const char* b, double bTime, const char* note = nullptr)
{
    std::printf("  %s vs %s: ", a, b);
    if (bTime > 0.0)
        std::printf("%.2f", aTime / bTime);
    else
        std::printf("n/a");
    std::printf("%s%s\n", note ? " " : "", note ? note : "");
}

} // namespace bench
