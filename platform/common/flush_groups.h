// Groups of rectangles that go to the screen in one flush each.
//
// A backend whose window system sends, per flush, the one rectangle that
// bounds all that was drawn since the last flush (Wine's window surfaces do)
// pays for each group a fixed price per flush plus the pixels of the group's
// bounding box. GroupForFlush joins the rectangles into groups so that this
// sum is small: far-apart rectangles are flushed apart, near ones together.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/platform.h"

namespace nyamo {

struct FlushGroup {
    Rect bounds;                        // the bounding box of the members
    std::vector<std::size_t> members;  // indices into the rectangles given
};

// The rectangles joined greedily: the two groups whose joining saves the
// most are joined while joining saves anything (the first 1,024 rectangles;
// any more are flushed each alone). Each rectangle lies in exactly one group;
// with a price of 0 nothing that costs extra pixels is joined. Groups keep
// the order of their first members.
std::vector<FlushGroup> GroupForFlush(std::span<const Rect> rects, std::int64_t flush_price_pixels);

// What a flush of each group costs, in pixels: groups x price + the areas
// of their bounding boxes.
std::int64_t FlushCost(std::span<const FlushGroup> groups, std::int64_t flush_price_pixels);

}  // namespace nyamo
