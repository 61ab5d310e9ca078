// The frame path against a plain full recomposition written here: after
// every tick the screen must hold exactly the background with every cat the
// flock drew stamped on it in index order.
#include "saver/damage.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>
#include <vector>

#include "platform/common/software_blitter.h"
#include "platform/headless/headless_platform.h"
#include "saver/sprite_stamp.h"
#include "saver/flock.h"
#include "saver/saver_window.h"
#include "saver/tick.h"

namespace nyamo {
namespace {

TEST(Rect, AreaUnionIntersectionAndClipping) {
    const Rect a{0, 0, 10, 20}, b{5, 15, 30, 40}, far{100, 100, 110, 110};
    EXPECT_EQ(a.area(), 200);
    EXPECT_EQ(Union(a, b), (Rect{0, 0, 30, 40}));
    EXPECT_EQ(Intersect(a, b), (Rect{5, 15, 10, 20}));
    EXPECT_EQ(Intersect(a, far), Rect{});
    EXPECT_TRUE(Overlap(a, b));
    EXPECT_FALSE(Overlap(a, Rect{10, 0, 20, 20}));  // touching shares no pixel
    // Every empty rectangle is nothing: no area, no part in a union.
    const Rect inside_out{50, 50, 40, 60};
    EXPECT_TRUE(inside_out.empty());
    EXPECT_EQ(inside_out.area(), 0);
    EXPECT_EQ(Union(a, inside_out), a);
    EXPECT_EQ(Union(inside_out, Rect{}), Rect{});
    EXPECT_FALSE(Overlap(inside_out, Rect{0, 0, 100, 100}));
    // Edges far apart: the area does not wrap in 32 bits.
    const Rect huge{-2000000000, -5, 2000000000, 5};
    EXPECT_EQ(huge.area(), std::int64_t{40000000000});
    EXPECT_EQ((Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}).area(), INT64_MAX);  // saturates, never wraps
    EXPECT_EQ(Clip(huge, 1920, 1080), (Rect{0, 0, 1920, 5}));
    EXPECT_EQ(Clip(Rect{-5, 1070, 30, 1100}, 1920, 1080), (Rect{0, 1070, 30, 1080}));
    EXPECT_EQ(Clip(Rect{1920, 0, 2000, 10}, 1920, 1080), Rect{});
}

TEST(DamageList, BoxesAreCutToTheScreen) {
    const SheetCovers unmeasured{};  // every draw may change its whole cell
    const DrawRecord left_edge{0, 1, -69, 10, 70, 70};
    EXPECT_EQ(VisibleBox(left_edge, unmeasured, 200, 100), (Rect{0, 10, 1, 80}));
    const DrawRecord top_right{0, 1, 180, -20, 70, 70};
    EXPECT_EQ(VisibleBox(top_right, unmeasured, 200, 100), (Rect{180, 0, 200, 50}));
    const DrawRecord gone{1, 1, -70, 10, 70, 70};
    EXPECT_EQ(VisibleBox(gone, unmeasured, 200, 100), Rect{});
    const DrawRecord beyond{1, 1, 200, 10, 70, 70};
    EXPECT_EQ(VisibleBox(beyond, unmeasured, 200, 100), Rect{});
    const DrawRecord not_drawn{};
    EXPECT_EQ(VisibleBox(not_drawn, unmeasured, 200, 100), Rect{});
    const DrawRecord far_out{1, 1, 2147483600, 10, 70, 70};  // its right edge would overflow 32 bits
    EXPECT_EQ(VisibleBox(far_out, unmeasured, 200, 100), Rect{});
    const DrawRecord one_row{0, 1, 5, -30, 70, 70};
    EXPECT_EQ(VisibleBox(one_row, unmeasured, 10, 1), (Rect{5, 0, 10, 1}));

    // Measured frames give their own boxes; a frame that draws nothing, no
    // damage; another cell size or a frame past the sheet's, the whole cell.
    SheetCovers measured{};
    measured[1] = SheetCover{70, 70, {Rect{10, 20, 50, 70}, Rect{}}};
    EXPECT_EQ(VisibleBox(DrawRecord{1, 0, 100, 50, 70, 70}, measured, 200, 100), (Rect{110, 70, 150, 100}));
    EXPECT_EQ(VisibleBox(DrawRecord{1, 0, -45, -65, 70, 70}, measured, 200, 100), (Rect{0, 0, 5, 5}));
    EXPECT_EQ(VisibleBox(DrawRecord{1, 0, -50, 10, 70, 70}, measured, 200, 100), Rect{});
    EXPECT_EQ(VisibleBox(DrawRecord{1, 1, 100, 0, 70, 70}, measured, 200, 100), Rect{});
    EXPECT_EQ(VisibleBox(DrawRecord{1, 2, 100, 0, 70, 70}, measured, 200, 100), (Rect{100, 0, 170, 70}));
    EXPECT_EQ(VisibleBox(DrawRecord{1, 0, 100, 0, 60, 60}, measured, 200, 100), (Rect{100, 0, 160, 60}));
    EXPECT_EQ(VisibleBox(DrawRecord{0, 0, 100, 0, 70, 70}, measured, 200, 100), (Rect{100, 0, 170, 70}));
}

// A sheet of three 4 x 3 frames: the first all background (white in both
// rows), the second with one opaque pixel and one that only inverts
// (white mask, coloured sprite), the third differing only in a top byte.
TEST(MeasureSheet, EachFrameGetsTheBoxOfThePixelsItChanges) {
    std::vector<std::uint32_t> pixels(13 * 6, 0x00FFFFFFu);  // one column more than three frames
    const auto at = [&](std::int32_t x, std::int32_t y) -> std::uint32_t& {
        return pixels[static_cast<std::size_t>(y * 13 + x)];
    };
    at(4 + 1, 3 + 0) = 0;           // opaque: mask black...
    at(4 + 1, 0) = 0x00123456u;     // ...sprite coloured
    at(4 + 3, 2) = 0x00000001u;     // inverts what lies below
    at(8 + 2, 1) = 0x01FFFFFFu;     // sets the top byte
    at(12, 1) = 0;                  // in no whole frame
    const SheetCover cover = MeasureSheet(PixelView{pixels.data(), 13, 6, 13}, 4, 3);
    ASSERT_EQ(cover.frames.size(), 3u);
    EXPECT_EQ(cover.frames[0], Rect{});
    EXPECT_EQ(cover.frames[1], (Rect{1, 0, 4, 3}));
    EXPECT_EQ(cover.frames[2], (Rect{2, 1, 3, 2}));
    EXPECT_TRUE(MeasureSheet(PixelView{pixels.data(), 13, 5, 13}, 4, 3).frames.empty());  // no room for the mask
}

TEST(DamageList, OverlappingRectanglesMergeIntoTheirBoundingBox) {
    DamageList list;
    list.Add(Rect{0, 0, 10, 10});
    list.Add(Rect{20, 0, 30, 10});
    list.Add(Rect{10, 0, 20, 10});  // touches both, overlaps neither
    ASSERT_EQ(list.rects().size(), 3u);
    list.Add(Rect{5, 5, 25, 6});  // overlaps all three
    ASSERT_EQ(list.rects().size(), 1u);
    EXPECT_EQ(list.rects()[0], (Rect{0, 0, 30, 10}));
}

TEST(DamageList, AMergedRectangleReachesOnToRectanglesItDidNotTouch) {
    DamageList list;
    list.Add(Rect{0, 0, 10, 100});
    list.Add(Rect{200, 200, 210, 210});
    list.Add(Rect{30, 50, 50, 60});
    // Overlaps only the first; their bounding box (0,0)-(40,100) then
    // covers the third as well, but not the far one.
    list.Add(Rect{5, 0, 40, 5});
    ASSERT_EQ(list.rects().size(), 2u);
    const bool first_is_merged = list.rects()[0].left == 0;
    EXPECT_EQ(list.rects()[first_is_merged ? 0 : 1], (Rect{0, 0, 50, 100}));
    EXPECT_EQ(list.rects()[first_is_merged ? 1 : 0], (Rect{200, 200, 210, 210}));
}

TEST(DamageList, EmptyRectanglesAddNothing) {
    DamageList list;
    list.Add(Rect{});
    list.Add(Rect{5, 5, 5, 9});
    list.Add(Rect{5, 9, 8, 2});
    EXPECT_TRUE(list.rects().empty());
    list.Add(Rect{1, 1, 2, 2});
    list.Clear();
    EXPECT_TRUE(list.rects().empty());
}

TEST(DamageList, EveryCellOfAFullFlockFits) {
    DamageList list;
    for (std::int32_t i = 0; i < 2 * static_cast<std::int32_t>(kCatSlots); ++i)
        list.Add(Rect{100 * i, 0, 100 * i + 70, 70});
    EXPECT_EQ(list.rects().size(), 2 * kCatSlots);
}

struct Scene {
    std::int32_t width, height, cats, saver_type, speed;
    std::uint64_t seed;
    int ticks;
};

std::string Describe(const Scene& s) {
    std::ostringstream text;
    text << s.width << "x" << s.height << " cats " << s.cats << " type " << s.saver_type << " speed " << s.speed
         << " seed " << s.seed;
    return text.str();
}

void PrintTo(const Scene& s, std::ostream* out) { *out << Describe(s); }

// One saver run on its own headless screen, started as StartSaver starts it.
struct SaverRun {
    SaverRun(const Scene& scene, const PixelBuffer& desktop) : world(scene.width, scene.height) {
        world.desktop() = desktop;
        world.clock = scene.seed;
        world.clock_step = 7;
        Grobal& g = app.g;
        g.IsSaver = kTrue;
        g.ScrW = scene.width;
        g.ScrH = scene.height;
        g.CatNum = scene.cats;
        g.SaverType = scene.saver_type;
        g.SaverSpeed = scene.speed;
        StartSaver(app);
    }
    const PixelBuffer& screen() const { return platform.saver_screen(); }

