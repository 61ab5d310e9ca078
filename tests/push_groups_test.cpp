// The groups the Win32 backend pushes the damaged rectangles in (and the
// Wayland buffers copy and damage): each rectangle in exactly one group,
// groups bounded by their members, rectangles joined exactly where a push
// costs more than the pixels between, and never more groups than asked for.
#include "platform/common/push_groups.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace nyamo {
namespace {

Rect Cell(std::int32_t x, std::int32_t y) { return {x, y, x + 70, y + 70}; }

// Every rectangle is in one group, and each group's bounds are its members'
// bounding box, computed here edge by edge.
void ExpectPartition(std::span<const Rect> rects, const PushGrouping& grouping, std::span<const Rect> groups) {
    std::vector<Rect> box(groups.size());
    std::vector<bool> has_member(groups.size(), false);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        if (rects[i].empty()) continue;  // nothing to push
        const std::size_t g = grouping.GroupOf(i);
        ASSERT_LT(g, groups.size()) << "rectangle " << i;
        const Rect& r = rects[i];
        box[g] = has_member[g] ? Rect{std::min(box[g].left, r.left), std::min(box[g].top, r.top),
                                      std::max(box[g].right, r.right), std::max(box[g].bottom, r.bottom)}
                               : r;
        has_member[g] = true;
    }
    for (std::size_t g = 0; g < groups.size(); ++g) {
        EXPECT_TRUE(has_member[g]) << "group " << g << " has no member with pixels";
        EXPECT_EQ(groups[g], box[g]) << "group " << g;
    }
}

TEST(PushGroups, NothingGivesNoGroups) {
    PushGrouping grouping;
    EXPECT_TRUE(grouping.Group({}, 50000).empty());
}

TEST(PushGroups, JoinsWhereTheGapCostsLessThanAPush) {
    PushGrouping grouping;
    // Two cells 10 pixels apart: their bounding box has 700 pixels more.
    const std::vector<Rect> near{Cell(0, 0), Cell(80, 0)};
    EXPECT_EQ(grouping.Group(near, 701).size(), 1u);
    EXPECT_EQ(grouping.Group(near, 700).size(), 2u);  // no saving, no join
    EXPECT_EQ(grouping.Group(near, 0).size(), 2u);
    // Touching cells in a row cost nothing extra together.
    const std::vector<Rect> touching{Cell(0, 0), Cell(70, 0)};
    EXPECT_EQ(grouping.Group(touching, 1).size(), 1u);
}

TEST(PushGroups, FarCornersStayApartNearOnesJoin) {
    PushGrouping grouping;
    // Two clusters of three cells at opposite corners of a 1080p screen.
    const std::vector<Rect> rects{Cell(0, 0), Cell(1850, 1010), Cell(75, 5), Cell(1775, 1000), Cell(150, 0),
                                  Cell(1700, 1010)};
    const std::vector<Rect> groups = [&] {
        const auto g = grouping.Group(rects, 50000);
        return std::vector<Rect>(g.begin(), g.end());
    }();
    ExpectPartition(rects, grouping, groups);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0], (Rect{0, 0, 220, 75}));
    EXPECT_EQ(groups[1], (Rect{1700, 1000, 1920, 1080}));
    EXPECT_EQ(grouping.GroupOf(2), 0u);
    EXPECT_EQ(grouping.GroupOf(5), 1u);
    // A price above the whole screen sends it all in one push.
    const auto one = grouping.Group(rects, 1920 * 1080);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], (Rect{0, 0, 1920, 1080}));
}

TEST(PushGroups, ManyRectanglesAreJoinedChunkByChunkNeverIntoOneBox) {
    PushGrouping grouping;
    // 1,030 cells side by side in rows of 50: they are joined 128 at a time,
    // neighbours by their left edges (about 6 columns of 21), so no group is
    // wider than a chunk's columns, and none is lost.
    std::vector<Rect> rects;
    for (std::int32_t i = 0; i < 1030; ++i) rects.push_back(Cell(70 * (i % 50), 70 * (i / 50)));
    std::vector<Rect> groups = [&] {
        const auto g = grouping.Group(rects, 50000);
        return std::vector<Rect>(g.begin(), g.end());
    }();
    ExpectPartition(rects, grouping, groups);
    EXPECT_GE(groups.size(), 9u);
    for (const Rect& g : groups) EXPECT_LE(g.width(), 7 * 70);
    // At most 5 groups asked for: the chunks' groups are joined again.
    const auto few = grouping.Group(rects, 0, 5);
    groups.assign(few.begin(), few.end());
    ExpectPartition(rects, grouping, groups);
    EXPECT_LE(groups.size(), 5u);
}

TEST(PushGroups, EmptyRectanglesMakeNoGroupAndFarEdgesDoNotOverflow) {
    PushGrouping grouping;
    std::vector<Rect> rects{Rect{}, Cell(0, 0), Rect{9, 9, 9, 20}};
    EXPECT_EQ(grouping.Group(rects, 0).size(), 1u);
    for (std::size_t i = rects.size(); i < kMostJoined; ++i) rects.push_back(Cell(0, 0));
    rects.insert(rects.end(), {Rect{}, Rect{5, 5, 5, 9}});  // past the joined ones, nothing
    auto groups = grouping.Group(rects, 50000);
    ExpectPartition(rects, grouping, groups);
    EXPECT_EQ(groups.size(), 1u);
    // Edges at the ends of 32 bits: (2^32 - 1)^2 pixels count as the most 64 bits hold.
    const Rect all{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    const std::vector<Rect> huge{all, all, Cell(0, 0)};
    groups = grouping.Group(huge, 50000);
    ExpectPartition(huge, grouping, groups);
    EXPECT_EQ(PushCost(groups, 50000), INT64_MAX);
}

TEST(PushGroups, RandomFlocksArePartitionedAndNeverCostMoreThanPushingEachAlone) {
    PushGrouping grouping;
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
        // A cap on the count keeps the partition and the cap.
        const std::size_t most = 1 + random() % 8;
        const auto capped = grouping.Group(rects, price, most);
        EXPECT_LE(capped.size(), most);
        ExpectPartition(rects, grouping, std::vector<Rect>(capped.begin(), capped.end()));
        const auto found = grouping.Group(rects, price);
        const std::vector<Rect> groups(found.begin(), found.end());
        ExpectPartition(rects, grouping, groups);
        EXPECT_LE(PushCost(groups, price), PushCost(rects, price)) << "scene " << scene;
        // No two groups left whose join would still save.
        for (std::size_t a = 0; a < groups.size(); ++a)
            for (std::size_t b = a + 1; b < groups.size(); ++b) {
                const Rect joined{std::min(groups[a].left, groups[b].left), std::min(groups[a].top, groups[b].top),
                                  std::max(groups[a].right, groups[b].right),
                                  std::max(groups[a].bottom, groups[b].bottom)};
                const std::vector<Rect> pair{groups[a], groups[b]};
                EXPECT_GE(PushCost({&joined, 1}, price), PushCost(pair, price)) << "scene " << scene;
            }
    }
}

}  // namespace
}  // namespace nyamo
