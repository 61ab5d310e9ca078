#include "tools/render/render_run.h"

#include "saver/saver_window.h"
#include "saver/tick.h"

namespace nyamo::render {

namespace {

// Where the render's clock starts. The saver mixes a clock reading into its
// random source at start and at every spawn, by xor of the reading's mix into
// a state that began as the seed's mix. A clock started at the seed itself
// cancelled the seed on that first mix, and every seed got the same steps and
// rests. A clock that reads the same on every run, whatever the seed, keeps
// runs repeatable and leaves the seed in charge.
constexpr std::uint64_t kClockStart = 0x5eed'c10c'0000'0000ULL;

}  // namespace

RenderRun::RenderRun(const RenderOptions& options, const Picture& desktop, std::int32_t width, std::int32_t height)
    : world_(width, height), platform_(world_), app_(platform_.roles()) {
    world_.clock = kClockStart;
    world_.clock_step = 1;
    app_.rng = Random(options.seed);
    if (desktop.width != 0)
        SoftwareBlit(world_.desktop().span(), 0, 0, desktop.width, desktop.height, desktop.view(), 0, 0,
                     RasterOp::SrcCopy);
    for (auto& p : world_.desktop().pixels) p &= 0x00FFFFFFu;

    Grobal& g = app_.g;
    g.IsSaver = kTrue;
    g.ScrW = width;
    g.ScrH = height;
    g.CatNum = options.cats;
    g.SaverType = desktop.width != 0 ? 1 : 2;
    g.SaverSpeed = options.speed;
}

void RenderRun::Start() { StartSaver(app_); }

void RenderRun::Tick() { Timer1_Timer(app_); }

}  // namespace nyamo::render
