// Groups of rectangles that go to the screen in one push each: a push is
// one send of drawn pixels from the program's window to the screen.
//
// A backend whose window system sends, per push, the one rectangle that
// bounds all that was drawn since the last push (Wine's window surfaces do)
// pays for each group a fixed price per push plus the pixels of the group's
// bounding box. PushGrouping joins the rectangles into groups so that this
// sum is small: far-apart rectangles are pushed apart, near ones together.
// The Wayland buffers use it too: for the pixels they copy (price 0: only
// what costs no extra pixel is joined) and for the few boxes they damage.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/geometry.h"

namespace nyamo {

// Joining weighs every pair of a chunk: rectangles are joined this many at a
// time (the saver's damage has at most 102 a tick, so one chunk).
inline constexpr std::size_t kMostJoined = 128;

class PushGrouping {
public:
    // Its working memory is taken once here, so grouping up to
    // kPreparedRects rectangles allocates nothing; more grow it once.
    PushGrouping();
    static constexpr std::size_t kPreparedRects = 4 * kMostJoined;
    static constexpr std::size_t kAnyCount = static_cast<std::size_t>(-1);

    // The rectangles joined greedily: the two groups whose joining saves the
    // most are joined while joining saves anything, and then, while there are
    // more than most_groups, the two whose joining costs least. Each
    // rectangle with pixels lies in exactly one group, and no group is empty:
    // a rectangle without pixels has nothing to push and makes no group.
    // With a price of 0 (a price below 0 counts as 0) nothing that costs
    // extra pixels is joined unless most_groups asks for it. Past kMostJoined
    // rectangles they are joined a chunk of neighbours (by left edge) at a
    // time, each chunk into groups of its own, so that many rectangles never
    // become one box by accident; with most_groups the chunks' groups are
    // then joined again. Within one chunk, groups keep the order of their
    // first members. The answer holds the groups' bounding boxes until the
    // next call. most_groups of 0 counts as 1.
    std::span<const Rect> Group(std::span<const Rect> rects, std::int64_t push_price_pixels,
                                std::size_t most_groups = kAnyCount);
    // The group (an index into the last answer) that rectangle i went into;
    // kNoGroup for an empty one.
    std::size_t GroupOf(std::size_t i) const { return i < owner_.size() ? owner_[i] : kNoGroup; }
    static constexpr std::size_t kNoGroup = static_cast<std::size_t>(-1);

private:
    // Joins one chunk of at most kMostJoined rectangles; appends its groups
    // to out and the group of each of its rectangles to owners.
    void JoinChunk(std::span<const Rect> chunk, std::int64_t price, std::size_t most, std::vector<Rect>& out,
                   std::vector<std::size_t>& owners);

    std::vector<Rect> groups_, again_;  // the answer; the groups joined once more
    std::vector<std::size_t> owner_, again_owner_;
    std::vector<std::size_t> order_;  // past one chunk: the rectangles by their left edges
    std::vector<Rect> sorted_;
    std::array<Rect, kMostJoined> bounds_{};
    std::array<std::size_t, kMostJoined> member_of_{};  // each rectangle's group before compaction
    std::vector<std::int64_t> savings_;  // kMostJoined x kMostJoined, taken once
    std::array<std::int64_t, kMostJoined> row_saving_{};  // each row's best join
    std::array<std::size_t, kMostJoined> row_partner_{};  // and with whom
};

// What a push of each group costs, in pixels: groups x price + the areas
// of their bounding boxes (at most the largest 64-bit count).
std::int64_t PushCost(std::span<const Rect> groups, std::int64_t push_price_pixels);

}  // namespace nyamo