    HeadlessWorld world;
    HeadlessPlatform platform{world};
    App app{platform.roles()};
};

PixelBuffer RandomDesktop(std::int32_t width, std::int32_t height, std::uint64_t seed) {
    PixelBuffer desktop(width, height);
    std::mt19937 rng(static_cast<std::uint32_t>(seed));
    for (auto& p : desktop.pixels) p = rng() & 0x00FFFFFFu;
    return desktop;
}

// The frame this tick must show, recomposed whole from the background and
// the sprite sheets with the software blitter: the background, then each
// cat the flock drew, mask with SRCERASE and colour with SRCINVERT.
PixelBuffer FullRecomposition(SaverRun& run) {
    const App& app = run.app;
    PixelBuffer frame = *run.platform.surface(app.saver.scr_bkg);
    for (const DrawRecord& d : app.drawn) {
        if (d.frame < 0) continue;
        const PixelBuffer& sheet = *run.platform.surface(app.saver.Pat[static_cast<std::size_t>(d.sheet)]);
        SoftwareBlit(frame.span(), d.x, d.y, d.width, d.height, sheet.view(), d.width * d.frame, d.height,
                     RasterOp::SrcErase);
        SoftwareBlit(frame.span(), d.x, d.y, d.width, d.height, sheet.view(), d.width * d.frame, 0,
                     RasterOp::SrcInvert);
    }
    return frame;
}

// Where two screens differ first, for the failure message.
std::string FirstDifference(const PixelBuffer& expected, const PixelBuffer& shown) {
    if (expected.width != shown.width || expected.height != shown.height) return "different sizes";
    for (std::int32_t y = 0; y < expected.height; ++y)
        for (std::int32_t x = 0; x < expected.width; ++x)
            if (expected.at(x, y) != shown.at(x, y)) {
                std::ostringstream text;
                text << "pixel (" << x << ", " << y << "): full " << std::hex << expected.at(x, y) << ", shown "
                     << shown.at(x, y);
                return text.str();
            }
    return "none";
}

// Tick the run and compare what its window shows with the full
// recomposition after every tick.
void ExpectFullRecompositions(SaverRun& run, int ticks, const std::string& what) {
    for (int t = 0; t <= ticks; ++t) {
        if (t > 0) Timer1_Timer(run.app);
        const PixelBuffer expected = FullRecomposition(run);
        ASSERT_EQ(expected.pixels, run.screen().pixels)
            << what << ", tick " << t << ": " << FirstDifference(expected, run.screen());
    }
}

class SideBySide : public ::testing::TestWithParam<Scene> {};

TEST_P(SideBySide, EveryFrameShowsExactlyTheFullRecomposition) {
    const Scene& scene = GetParam();
    const PixelBuffer desktop = RandomDesktop(scene.width, scene.height, scene.seed);
    SaverRun run(scene, desktop);
    ExpectFullRecompositions(run, scene.ticks, Describe(scene));
    EXPECT_EQ(run.platform.saver().presents, 1 + scene.ticks);
}

// Screens smaller than a cell, one pixel high or wide, odd sizes and 4K;
// one to fifty cats; both backgrounds; several seeds. The speed only sets
// the timer, so it is varied for completeness, not for the pixels.
INSTANTIATE_TEST_SUITE_P(
    Scenes, SideBySide,
    ::testing::Values(Scene{50, 40, 3, 1, 5, 1, 3000}, Scene{69, 69, 1, 2, 1, 2, 3000},
                      Scene{300, 1, 50, 1, 10, 3, 2000}, Scene{1, 300, 20, 2, 5, 4, 3000},
                      Scene{71, 500, 50, 1, 7, 5, 600}, Scene{640, 480, 50, 1, 10, 6, 500},
                      Scene{640, 480, 7, 2, 3, 7, 1000}, Scene{333, 217, 50, 2, 10, 8, 600},
                      Scene{1366, 768, 20, 1, 5, 9, 250}, Scene{3840, 2160, 50, 1, 10, 10, 60}),
    [](const ::testing::TestParamInfo<Scene>& param) {
        const Scene& s = param.param;
        return std::to_string(s.width) + "x" + std::to_string(s.height) + "_cats" + std::to_string(s.cats) + "_type" +
               std::to_string(s.saver_type);
    });

// The pixels of a list of rectangles, each pixel counted once a tick.
class TickArea {
public:
    TickArea(std::int32_t width, std::int32_t height)
        : width_(width), marked_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), -1) {}
    void Mark(const Rect& r, int tick) {
        for (std::int32_t y = r.top; y < r.bottom; ++y)
            for (std::int32_t x = r.left; x < r.right; ++x) {
                int& m = marked_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                 static_cast<std::size_t>(x)];
                if (m != tick) ++pixels;
                m = tick;
            }
    }
    std::int64_t pixels = 0;

