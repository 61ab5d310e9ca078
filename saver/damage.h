// The parts of the saver's frame that differ from the frame before: the
// boxes of what the cats drew on either tick, cut to the screen, with
// rectangles that overlap merged into one, so no pixel is restored or sent
// twice.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/app.h"
#include "platform/platform.h"

namespace nyamo {

// The part of a width x height screen that a recorded draw can change: its
// CoverBox at its place, cut to the screen; empty for a cat that was not
// drawn, lies wholly off the screen or draws nothing.
Rect VisibleBox(const DrawRecord& draw, const SheetCovers& cover, std::int32_t width, std::int32_t height);

class DamageList {
public:
    // Add a rectangle that lies on the screen (an empty one adds nothing).
    // A rectangle that overlaps others is replaced by the
    // bounding box of them all, until no two rectangles of the list overlap.
    void Add(Rect area);
    void Clear() { count_ = 0; }
    std::span<const Rect> rects() const { return {rects_.data(), count_}; }

private:
    // Every cat's old and new box, when none overlaps another.
    std::array<Rect, 2 * kCatSlots> rects_{};
    std::size_t count_ = 0;
};

}  // namespace nyamo
