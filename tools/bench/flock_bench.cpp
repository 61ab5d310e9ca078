// How long one tick of the saver takes on the headless backend, the first
// ticks included (the damage path; nyamo-damage-bench compares it with the
// full recomposition once the kittens are on the screen).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "app/main.h"
#include "platform/common/push_groups.h"
#include "platform/headless/headless_platform.h"
#include "saver/saver_window.h"

namespace nyamo {
namespace {

void Tick(benchmark::State& state) {
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    HeadlessWorld world(width, height);
    HeadlessPlatform platform(world);
    App app(platform.roles());
    app.g.IsSaver = kTrue;
    app.g.ScrW = width;
    app.g.ScrH = height;
    app.g.CatNum = static_cast<std::int32_t>(state.range(2));
    app.g.SaverType = 1;
    app.g.SaverSpeed = 5;
    StartSaver(app);
    for (auto _ : state) Timer1_Timer(app);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Tick)->Args({1024, 768, 20})->Args({1920, 1080, 50})->Args({3840, 2160, 50})->Unit(benchmark::kMillisecond);

void MaskedDraws(benchmark::State& state) {
    HeadlessWorld world(1920, 1080);
    HeadlessPlatform platform(world);
    App app(platform.roles());
    app.g.IsSaver = kTrue;
    app.g.ScrW = 1920;
    app.g.ScrH = 1080;
    app.g.CatNum = 50;
    app.g.SaverType = 2;
    app.g.SaverSpeed = 5;
    StartSaver(app);
    for (auto _ : state)
        for (std::int32_t i = 0; i < 50; ++i) {
            platform.BitBlt(app.saver.scr_work, 40 * i, 20 * i, 70, 70, app.saver.Pat[0], 70, 70, RasterOp::SrcErase);
            platform.BitBlt(app.saver.scr_work, 40 * i, 20 * i, 70, 70, app.saver.Pat[0], 70, 0, RasterOp::SrcInvert);
        }
}
BENCHMARK(MaskedDraws)->Unit(benchmark::kMicrosecond);

// What a Wayland buffer lacks after two frames of 50 kittens (each box, and
// the same a step on) joined at price 0, and the same at the Wine saver's
// price (argument: the price in pixels).
void PushGroupingOfTwoFrames(benchmark::State& state) {
    std::mt19937 rng(3);
    std::vector<Rect> rects;
    for (int k = 0; k < 50; ++k) {
        const auto x = static_cast<std::int32_t>(rng() % 1850), y = static_cast<std::int32_t>(rng() % 1000);
        rects.push_back(Rect{x, y, x + 76, y + 74});
    }
    for (int k = 0; k < 50; ++k) {
        const Rect& box = rects[static_cast<std::size_t>(k)];
        const auto step = static_cast<std::int32_t>(2 + rng() % 4);
        rects.push_back(Rect{box.left + step, box.top, box.right + step, box.bottom});
    }
    PushGrouping grouping;
    for (auto _ : state) benchmark::DoNotOptimize(grouping.Group(rects, state.range(0)).size());
}
BENCHMARK(PushGroupingOfTwoFrames)->Arg(0)->Arg(20000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace nyamo