private:
    std::int32_t width_;
    std::vector<int> marked_;
};

TEST(DamagePath, PresentsOnlyWhatTheKittensDrawOrLeave) {
    const Scene scene{1920, 1080, 50, 1, 10, 11, 0};
    const PixelBuffer desktop = RandomDesktop(scene.width, scene.height, scene.seed);
    SaverRun damage(scene, desktop);
    const std::int64_t whole = std::int64_t{1920} * 1080;
    EXPECT_EQ(damage.platform.saver().presented_pixels, whole);  // the first frame
    constexpr int kTicks = 200;
    // The pixels that can change: the boxes of what was drawn on a tick or
    // the one before; and the cells those draws were made in.
    TickArea boxes(1920, 1080), cells(1920, 1080);
    const SheetCovers unmeasured{};
    std::array<DrawRecord, kCatSlots> before = damage.app.drawn;
    for (int t = 0; t < kTicks; ++t) {
        Timer1_Timer(damage.app);
        for (const auto& draws : {before, damage.app.drawn})
            for (const DrawRecord& draw : draws) {
                boxes.Mark(VisibleBox(draw, damage.app.saver.cover, 1920, 1080), t);
                cells.Mark(VisibleBox(draw, unmeasured, 1920, 1080), t);
            }
        before = damage.app.drawn;
    }
    EXPECT_EQ(damage.platform.saver().presents, 1 + kTicks);
    // Every pixel that can change is presented; overlapping boxes merge into
    // their bounding boxes, which add a few pixels more, but presenting each
    // box apart (old and new overlap by most of a box) or twice fails, and
    // so does presenting whole cells, most of which is background.
    const std::int64_t presented = damage.platform.saver().presented_pixels - whole;
    EXPECT_GE(presented, boxes.pixels);
    EXPECT_LE(presented, boxes.pixels + boxes.pixels / 8) << "boxes " << boxes.pixels;
    EXPECT_LE(presented, cells.pixels * 3 / 4) << "cells " << cells.pixels;
}

