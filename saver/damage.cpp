#include "saver/damage.h"

#include <algorithm>
#include <cassert>

#include "saver/sprite_stamp.h"

namespace nyamo {

Rect VisibleBox(const DrawRecord& draw, const SheetCovers& cover, std::int32_t width, std::int32_t height) {
    if (draw.frame < 0 || width <= 0 || height <= 0) return {};
    const Rect box = CoverBox(cover, draw);
    if (box.empty()) return {};
    // The edges in 64 bits, cut to the screen: a cat far beyond the right
    // edge must not overflow.
    const auto cut = [](std::int64_t edge, std::int32_t size) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(edge, 0, size));
    };
    const Rect r{cut(std::int64_t{draw.x} + box.left, width), cut(std::int64_t{draw.y} + box.top, height),
                 cut(std::int64_t{draw.x} + box.right, width), cut(std::int64_t{draw.y} + box.bottom, height)};
    return r.empty() ? Rect{} : r;
}

void DamageList::Add(Rect area) {
    Rect r = area;
    if (r.empty()) return;
    // A merged rectangle may reach rectangles it did not touch before: scan
    // again from the start after every merge.
    for (std::size_t i = 0; i < count_;) {
        if (!Overlap(r, rects_[i])) {
            ++i;
            continue;
        }
        r = Union(r, rects_[i]);
        rects_[i] = rects_[--count_];
        i = 0;
    }
    assert(count_ < rects_.size());
    rects_[count_++] = r;
}

}  // namespace nyamo
