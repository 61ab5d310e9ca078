#include "saver/damage.h"

#include <algorithm>
#include <cassert>

namespace nyamo {

Rect VisibleCell(const DrawRecord& draw, std::int32_t width, std::int32_t height) {
    if (draw.frame < 0) return {};
    // The far edges in 64 bits, cut to the screen: a cell far beyond the
    // right edge must not overflow.
    const auto right = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{draw.x} + draw.width, width));
    const auto bottom = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{draw.y} + draw.height, height));
    return Clip(Rect{draw.x, draw.y, right, bottom}, width, height);
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
