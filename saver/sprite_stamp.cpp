#include "saver/sprite_stamp.h"

#include <limits>

namespace nyamo {

SheetCover MeasureSheet(PixelView sheet, std::int32_t cell_width, std::int32_t cell_height) {
    SheetCover cover{cell_width, cell_height, {}};
    if (cell_width <= 0 || cell_height <= 0 || sheet.height / 2 < cell_height) return cover;
    const auto at = [&](std::int32_t x, std::int32_t y) {
        return sheet.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(sheet.stride) +
                            static_cast<std::size_t>(x)];
    };
    for (std::int32_t left = 0; sheet.width - left >= cell_width; left += cell_width) {
        Rect box;
        for (std::int32_t y = 0; y < cell_height; ++y)
            for (std::int32_t x = 0; x < cell_width; ++x) {
                const std::uint32_t colour = at(left + x, y);
                const std::uint32_t mask = at(left + x, cell_height + y);
                if ((mask & 0x00FFFFFFu) != 0x00FFFFFFu || colour != mask) box = Union(box, Rect{x, y, x + 1, y + 1});
            }
        cover.frames.push_back(box);
    }
    return cover;
}

Rect CoverBox(const SheetCovers& cover, const DrawRecord& draw) {
    if (draw.sheet >= 0 && static_cast<std::size_t>(draw.sheet) < cover.size()) {
        const SheetCover& sheet = cover[static_cast<std::size_t>(draw.sheet)];
        if (sheet.cell_width == draw.width && sheet.cell_height == draw.height && draw.frame >= 0 &&
            static_cast<std::size_t>(draw.frame) < sheet.frames.size())
            return sheet.frames[static_cast<std::size_t>(draw.frame)];
    }
    return Rect{0, 0, draw.width, draw.height};
}

void StampCat(App& app, const DrawRecord& draw) {
    const Rect box = CoverBox(app.saver.cover, draw);
    if (box.empty()) return;
    // The box's corner on the target, in 64 bits: a cat beyond the last
    // column a surface can have is on none.
    const std::int64_t x = std::int64_t{draw.x} + box.left;
    const std::int64_t y = std::int64_t{draw.y} + box.top;
    if (x > std::numeric_limits<std::int32_t>::max() || y > std::numeric_limits<std::int32_t>::max()) return;
    const SurfaceHandle source = app.saver.Pat[static_cast<std::size_t>(draw.sheet)];
    const std::int32_t source_x = draw.width * draw.frame + box.left;
    const auto width = static_cast<std::int32_t>(box.width());
    const auto height = static_cast<std::int32_t>(box.height());
    SaverFrames& p = app.platform.frames;
    p.BitBlt(app.saver.scr_work, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), width, height, source,
             source_x, draw.height + box.top, RasterOp::SrcErase);
    p.BitBlt(app.saver.scr_work, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), width, height, source,
             source_x, box.top, RasterOp::SrcInvert);
}

}  // namespace nyamo
