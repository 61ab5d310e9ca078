#include "platform/common/push_groups.h"

#include <algorithm>
#include <limits>

namespace nyamo {

namespace {

// a + b, or the largest 64-bit count when that is more; b is not below 0.
std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
    return a > std::numeric_limits<std::int64_t>::max() - b ? std::numeric_limits<std::int64_t>::max() : a + b;
}

}  // namespace

PushGrouping::PushGrouping() : savings_(kMostJoined * kMostJoined, 0) {}

std::span<const Rect> PushGrouping::Group(std::span<const Rect> rects, std::int64_t push_price_pixels) {
    const std::int64_t price = std::max<std::int64_t>(push_price_pixels, 0);
    const std::size_t count = std::min(rects.size(), kMostJoined);
    std::array<bool, kMostJoined> alive{};
    place_.fill(kNoGroup);
    for (std::size_t i = 0; i < count; ++i) {
        bounds_[i] = rects[i];
        owner_[i] = i;
        alive[i] = !rects[i].empty();
    }

    // savings_[i * kMostJoined + j], i < j: what joining groups i and j saves
    // (may be < 0). The union holds both, so its area is at least either's,
    // and each step below stays within 64 bits even for areas at their most.
    const auto saving = [&](std::size_t i, std::size_t j) {
        const std::int64_t shared = bounds_[i].area() - Union(bounds_[i], bounds_[j]).area() + bounds_[j].area();
        return SaturatingAdd(shared, price);
    };
    for (std::size_t i = 0; i < count; ++i)
        for (std::size_t j = i + 1; j < count; ++j) savings_[i * kMostJoined + j] = saving(i, j);

    // Each row's best join: the first partner with the most saving above 0.
    // The best pair is then the first row's with the most, as a scan of
    // every pair would find it, at a look per row instead of per pair.
    const auto best_in_row = [&](std::size_t i) {
        row_saving_[i] = 0;
        row_partner_[i] = kNoGroup;
        for (std::size_t j = i + 1; j < count; ++j)
            if (alive[j] && savings_[i * kMostJoined + j] > row_saving_[i]) {
                row_saving_[i] = savings_[i * kMostJoined + j];
                row_partner_[i] = j;
            }
    };
    for (std::size_t i = 0; i < count; ++i) best_in_row(i);

    for (;;) {
        std::int64_t best = 0;
        std::size_t bi = 0;
        for (std::size_t i = 0; i < count; ++i)
            if (alive[i] && row_saving_[i] > best) {
                best = row_saving_[i];
                bi = i;
            }
        if (best <= 0) break;
        const std::size_t bj = row_partner_[bi];
        bounds_[bi] = Union(bounds_[bi], bounds_[bj]);
        alive[bj] = false;
        for (std::size_t m = 0; m < count; ++m)
            if (owner_[m] == bj) owner_[m] = bi;
        for (std::size_t k = 0; k < count; ++k) {
            if (!alive[k] || k == bi) continue;
            const std::size_t lo = std::min(k, bi), hi = std::max(k, bi);
            savings_[lo * kMostJoined + hi] = saving(lo, hi);
        }
        // Only rows that pointed at the joined pair, or hold its new saving
        // with bi, can have another best now.
        best_in_row(bi);
        for (std::size_t k = 0; k < count; ++k) {
            if (!alive[k] || k == bi) continue;
            if (row_partner_[k] == bi || row_partner_[k] == bj) {
                best_in_row(k);
            } else if (k < bi) {
                const std::int64_t s = savings_[k * kMostJoined + bi];
                if (s > row_saving_[k] || (s > 0 && s == row_saving_[k] && bi < row_partner_[k])) {
                    row_saving_[k] = s;
                    row_partner_[k] = bi;
                }
            }
        }
    }

    // The surviving groups moved to the front, in the order of their first members.
    std::size_t groups = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (alive[i]) {
            place_[i] = groups;
            bounds_[groups++] = bounds_[i];
        }
    Rect rest{};
    for (std::size_t i = count; i < rects.size(); ++i) rest = Union(rest, rects[i]);
    if (!rest.empty()) {
        place_[kMostJoined] = groups;
        bounds_[groups++] = rest;
    }
    return {bounds_.data(), groups};
}

std::size_t PushGrouping::GroupOf(std::size_t i) const {
    return i < kMostJoined ? place_[owner_[i]] : place_[kMostJoined];
}

std::int64_t PushCost(std::span<const Rect> groups, std::int64_t push_price_pixels) {
    std::int64_t cost = 0;
    const std::int64_t price = std::max<std::int64_t>(push_price_pixels, 0);
    for (const Rect& g : groups) cost = SaturatingAdd(SaturatingAdd(cost, price), g.area());
    return cost;
}

}  // namespace nyamo