TEST(DamagePath, NothingIsDrawnWhileTheScreenCannotBeSeen) {
    const Scene scene{640, 480, 20, 1, 10, 12, 0};
    const PixelBuffer desktop = RandomDesktop(scene.width, scene.height, scene.seed);
    SaverRun damage(scene, desktop);
    ExpectFullRecompositions(damage, 50, "before the display goes off");

    damage.platform.set_saver_frame_visible(false);
    const PixelBuffer last_seen = damage.screen();
    const auto presents = damage.platform.saver().presents;
    const auto work_before = *damage.platform.surface(damage.app.saver.scr_work);
    const auto cats_before = damage.app.g.Cats;
    for (int t = 0; t < 120; ++t) Timer1_Timer(damage.app);
    EXPECT_EQ(damage.platform.saver().presents, presents);
    EXPECT_EQ(damage.screen().pixels, last_seen.pixels);
    EXPECT_EQ(damage.platform.surface(damage.app.saver.scr_work)->pixels, work_before.pixels);  // nothing composed
    // The flock walked on meanwhile.
    EXPECT_NE(damage.app.g.Cats, cats_before);

    damage.platform.set_saver_frame_visible(true);
    const auto pixels_before = damage.platform.saver().presented_pixels;
    Timer1_Timer(damage.app);
    EXPECT_EQ(damage.platform.saver().presented_pixels - pixels_before, std::int64_t{640} * 480);  // whole
    ExpectFullRecompositions(damage, 300, "after the display came back");
}

TEST(DamagePath, ANewFrameSurfaceOfAnotherSizeIsComposedWhole) {
    // What the xscreensaver hack does when its window is resized: new
    // surfaces, the flock started again at the new size.
    const Scene scene{400, 300, 30, 2, 10, 13, 0};
    const PixelBuffer desktop = RandomDesktop(400, 300, 13);
    SaverRun damage(scene, desktop);
    ExpectFullRecompositions(damage, 100, "before the resize");
    App& app = damage.app;
    app.platform.frames.DestroySurface(app.saver.scr_work);
    app.platform.frames.DestroySurface(app.saver.scr_bkg);
    app.g.ScrW = 250;
    app.g.ScrH = 180;
    app.saver.scr_work = app.platform.frames.CreateSaverFrame(250, 180);
    app.saver.scr_bkg = app.platform.frames.CreateSurface(250, 180);
    for (CatRec& cat : app.g.Cats) cat = CatRec{};
    const auto pixels_before = damage.platform.saver().presented_pixels;
    InitCats(app);
    EXPECT_EQ(damage.platform.saver().presented_pixels - pixels_before, std::int64_t{250} * 180);  // whole
    ExpectFullRecompositions(damage, 500, "after the resize");
}

}  // namespace
}  // namespace nyamo
