#include "saver/flock.h"

#include <cmath>

#include "base/numbers.h"
#include "saver/draw_record.h"

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

void ResetCats(App& app) {
    const std::int32_t count = app.g.CatNum;
    for (std::int32_t i = 0; i < count; ++i) {
        CatRec& cat = app.g.Cats[CatIndex(i)];
        cat.X = 0;
        cat.Y = 0;
        cat.Pose = 0;
        cat.Step = Add32(Floor32(3 * Draw(app)), 1);
        cat.RestLen = Floor32(5 * Draw(app) + 5);
    }
}

void SpawnCats(App& app) {
    Grobal& g = app.g;
    const std::int32_t h = LaneHeight(g.ScrH, g.CatNum);
    const std::int32_t count = g.CatNum;
    for (std::int32_t i = 0; i < count; ++i) {
        CatRec& cat = g.Cats[CatIndex(i)];
        if (cat.Pose != 0) continue;
        app.rng.Reseed(app.platform.system.ClockReading());
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
    app.drawn.fill(DrawRecord{});
    for (std::int32_t i = 0; i < app.g.CatNum; ++i) StepOneCat(app, i);
}

}  // namespace nyamo
