#include "saver/flock.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/headless/headless_program.h"
#include "tests/test_folder.h"

namespace nyamo {
namespace {

using testing::TestFolder;

TEST(FlockArithmetic, TimerIntervalFollowsTheSpeed) {
    EXPECT_EQ(TimerInterval(1), 182);
    EXPECT_EQ(TimerInterval(5), 110);
    EXPECT_EQ(TimerInterval(10), 20);
}

TEST(FlockArithmetic, LaneHeightRoundsHalfToEven) {
    EXPECT_EQ(LaneHeight(900, 7), 112);  // 112.5
    EXPECT_EQ(LaneHeight(600, 15), 38);  // 37.5
    EXPECT_EQ(LaneHeight(768, 20), 37);
    EXPECT_EQ(LaneHeight(1080, 1), 540);
}

// A saver run on a 1024 x 768 headless screen with a still pointer.
class Flock : public ::testing::Test {
protected:
    void Start(std::int32_t cats, std::int32_t speed = 5, std::int32_t width = 1024, std::int32_t height = 768) {
        world.SetScreen(width, height);
        folder.Write("Nyamo_07.ini", "[Nyamo Saver]\nCatNum=" + std::to_string(cats) + "\nSaverType=2\nSaverSpeed=" +
                                         std::to_string(speed) + "\n");
        ASSERT_EQ(shell.Start(), MainOutcome::SaverStarted);
    }
    const Grobal& g() { return shell.app.g; }

