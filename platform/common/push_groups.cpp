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

PushGrouping::PushGrouping() : savings_(kMostJoined * kMostJoined, 0) {
    for (auto* rects : {&groups_, &again_, &sorted_}) rects->reserve(kPreparedRects);
    for (auto* indices : {&owner_, &again_owner_, &order_}) indices->reserve(kPreparedRects);
}

std::span<const Rect> PushGrouping::Group(std::span<const Rect> rects, std::int64_t push_price_pixels,
                                          std::size_t most_groups) {
    const std::int64_t price = std::max<std::int64_t>(push_price_pixels, 0);
    const std::size_t most = std::max<std::size_t>(most_groups, 1);
    // A chunk's share of the groups allowed, at least one, so that each pass
    // leaves fewer groups than it found.
    const auto share = [&](std::size_t chunk, std::size_t total) {
        return most == kAnyCount ? kAnyCount : std::max<std::size_t>(1, most * chunk / total);
    };
    groups_.clear();
    owner_.clear();
    if (rects.size() <= kMostJoined) {
        JoinChunk(rects, price, share(rects.size(), rects.size()), groups_, owner_);
    } else {
        // Chunks of neighbours: the rectangles in the order of their left
        // edges, so that what overlaps (a kitten's box over several frames)
        // mostly falls in one chunk and is joined there.
        order_.resize(rects.size());
        for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = i;
        std::sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
            return rects[a].left != rects[b].left ? rects[a].left < rects[b].left : a < b;
        });
        sorted_.clear();
        for (const std::size_t i : order_) sorted_.push_back(rects[i]);
        for (std::size_t start = 0; start < sorted_.size(); start += kMostJoined) {
            const std::span<const Rect> chunk(sorted_.data() + start, std::min(kMostJoined, sorted_.size() - start));
            JoinChunk(chunk, price, share(chunk.size(), rects.size()), groups_, again_owner_);
        }
        owner_.resize(rects.size());
        for (std::size_t k = 0; k < order_.size(); ++k) owner_[order_[k]] = again_owner_[k];
        again_owner_.clear();
    }
    while (groups_.size() > most) {
        again_.clear();
        again_owner_.clear();
        const std::size_t total = groups_.size();
        for (std::size_t start = 0; start < total; start += kMostJoined) {
            const std::span<const Rect> chunk(groups_.data() + start, std::min(kMostJoined, total - start));
            JoinChunk(chunk, price, share(chunk.size(), total), again_, again_owner_);
        }
        for (std::size_t& owner : owner_)
            if (owner != kNoGroup) owner = again_owner_[owner];
        groups_.swap(again_);
    }
    return groups_;
}

void PushGrouping::JoinChunk(std::span<const Rect> chunk, std::int64_t price, std::size_t most, std::vector<Rect>& out,
                             std::vector<std::size_t>& owners) {
    const std::size_t count = chunk.size();
    std::array<bool, kMostJoined> alive{};
    std::size_t alive_count = 0;
    for (std::size_t i = 0; i < count; ++i) {
        bounds_[i] = chunk[i];
        member_of_[i] = i;
        alive[i] = !chunk[i].empty();
        alive_count += alive[i] ? 1 : 0;
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

    // Each row's best join: the first partner with the most saving (which
    // may be below 0). The best pair is then the first row's with the most,
    // as a scan of every pair would find it, at a look per row instead of
    // per pair.
    constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::min();
    const auto best_in_row = [&](std::size_t i) {
        row_saving_[i] = kNone;
        row_partner_[i] = kNoGroup;
        for (std::size_t j = i + 1; j < count; ++j)
            if (alive[j] && savings_[i * kMostJoined + j] > row_saving_[i]) {
                row_saving_[i] = savings_[i * kMostJoined + j];
                row_partner_[i] = j;
            }
    };
    for (std::size_t i = 0; i < count; ++i) best_in_row(i);

    for (;;) {
        std::int64_t best = kNone;
        std::size_t bi = kNoGroup;
        for (std::size_t i = 0; i < count; ++i)
            if (alive[i] && row_partner_[i] != kNoGroup && row_saving_[i] > best) {
                best = row_saving_[i];
                bi = i;
            }
        // Joined while it saves, then only while there are too many groups.
        if (bi == kNoGroup || (best <= 0 && alive_count <= most)) break;
        const std::size_t bj = row_partner_[bi];
        bounds_[bi] = Union(bounds_[bi], bounds_[bj]);
        alive[bj] = false;
        --alive_count;
        for (std::size_t m = 0; m < count; ++m)
            if (member_of_[m] == bj) member_of_[m] = bi;
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
                if (s > row_saving_[k] || (s == row_saving_[k] && bi < row_partner_[k])) {
                    row_saving_[k] = s;
                    row_partner_[k] = bi;
                }
            }
        }
    }

    // The surviving groups go out in the order of their first members.
    std::array<std::size_t, kMostJoined> place{};
    for (std::size_t i = 0; i < count; ++i)
        if (alive[i]) {
            place[i] = out.size();
            out.push_back(bounds_[i]);
        }
    for (std::size_t i = 0; i < count; ++i) owners.push_back(chunk[i].empty() ? kNoGroup : place[member_of_[i]]);
}

std::int64_t PushCost(std::span<const Rect> groups, std::int64_t push_price_pixels) {
    std::int64_t cost = 0;
    const std::int64_t price = std::max<std::int64_t>(push_price_pixels, 0);
    for (const Rect& g : groups) cost = SaturatingAdd(SaturatingAdd(cost, price), g.area());
    return cost;
}

}  // namespace nyamo
