// The cost of one saver tick when every frame is damaged whole and when only
// what the kittens changed is, at 1080p and 4K with 50 kittens over a desktop
// picture, and how they compare: the damage tick should follow the kittens,
// not the screen. Heap allocations over 100 ticks are counted too (the
// counter heap_allocations_in_100_ticks; the goal is 0), and the pixels
// those ticks present (pixels_per_tick_of_100, the same ticks on every run).
//
//   build/tools/bench/nyamo-damage-bench [--benchmark_repetitions=5 ...]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <random>
#include <string>

#include "app/main.h"
#include "platform/headless/headless_platform.h"
#include "saver/saver_window.h"
#include "saver/tick.h"

// Every allocation of the process is counted: the benchmark reads the count
// around its timed ticks.
namespace {
std::size_t g_allocations = 0;
}  // namespace

// Kept out of line: GCC would otherwise pair its own idea of operator new
// with the free below and warn of a mismatch that is not there.
[[gnu::noinline]] void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace nyamo {
namespace {

// Enough ticks for the flock to walk in from beyond the edges, so the
// timed ticks draw a screen full of kittens rather than an empty one.
constexpr int kWarmUpTicks = 600;

void SaverTickCost(benchmark::State& state) {
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    const bool full = state.range(2) != 0;
    HeadlessWorld world(width, height);
    std::mt19937 rng(5);
    for (auto& p : world.desktop().pixels) p = rng() & 0x00FFFFFFu;
    world.clock_step = 3;
    HeadlessPlatform platform(world);
    App app(platform.roles());
    app.g.IsSaver = kTrue;
    app.g.ScrW = width;
    app.g.ScrH = height;
    app.g.CatNum = 50;
    app.g.SaverType = 1;
    app.g.SaverSpeed = 10;
    StartSaver(app);
    for (int t = 0; t < kWarmUpTicks; ++t) Timer1_Timer(app);
    // Allocations of 100 ticks alone, apart from the benchmark's own loop.
    // Their presented pixels too: the same 100 ticks on every run, so the
    // figure can be compared between builds exactly.
    const std::size_t allocations_at_start = g_allocations;
    const std::int64_t presented_at_start = platform.saver().presented_pixels;
    for (int t = 0; t < 100; ++t) {
        if (full) app.frame.whole_next = true;
        Timer1_Timer(app);
    }
    state.counters["heap_allocations_in_100_ticks"] = static_cast<double>(g_allocations - allocations_at_start);
    state.counters["pixels_per_tick_of_100"] =
        static_cast<double>(platform.saver().presented_pixels - presented_at_start) / 100;
    std::int32_t on_screen = 0;
    for (std::size_t i = 0; i < kCatSlots; ++i) {
        const CatRec& cat = app.g.Cats[i];
        on_screen += cat.Pose != 0 && cat.X > -70 && cat.X < width;
    }
    const std::int64_t presented_before = platform.saver().presented_pixels;
    for (auto _ : state) {
        // A whole frame is the damage of the first tick after the window
        // could not be seen.
        if (full) app.frame.whole_next = true;
        Timer1_Timer(app);
    }
    state.counters["cats_on_screen"] = on_screen;
    state.counters["pixels_per_tick"] = benchmark::Counter(
        static_cast<double>(platform.saver().presented_pixels - presented_before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(SaverTickCost)
    ->ArgNames({"width", "height", "full"})
    ->Args({1920, 1080, 1})
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 1})
    ->Args({3840, 2160, 0})
    ->Unit(benchmark::kMicrosecond);

// Prints the usual table, then the ratios that matter.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // With repetitions, the median stands for the case; without, the one run.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
            times_[run.run_name.str()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const Times full_hd = Find("1920", "1"), damage_hd = Find("1920", "0");
        const Times full_4k = Find("3840", "1"), damage_4k = Find("3840", "0");
        if (full_hd.real <= 0 || damage_hd.real <= 0 || full_4k.real <= 0 || damage_4k.real <= 0) return;
        // CPU time is the steadier figure on a machine that other work shares.
        std::printf("\n%-40s %8s %8s\n", "", "real", "cpu");
        std::printf("%-40s %7.1fx %7.1fx\n", "full / damage tick at 1920x1080", full_hd.real / damage_hd.real,
                    full_hd.cpu / damage_hd.cpu);
        std::printf("%-40s %7.1fx %7.1fx   goal >= 15x\n", "full / damage tick at 3840x2160",
                    full_4k.real / damage_4k.real, full_4k.cpu / damage_4k.cpu);
        std::printf("%-40s %8.2f %8.2f   goal 1 within noise\n", "damage tick 3840x2160 / 1920x1080",
                    damage_4k.real / damage_hd.real, damage_4k.cpu / damage_hd.cpu);
    }

private:
    struct Times {
        double real = 0;
        double cpu = 0;
    };
    Times Find(const std::string& width, const std::string& full) const {
        for (const auto& [name, time] : times_)
            if (name.find("width:" + width) != std::string::npos && name.find("full:" + full) != std::string::npos)
                return time;
        return {};
    }
    std::map<std::string, Times> times_;
};

}  // namespace
}  // namespace nyamo

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    nyamo::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
