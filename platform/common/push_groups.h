// Groups of rectangles that go to the screen in one push each: a push is
// one send of drawn pixels from the program's window to the screen.
//
// A backend whose window system sends, per push, the one rectangle that
// bounds all that was drawn since the last push (Wine's window surfaces do)
// pays for each group a fixed price per push plus the pixels of the group's
// bounding box. PushGrouping joins the rectangles into groups so that this
// sum is small: far-apart rectangles are pushed apart, near ones together.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/geometry.h"

namespace nyamo {

// Joining weighs every pair: past this many rectangles the rest go in one
// last group of their own (the saver's damage has at most 102).
inline constexpr std::size_t kMostJoined = 128;

class PushGrouping {
public:
    // Its working memory is taken once here, so grouping a frame's
    // rectangles allocates nothing.
    PushGrouping();

    // The rectangles joined greedily: the two groups whose joining saves the
    // most are joined while joining saves anything. Each rectangle with
    // pixels lies in exactly one group, and no group is empty: a rectangle
    // without pixels has nothing to push and makes no group. With a price of
    // 0 (a price below 0 counts as 0) nothing that costs extra pixels is
    // joined. Groups keep the order of their first members. The answer holds
    // the groups' bounding boxes until the next call.
    std::span<const Rect> Group(std::span<const Rect> rects, std::int64_t push_price_pixels);
    // The group (an index into the last answer) that rectangle i went into;
    // kNoGroup for an empty one among the first kMostJoined, or past them
    // when none of the rest has pixels.
    std::size_t GroupOf(std::size_t i) const;
    static constexpr std::size_t kNoGroup = static_cast<std::size_t>(-1);

private:
    std::array<Rect, kMostJoined + 1> bounds_{};
    std::array<std::size_t, kMostJoined> owner_{};  // each rectangle's group before compaction
    std::array<std::size_t, kMostJoined + 1> place_{};  // a group's index in the answer
    std::vector<std::int64_t> savings_;  // kMostJoined x kMostJoined, taken once
    std::array<std::int64_t, kMostJoined> row_saving_{};  // each row's best saving
    std::array<std::size_t, kMostJoined> row_partner_{};  // and with whom
};

// What a push of each group costs, in pixels: groups x price + the areas
// of their bounding boxes (at most the largest 64-bit count).
std::int64_t PushCost(std::span<const Rect> groups, std::int64_t push_price_pixels);

}  // namespace nyamo
