#include "saver/flock.h"

#include <cmath>

#include "base/numbers.h"
#include "saver/damage.h"
#include "saver/draw_cat.h"

namespace nyamo {

namespace {

// floor of a non-negative real product, as a checked 32-bit integer.
std::int32_t Floor32(double value) { return ToInt32(std::floor(CheckedReal(value))); }

double Draw(App& app) { return app.rng.NextSingle(); }

std::int32_t SheetFor(std::int32_t dir) { return dir == 2 ? 0 : 1; }

void StepOneCat(App& app, std::int32_t i) {
    const std::size_t slot = CatIndex(i);
    CatRec& cat = app.g.Cats[slot];
    std::int32_t& rest_count = app.g.RestCount[slot];
    if (cat.Pose == 0) return;

    // Rest phase: a walking cat may sit at the start of its cycle; a sitting
    // cat alternates its two washing pictures until the rest is over.
    if (cat.Pose == 1 || cat.Pose >= 9) {
        const double r = Draw(app);
        if (Floor32(10 * r) == 0 || cat.Pose >= 9) {
            cat.Pose = cat.Pose == 9 ? 10 : 9;
            DrawCat(app, i, SheetFor(cat.Dir), cat.Pose, kCellSize, kCellSize);
            rest_count = Add32(rest_count, 1);
            if (rest_count == cat.RestLen) {
                // -1 keeps the walk phase below from drawing the cat twice.
                rest_count = -1;
                cat.Pose = 1;
            }
        }
    }

    // Walk phase: the frame belongs to the pose before the increment; the
    // leaving test uses the position after the move.
    if (rest_count == 0 && cat.Pose <= 8) {
        std::int32_t frame = cat.Pose;
        if (cat.Pose == 8) frame = Floor32(5 * Draw(app)) == 0 ? 8 : 0;
        cat.Pose = Add32(cat.Pose, 1);
        if (cat.Pose > 8) cat.Pose = 1;
        if (cat.Dir == 2) {
            cat.X = Add32(cat.X, cat.Step);
            DrawCat(app, i, 0, frame, kCellSize, kCellSize);
            if (cat.X >= app.g.ScrW) cat.Pose = 0;
        } else {
            cat.X = Sub32(cat.X, cat.Step);
            DrawCat(app, i, 1, frame, kCellSize, kCellSize);
            if (cat.X <= -70) cat.Pose = 0;
        }
    }

    if (rest_count == -1) rest_count = 0;
}

}  // namespace

std::int32_t TimerInterval(std::int32_t saver_speed) { return Sub32(200, Mul32(18, saver_speed)); }

std::int32_t LaneHeight(std::int32_t screen_height, std::int32_t cat_num) {
    return ToInt32(CheckedDivide(screen_height, Add32(cat_num, 1)));
}

void InitCats(App& app) {
    Grobal& g = app.g;
    app.rng.Reseed(app.platform.ClockReading());
    app.platform.SetTimerInterval(TimerInterval(g.SaverSpeed));

    const std::int32_t count = g.CatNum;
    for (std::int32_t i = 0; i < count; ++i) {
        CatRec& cat = g.Cats[CatIndex(i)];
        cat.X = 0;
        cat.Y = 0;
        cat.Pose = 0;
        cat.Step = Add32(Floor32(3 * Draw(app)), 1);
        cat.RestLen = Floor32(5 * Draw(app) + 5);
    }

    if (g.SaverType == 1) app.platform.CopyDesktop(app.saver.scr_bkg, g.ScrW, g.ScrH);

    SpawnCats(app);
    StepCats(app);
}

void SpawnCats(App& app) {
    Grobal& g = app.g;
    const std::int32_t h = LaneHeight(g.ScrH, g.CatNum);
    const std::int32_t count = g.CatNum;
    for (std::int32_t i = 0; i < count; ++i) {
        CatRec& cat = g.Cats[CatIndex(i)];
        if (cat.Pose != 0) continue;
        app.rng.Reseed(app.platform.ClockReading());
        cat.Y = Sub32(Add32(Floor32(Draw(app) * h), Mul32(h, i)), 20);
        const bool rightwards = Floor32(2 * Draw(app)) == 0;
        const std::int32_t distance = i > 0 ? Floor32(Draw(app) * g.ScrW / 4.0) : 0;
        if (rightwards) {
            cat.X = Sub32(-70, distance);
            cat.Dir = 2;
        } else {
            cat.X = Add32(g.ScrW, distance);
            cat.Dir = 1;
        }
        cat.Pose = 1;
    }
}

void StepCats(App& app) {
    Grobal& g = app.g;
    Platform& p = app.platform;
    FrameState& f = app.frame;
    const std::int32_t count = g.CatNum;
    const std::array<DrawRecord, kCatSlots> before = app.drawn;
    app.drawn.fill(DrawRecord{});

    if (!p.SaverFrameVisible()) {
        // Nobody can see it: the flock walks on, and the first frame that
        // can be seen again is composed whole.
        f.defer_stamping = true;
        for (std::int32_t i = 0; i < count; ++i) StepOneCat(app, i);
        f.defer_stamping = false;
        f.whole_next = true;
        return;
    }

    const bool whole = f.full_recompose || f.whole_next || f.surface != app.saver.scr_work || f.width != g.ScrW ||
                       f.height != g.ScrH;
    f.whole_next = false;
    f.surface = app.saver.scr_work;
    f.width = g.ScrW;
    f.height = g.ScrH;

    if (whole) {
        p.BitBlt(app.saver.scr_work, 0, 0, g.ScrW, g.ScrH, app.saver.scr_bkg, 0, 0, RasterOp::SrcCopy);
        for (std::int32_t i = 0; i < count; ++i) StepOneCat(app, i);
        const Rect screen{0, 0, g.ScrW, g.ScrH};
        p.PresentSaverFrame(app.saver.scr_work, {&screen, 1});
        return;
    }

    // Only the cells a cat leaves or enters change: the old cells get their
    // background back, then every cat drawn this tick is stamped whole in
    // index order, so overlaps come out as in the full recomposition.
    f.defer_stamping = true;
    for (std::int32_t i = 0; i < count; ++i) StepOneCat(app, i);
    f.defer_stamping = false;
    DamageList damage;
    for (std::size_t i = 0; i < kCatSlots; ++i) {
        damage.Add(VisibleCell(before[i], g.ScrW, g.ScrH));
        damage.Add(VisibleCell(app.drawn[i], g.ScrW, g.ScrH));
    }
    for (const Rect& r : damage.rects())
        p.BitBlt(app.saver.scr_work, r.left, r.top, r.right - r.left, r.bottom - r.top, app.saver.scr_bkg, r.left,
                 r.top, RasterOp::SrcCopy);
    for (const DrawRecord& draw : app.drawn)
        if (RectArea(VisibleCell(draw, g.ScrW, g.ScrH)) > 0) StampCat(app, draw);
    p.PresentSaverFrame(app.saver.scr_work, damage.rects());
}

}  // namespace nyamo
