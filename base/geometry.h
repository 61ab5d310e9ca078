// Points and rectangles in pixels, as the core, the seam and every backend
// use them. A rectangle holds its left and top edges and the column and row
// just past its right and bottom edges; one with no pixels is empty, and
// every empty rectangle means the same: nothing.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace nyamo {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool empty() const { return right <= left || bottom <= top; }
    // In 64 bits: the edges of a rectangle may lie far apart.
    std::int64_t width() const { return empty() ? 0 : std::int64_t{right} - left; }
    std::int64_t height() const { return empty() ? 0 : std::int64_t{bottom} - top; }
    // Edges at the ends of the 32-bit range hold up to (2^32 - 1)^2 pixels,
    // more than 64 signed bits count: such an area is the most they count.
    std::int64_t area() const {
        const std::int64_t w = width(), h = height();
        constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
        return h != 0 && w > kMost / h ? kMost : w * h;
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// Whether the two share at least one pixel (rectangles that only touch do not).
inline bool Overlap(const Rect& a, const Rect& b) {
    return !a.empty() && !b.empty() && a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The smallest rectangle holding both; an empty one adds nothing to it.
inline Rect Union(const Rect& a, const Rect& b) {
    if (a.empty()) return b.empty() ? Rect{} : b;
    if (b.empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// The pixels the two share; the empty Rect{} when they share none.
inline Rect Intersect(const Rect& a, const Rect& b) {
    const Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
    return r.empty() ? Rect{} : r;
}

// The part of r on a width x height surface whose top-left pixel is (0, 0).
inline Rect Clip(const Rect& r, std::int32_t width, std::int32_t height) {
    return Intersect(r, Rect{0, 0, width, height});
}

}  // namespace nyamo
