// The damage path against the full recomposition: the same flock, run side
// by side, must put the same pixels on the screen on every tick.
#include "saver/damage.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>

#include "platform/headless/headless_platform.h"
#include "saver/flock.h"
#include "saver/saver_window.h"
#include "saver/tick.h"

namespace nyamo {
namespace {

TEST(DamageList, CellsAreCutToTheScreen) {
    const DrawRecord left_edge{0, 1, -69, 10, 70, 70};
    EXPECT_EQ(VisibleCell(left_edge, 200, 100), (Rect{0, 10, 1, 80}));
    const DrawRecord top_right{0, 1, 180, -20, 70, 70};
    EXPECT_EQ(VisibleCell(top_right, 200, 100), (Rect{180, 0, 200, 50}));
    const DrawRecord gone{1, 1, -70, 10, 70, 70};
    EXPECT_EQ(VisibleCell(gone, 200, 100), Rect{});
    const DrawRecord beyond{1, 1, 200, 10, 70, 70};
    EXPECT_EQ(VisibleCell(beyond, 200, 100), Rect{});
    const DrawRecord not_drawn{};
    EXPECT_EQ(VisibleCell(not_drawn, 200, 100), Rect{});
    const DrawRecord far_out{1, 1, 2147483600, 10, 70, 70};  // its right edge would overflow 32 bits
    EXPECT_EQ(VisibleCell(far_out, 200, 100), Rect{});
    const DrawRecord one_row{0, 1, 5, -30, 70, 70};
    EXPECT_EQ(VisibleCell(one_row, 10, 1), (Rect{5, 0, 10, 1}));
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
    SaverRun(const Scene& scene, const PixelBuffer& desktop, bool full) : world(scene.width, scene.height) {
        world.desktop() = desktop;
        world.clock = scene.seed;
        world.clock_step = 7;
        app.frame.full_recompose = full;
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
    App app{platform};
};

PixelBuffer RandomDesktop(std::int32_t width, std::int32_t height, std::uint64_t seed) {
    PixelBuffer desktop(width, height);
    std::mt19937 rng(static_cast<std::uint32_t>(seed));
    for (auto& p : desktop.pixels) p = rng() & 0x00FFFFFFu;
    return desktop;
}

// Where two screens differ first, for the failure message.
std::string FirstDifference(const PixelBuffer& a, const PixelBuffer& b) {
    if (a.width != b.width || a.height != b.height) return "different sizes";
    for (std::int32_t y = 0; y < a.height; ++y)
        for (std::int32_t x = 0; x < a.width; ++x)
            if (a.at(x, y) != b.at(x, y)) {
                std::ostringstream text;
                text << "pixel (" << x << ", " << y << "): full " << std::hex << a.at(x, y) << ", damage " << b.at(x, y);
                return text.str();
            }
    return "none";
}

// Tick both runs and compare what their windows show after every tick.
void ExpectSameScreens(SaverRun& full, SaverRun& damage, int ticks, const std::string& what) {
    ASSERT_EQ(full.screen().pixels, damage.screen().pixels) << what << ", first frame: "
                                                            << FirstDifference(full.screen(), damage.screen());
    for (int t = 1; t <= ticks; ++t) {
        Timer1_Timer(full.app);
        Timer1_Timer(damage.app);
        ASSERT_EQ(full.screen().pixels, damage.screen().pixels)
            << what << ", tick " << t << ": " << FirstDifference(full.screen(), damage.screen());
    }
}

class SideBySide : public ::testing::TestWithParam<Scene> {};

TEST_P(SideBySide, DamagePathShowsExactlyTheFullRecomposition) {
    const Scene& scene = GetParam();
    const PixelBuffer desktop = RandomDesktop(scene.width, scene.height, scene.seed);
    SaverRun full(scene, desktop, true);
    SaverRun damage(scene, desktop, false);
    ExpectSameScreens(full, damage, scene.ticks, Describe(scene));
    // The two runs walked the same flock: the comparison was not of two
    // empty screens by chance.
    EXPECT_EQ(full.app.g.Cats, damage.app.g.Cats);
    EXPECT_EQ(full.platform.saver().presents, damage.platform.saver().presents);
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

TEST(DamagePath, PresentsOnlyTheCellsThatChanged) {
    const Scene scene{1920, 1080, 50, 1, 10, 11, 0};
    const PixelBuffer desktop = RandomDesktop(scene.width, scene.height, scene.seed);
    SaverRun damage(scene, desktop, false);
    const std::int64_t whole = std::int64_t{1920} * 1080;
    EXPECT_EQ(damage.platform.saver().presented_pixels, whole);  // the first frame
    constexpr int kTicks = 200;
    for (int t = 0; t < kTicks; ++t) Timer1_Timer(damage.app);
    EXPECT_EQ(damage.platform.saver().presents, 1 + kTicks);
    // Each tick at most every cat's old and new cell, a little over 1 % of the screen.
    const std::int64_t per_tick = (damage.platform.saver().presented_pixels - whole) / kTicks;
    EXPECT_GT(per_tick, 0);
    EXPECT_LE(per_tick, 2 * 50 * 70 * 70);
}

TEST(DamagePath, NothingIsDrawnWhileTheScreenCannotBeSeen) {
    const Scene scene{640, 480, 20, 1, 10, 12, 0};
    const PixelBuffer desktop = RandomDesktop(scene.width, scene.height, scene.seed);
    SaverRun full(scene, desktop, true);
    SaverRun damage(scene, desktop, false);
    ExpectSameScreens(full, damage, 50, "before the display goes off");

    damage.platform.set_saver_frame_visible(false);
    full.platform.set_saver_frame_visible(false);
    const PixelBuffer last_seen = damage.screen();
    const auto presents = damage.platform.saver().presents;
    const auto work_before = *damage.platform.surface(damage.app.saver.scr_work);
    for (int t = 0; t < 120; ++t) {
        Timer1_Timer(full.app);
        Timer1_Timer(damage.app);
    }
    EXPECT_EQ(damage.platform.saver().presents, presents);
    EXPECT_EQ(damage.screen().pixels, last_seen.pixels);
    EXPECT_EQ(damage.platform.surface(damage.app.saver.scr_work)->pixels, work_before.pixels);  // nothing composed
    EXPECT_EQ(full.platform.saver().presents, presents);
    // The flock walked on meanwhile.
    EXPECT_EQ(full.app.g.Cats, damage.app.g.Cats);

    damage.platform.set_saver_frame_visible(true);
    full.platform.set_saver_frame_visible(true);
    const auto pixels_before = damage.platform.saver().presented_pixels;
    ExpectSameScreens(full, damage, 1, "the first tick after the display came back");
    EXPECT_EQ(damage.platform.saver().presented_pixels - pixels_before, std::int64_t{640} * 480);  // whole
    ExpectSameScreens(full, damage, 300, "after the display came back");
}

TEST(DamagePath, ANewFrameSurfaceOfAnotherSizeIsComposedWhole) {
    // What the xscreensaver hack does when its window is resized: new
    // surfaces, the flock started again at the new size.
    const Scene scene{400, 300, 30, 2, 10, 13, 0};
    const PixelBuffer desktop = RandomDesktop(400, 300, 13);
    SaverRun full(scene, desktop, true);
    SaverRun damage(scene, desktop, false);
    ExpectSameScreens(full, damage, 100, "before the resize");
    for (SaverRun* run : {&full, &damage}) {
        App& app = run->app;
        app.platform.DestroySurface(app.saver.scr_work);
        app.platform.DestroySurface(app.saver.scr_bkg);
        app.g.ScrW = 250;
        app.g.ScrH = 180;
        app.saver.scr_work = app.platform.CreateSaverFrame(250, 180);
        app.saver.scr_bkg = app.platform.CreateSurface(250, 180);
        for (CatRec& cat : app.g.Cats) cat = CatRec{};
        InitCats(app);
    }
    ExpectSameScreens(full, damage, 500, "after the resize");
}

}  // namespace
}  // namespace nyamo
