#include "saver/damage.h"

#include <algorithm>
#include <cassert>

namespace nyamo {

namespace {

bool Overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

Rect Union(const Rect& a, const Rect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

}  // namespace

std::int64_t RectArea(Rect r) {
    if (r.right <= r.left || r.bottom <= r.top) return 0;
    return std::int64_t{r.right - r.left} * (r.bottom - r.top);
}

Rect VisibleCell(const DrawRecord& draw, std::int32_t width, std::int32_t height) {
    if (draw.frame < 0) return {};
    // In 64 bits: a cell far beyond the right edge must not overflow.
    const std::int64_t right = std::int64_t{draw.x} + draw.width;
    const std::int64_t bottom = std::int64_t{draw.y} + draw.height;
    const Rect r{std::max(draw.x, 0), std::max(draw.y, 0), static_cast<std::int32_t>(std::min<std::int64_t>(right, width)),
                 static_cast<std::int32_t>(std::min<std::int64_t>(bottom, height))};
    return RectArea(r) == 0 ? Rect{} : r;
}

void DamageList::Add(Rect area) {
    Rect r = area;
    if (RectArea(r) == 0) return;
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
