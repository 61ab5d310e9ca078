// The groups the Win32 backend flushes the damaged rectangles in: each
// rectangle in exactly one group, groups bounded by their members, and
// rectangles joined exactly where a flush costs more than the pixels between.
#include "platform/common/flush_groups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace nyamo {
namespace {

Rect Cell(std::int32_t x, std::int32_t y) { return {x, y, x + 70, y + 70}; }

// Every rectangle is in one group, and each group's bounds are its members' bounding box.
void ExpectPartition(std::span<const Rect> rects, const std::vector<FlushGroup>& groups) {
    std::vector<int> seen(rects.size(), 0);
    for (const FlushGroup& g : groups) {
        ASSERT_FALSE(g.members.empty());
        Rect box = rects[g.members.front()];
        for (const std::size_t i : g.members) {
            ASSERT_LT(i, rects.size());
            ++seen[i];
            const Rect& r = rects[i];
            box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
                   std::max(box.bottom, r.bottom)};
        }
        EXPECT_EQ(g.bounds, box);
    }
    for (std::size_t i = 0; i < rects.size(); ++i) EXPECT_EQ(seen[i], 1) << "rectangle " << i;
}

TEST(FlushGroups, NothingGivesNoGroups) { EXPECT_TRUE(GroupForFlush({}, 50000).empty()); }

TEST(FlushGroups, JoinsWhereTheGapCostsLessThanAFlush) {
    // Two cells 10 pixels apart: their bounding box has 700 pixels more.
    const std::vector<Rect> near{Cell(0, 0), Cell(80, 0)};
    EXPECT_EQ(GroupForFlush(near, 701).size(), 1u);
    EXPECT_EQ(GroupForFlush(near, 700).size(), 2u);  // no saving, no join
    EXPECT_EQ(GroupForFlush(near, 0).size(), 2u);
    // Touching cells in a row cost nothing extra together.
    const std::vector<Rect> touching{Cell(0, 0), Cell(70, 0)};
    EXPECT_EQ(GroupForFlush(touching, 1).size(), 1u);
}

TEST(FlushGroups, FarCornersStayApartNearOnesJoin) {
    // Two clusters of three cells at opposite corners of a 1080p screen.
    const std::vector<Rect> rects{Cell(0, 0), Cell(1850, 1010), Cell(75, 5), Cell(1775, 1000), Cell(150, 0),
                                  Cell(1700, 1010)};
    const auto groups = GroupForFlush(rects, 50000);
    ExpectPartition(rects, groups);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].bounds, (Rect{0, 0, 220, 75}));
    EXPECT_EQ(groups[1].bounds, (Rect{1700, 1000, 1920, 1080}));
    // A price above the whole screen sends it all in one flush.
    const auto one = GroupForFlush(rects, 1920 * 1080);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].bounds, (Rect{0, 0, 1920, 1080}));
}

TEST(FlushGroups, RectanglesPastTheJoinedOnesAreFlushedAlone) {
    // 1,030 cells side by side in rows: the first 1,024 join into a few
    // groups, the last 6 are flushed each alone, none is lost.
    std::vector<Rect> rects;
    for (std::int32_t i = 0; i < 1030; ++i) rects.push_back(Cell(70 * (i % 50), 70 * (i / 50)));
    const auto groups = GroupForFlush(rects, 50000);
    ExpectPartition(rects, groups);
    std::size_t alone = 0;
    for (const FlushGroup& g : groups)
        if (g.members.front() >= 1024) {
            EXPECT_EQ(g.members.size(), 1u);
            ++alone;
        }
    EXPECT_EQ(alone, 6u);
    EXPECT_LE(groups.size(), 6u + 3u);
}

TEST(FlushGroups, RandomFlocksArePartitionedAndNeverCostMoreThanFlushingEachAlone) {
    std::mt19937 random(7);
    for (int scene = 0; scene < 200; ++scene) {
        const int count = 1 + static_cast<int>(random() % 100);
        std::vector<Rect> rects;
        for (int i = 0; i < count; ++i) {
            const auto x = static_cast<std::int32_t>(random() % 3800);
            const auto y = static_cast<std::int32_t>(random() % 2100);
            const auto w = static_cast<std::int32_t>(1 + random() % 140);
            rects.push_back({x, y, x + w, y + 70});
        }
        const std::int64_t price = static_cast<std::int64_t>(random() % 100000);
        const auto groups = GroupForFlush(rects, price);
        ExpectPartition(rects, groups);
        std::vector<FlushGroup> alone;
        for (std::size_t i = 0; i < rects.size(); ++i) alone.push_back({rects[i], {i}});
        EXPECT_LE(FlushCost(groups, price), FlushCost(alone, price)) << "scene " << scene;
        // No two groups left whose join would still save.
        for (std::size_t a = 0; a < groups.size(); ++a)
            for (std::size_t b = a + 1; b < groups.size(); ++b) {
                const FlushGroup joined{{std::min(groups[a].bounds.left, groups[b].bounds.left),
                                         std::min(groups[a].bounds.top, groups[b].bounds.top),
                                         std::max(groups[a].bounds.right, groups[b].bounds.right),
                                         std::max(groups[a].bounds.bottom, groups[b].bounds.bottom)},
                                        {}};
                const std::vector<FlushGroup> pair{groups[a], groups[b]};
                EXPECT_GE(FlushCost({&joined, 1}, price), FlushCost(pair, price)) << "scene " << scene;
            }
    }
}

}  // namespace
}  // namespace nyamo
