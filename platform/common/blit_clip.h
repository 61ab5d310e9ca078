// The seam's clipping rule for a block copy: the rectangle is cut to both
// surfaces. The software blitter uses it, and so does the Win32 backend
// before GDI sees a rectangle, so GDI never reads outside the source bitmap
// (what it would put there is not defined the same way on every Windows).
#pragma once

#include <algorithm>
#include <cstdint>

namespace nyamo {

struct BlitRect {
    std::int32_t dx, dy, width, height, sx, sy;
};

// False when nothing of the rectangle lies inside both surfaces.
inline bool ClipBlit(BlitRect& r, std::int32_t dst_width, std::int32_t dst_height, std::int32_t src_width,
                     std::int32_t src_height) {
    std::int64_t x0 = r.dx, y0 = r.dy, x1 = std::int64_t{r.dx} + r.width, y1 = std::int64_t{r.dy} + r.height;
    const std::int64_t shift_x = std::int64_t{r.sx} - r.dx, shift_y = std::int64_t{r.sy} - r.dy;
    x0 = std::max({x0, std::int64_t{0}, -shift_x});
    y0 = std::max({y0, std::int64_t{0}, -shift_y});
    x1 = std::min({x1, std::int64_t{dst_width}, std::int64_t{src_width} - shift_x});
    y1 = std::min({y1, std::int64_t{dst_height}, std::int64_t{src_height} - shift_y});
    if (x0 >= x1 || y0 >= y1) return false;
    r = {static_cast<std::int32_t>(x0),           static_cast<std::int32_t>(y0),
         static_cast<std::int32_t>(x1 - x0),      static_cast<std::int32_t>(y1 - y0),
         static_cast<std::int32_t>(x0 + shift_x), static_cast<std::int32_t>(y0 + shift_y)};
    return true;
}

}  // namespace nyamo