    TestFolder folder;
    HeadlessWorld world;
    HeadlessProgram shell{world, "/s", folder.path().string()};
};

TEST_F(Flock, PoseMachineOverThousandsOfTicks) {
    Start(20);
    const std::int32_t h = LaneHeight(768, 20);
    const Grobal before_run = g();
    std::array<CatRec, kCatSlots> prev = g().Cats;
    std::array<std::int32_t, kCatSlots> prev_rest = g().RestCount;
    std::array<std::int32_t, kCatSlots> rest_ticks{};
    std::array<std::int32_t, kCatSlots> rest_x{};
    std::array<std::int32_t, kCatSlots> last_walk_frame{};
    last_walk_frame.fill(-1);
    for (std::size_t s = 0; s < 20; ++s) {
        // The first frame, composed at start, may already have sat a cat down.
        rest_ticks[s] = g().RestCount[s];
        rest_x[s] = g().Cats[s].X;
    }
    int sit_chances = 0, sits = 0, blink_chances = 0, blinks = 0, rests_completed = 0, respawns = 0;

    for (int tick = 0; tick < 6000; ++tick) {
        shell.Tick();
        ASSERT_TRUE(shell.running());
        for (std::int32_t i = 0; i < 20; ++i) {
            SCOPED_TRACE("tick " + std::to_string(tick) + " cat " + std::to_string(i));
            const auto s = static_cast<std::size_t>(i);
            const CatRec& cat = g().Cats[s];
            const DrawRecord drawn = shell.app.drawn[s];
            EXPECT_EQ(cat.Step, before_run.Cats[s].Step);
            EXPECT_EQ(cat.RestLen, before_run.Cats[s].RestLen);
            ASSERT_GE(cat.Step, 1);
            ASSERT_LE(cat.Step, 3);
            ASSERT_GE(cat.RestLen, 5);
            ASSERT_LE(cat.RestLen, 9);

            CatRec start = prev[s];
            if (start.Pose == 0) {
                // Placed again this tick, in its own lane, just beyond an edge.
                ++respawns;
                ASSERT_GE(cat.Y, h * i - 20);
                ASSERT_LE(cat.Y, h * i + h - 21);
                ASSERT_TRUE(cat.Dir == 1 || cat.Dir == 2);
                const std::int32_t placed_x = cat.X + (drawn.frame >= 9 ? 0 : (cat.Dir == 2 ? -cat.Step : cat.Step));
                if (cat.Dir == 2) {
                    ASSERT_LE(placed_x, -70);
                    ASSERT_GE(placed_x, -70 - 1024 / 4);
                    if (i == 0) {
                        ASSERT_EQ(placed_x, -70);
                    }
                } else {
                    ASSERT_GE(placed_x, 1024);
                    ASSERT_LE(placed_x, 1024 + 1024 / 4);
                    if (i == 0) {
                        ASSERT_EQ(placed_x, 1024);
                    }
                }
                start = CatRec{placed_x, cat.Y, cat.Dir, 1, cat.Step, cat.RestLen};
                last_walk_frame[s] = -1;
            } else {
                ASSERT_EQ(cat.Y, start.Y);
                ASSERT_EQ(cat.Dir, start.Dir);
            }
            ASSERT_NE(drawn.frame, -1);  // every placed cat is drawn every tick
            ASSERT_EQ(drawn.sheet, cat.Dir == 2 ? 0 : 1);

            if (start.Pose == 1 && prev_rest[s] == 0) {
                ++sit_chances;
                if (drawn.frame == 9) ++sits;
            }
            if (start.Pose == 8) {
                ++blink_chances;
                if (drawn.frame == 8) ++blinks;
            }

            if (drawn.frame >= 9) {
                // Resting: still, frames 9, 10, 9, ... for exactly RestLen ticks.
                if (rest_ticks[s] == 0) {
                    ASSERT_EQ(drawn.frame, 9);
                    rest_x[s] = start.X;
                } else {
                    ASSERT_EQ(drawn.frame, rest_ticks[s] % 2 == 0 ? 9 : 10);
                }
                ++rest_ticks[s];
                ASSERT_EQ(cat.X, rest_x[s]);
                ASSERT_LE(rest_ticks[s], cat.RestLen);
                if (rest_ticks[s] == cat.RestLen) {
                    ASSERT_EQ(cat.Pose, 1);
                    ASSERT_EQ(g().RestCount[s], 0);
                    rest_ticks[s] = 0;
                    ++rests_completed;
                } else {
                    ASSERT_EQ(g().RestCount[s], rest_ticks[s]);
                }
                continue;
            }
            ASSERT_EQ(rest_ticks[s], 0) << "a rest ended early";
            // Walking: frames 1..7 then 0 or 8, one Step per tick.
            const std::int32_t f = drawn.frame;
            const std::int32_t last = last_walk_frame[s];
            if (last != -1) {
                const std::int32_t expected = (last == 0 || last == 8) ? 1 : last + 1;
                if (expected == 8)
                    ASSERT_TRUE(f == 0 || f == 8);
                else
                    ASSERT_EQ(f, expected);
            }
            last_walk_frame[s] = f;
            ASSERT_EQ(cat.X, start.X + (cat.Dir == 2 ? cat.Step : -cat.Step));
            const bool left_screen = cat.Dir == 2 ? cat.X >= 1024 : cat.X <= -70;
            ASSERT_EQ(cat.Pose == 0, left_screen);
        }
        prev = g().Cats;
        prev_rest = g().RestCount;
    }
    EXPECT_GT(respawns, 20);
    EXPECT_GT(rests_completed, 100);
    EXPECT_GT(sit_chances, 5000);
    EXPECT_NEAR(static_cast<double>(sits) / sit_chances, 0.1, 0.015);
    EXPECT_GT(blink_chances, 5000);
    EXPECT_NEAR(static_cast<double>(blinks) / blink_chances, 0.2, 0.02);
}

TEST_F(Flock, CatsPlacedInOneClockTickDrawDifferentNumbers) {
    world.clock_step = 0;  // every re-seed sees the same clock reading
    Start(50);
    const std::int32_t h = LaneHeight(768, 50);
    std::set<std::int32_t> offsets, distances;
    int rightwards = 0;
    for (std::int32_t i = 1; i < 50; ++i) {
        const CatRec& cat = g().Cats[static_cast<std::size_t>(i)];
        offsets.insert(cat.Y - (h * i - 20));
        distances.insert(cat.Dir == 2 ? -70 - cat.X : cat.X - 1024);
        rightwards += cat.Dir == 2;
    }
    EXPECT_GT(offsets.size(), 5u);
    EXPECT_GT(distances.size(), 20u);
    EXPECT_GT(rightwards, 10);
    EXPECT_LT(rightwards, 40);
}

TEST_F(Flock, ASingleCatUsesTwoLanesAndStartsAtTheEdge) {
    for (int run = 0; run < 40; ++run) {
        HeadlessProgram one(world, "/s", folder.path().string());
        folder.Write("Nyamo_07.ini", "[Nyamo Saver]\nCatNum=1\nSaverType=2\n");
        world.clock = static_cast<std::uint64_t>(run) * 7919;
        ASSERT_EQ(one.Start(), MainOutcome::SaverStarted);
        const CatRec& cat = one.app.g.Cats[0];
        const std::int32_t h = LaneHeight(768, 1);
        EXPECT_GE(cat.Y, -20);
        EXPECT_LE(cat.Y, h - 21);
        // After the first composed frame it has either made its first step
        // from the edge or sat down right there.
        const bool sat = one.app.drawn[0].frame == 9;
        if (cat.Dir == 2)
            EXPECT_EQ(cat.X, sat ? -70 : -70 + cat.Step);
        else
            EXPECT_EQ(cat.X, sat ? 1024 : 1024 - cat.Step);
        one.Click();
    }
}

TEST_F(Flock, UnusedSlotsAreNeverTouched) {
    Start(3);
    for (int t = 0; t < 500; ++t) shell.Tick();
    for (std::size_t i = 3; i < kCatSlots; ++i) {
        EXPECT_EQ(g().Cats[i].Pose, 0);
        EXPECT_EQ(g().Cats[i].X, 0);
        EXPECT_EQ(shell.app.drawn[i].frame, -1);
    }
}

}  // namespace
}  // namespace nyamo
