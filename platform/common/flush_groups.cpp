#include "platform/common/flush_groups.h"

#include <algorithm>

namespace nyamo {

namespace {

std::int64_t Area(const Rect& r) {
    return r.right <= r.left || r.bottom <= r.top ? 0 : std::int64_t{r.right - r.left} * (r.bottom - r.top);
}

Rect Bounds(const Rect& a, const Rect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// Joining looks at every pair: past this many rectangles the rest are
// flushed each on its own (the saver's damage has at most 100).
constexpr std::size_t kMostJoined = 1024;

}  // namespace

std::vector<FlushGroup> GroupForFlush(std::span<const Rect> rects, std::int64_t flush_price_pixels) {
    std::vector<FlushGroup> groups;
    const std::size_t count = std::min(rects.size(), kMostJoined);
    groups.reserve(count);
    for (std::size_t i = 0; i < count; ++i) groups.push_back({rects[i], {i}});

    // saving[i][j], i < j: what joining groups i and j saves (may be < 0).
    const auto saving = [&](std::size_t i, std::size_t j) {
        return flush_price_pixels + Area(groups[i].bounds) + Area(groups[j].bounds) -
               Area(Bounds(groups[i].bounds, groups[j].bounds));
    };
    std::vector<std::int64_t> savings(count * count, 0);
    for (std::size_t i = 0; i < count; ++i)
        for (std::size_t j = i + 1; j < count; ++j) savings[i * count + j] = saving(i, j);
    std::vector<bool> alive(count, true);

    for (;;) {
        std::int64_t best = 0;
        std::size_t bi = 0, bj = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (!alive[i]) continue;
            for (std::size_t j = i + 1; j < count; ++j)
                if (alive[j] && savings[i * count + j] > best) {
                    best = savings[i * count + j];
                    bi = i;
                    bj = j;
                }
        }
        if (best <= 0) break;
        groups[bi].bounds = Bounds(groups[bi].bounds, groups[bj].bounds);
        groups[bi].members.insert(groups[bi].members.end(), groups[bj].members.begin(), groups[bj].members.end());
        alive[bj] = false;
        for (std::size_t k = 0; k < count; ++k) {
            if (!alive[k] || k == bi) continue;
            const std::size_t lo = std::min(k, bi), hi = std::max(k, bi);
            savings[lo * count + hi] = saving(lo, hi);
        }
    }

    std::vector<FlushGroup> joined;
    for (std::size_t i = 0; i < count; ++i)
        if (alive[i]) joined.push_back(std::move(groups[i]));
    for (std::size_t i = count; i < rects.size(); ++i) joined.push_back({rects[i], {i}});
    return joined;
}

std::int64_t FlushCost(std::span<const FlushGroup> groups, std::int64_t flush_price_pixels) {
    std::int64_t cost = 0;
    for (const FlushGroup& g : groups) cost += flush_price_pixels + Area(g.bounds);
    return cost;
}

}  // namespace nyamo
