#include "platform/wayland/output_picture.h"

#include <cstddef>

namespace nyamo::wayland {

namespace {

struct Point2 {
    std::int64_t x, y;
};

// Where the pixel (x, y) of an output shown width x height lies in its panel
// buffer: the output transform undone. The compositor turns the shown
// picture by the transform onto the panel (90: a quarter counter-clockwise),
// so the panel turned back (a quarter clockwise) is what shows; the flipped
// ones mirror left to right as well.
Point2 PanelPixel(std::int32_t transform, std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height) {
    switch (transform & 7) {
        case 1: return {y, width - 1 - x};                   // 90
        case 2: return {width - 1 - x, height - 1 - y};      // 180
        case 3: return {height - 1 - y, x};                  // 270
        case 4: return {width - 1 - x, y};                   // flipped
        case 5: return {y, x};                               // flipped 90
        case 6: return {x, height - 1 - y};                  // flipped 180
        case 7: return {height - 1 - y, width - 1 - x};      // flipped 270
        default: return {x, y};
    }
}

}  // namespace

std::string PlaceOutputPicture(const RawPicture& picture, std::int32_t transform, PixelSpan dst,
                               std::int32_t width, std::int32_t height) {
    const bool turned = (transform & 1) != 0;
    const std::int32_t panel_width = turned ? height : width;
    const std::int32_t panel_height = turned ? width : height;
    if (picture.width != panel_width || picture.height != panel_height || picture.stride < picture.width * 4 ||
        width > dst.width || height > dst.height) {
        return "the compositor's picture of the output is " + std::to_string(picture.width) + "x" +
               std::to_string(picture.height) + ", not its " + std::to_string(panel_width) + "x" +
               std::to_string(panel_height);
    }
    // The panel pixel of each shown pixel is linear in (x, y): a start and a
    // step along each axis, taken from three pixels.
    const auto offset = [&](Point2 p) {
        const std::int64_t row = picture.bottom_up ? panel_height - 1 - p.y : p.y;
        return row * picture.stride + p.x * 4;
    };
    const std::int64_t origin = offset(PanelPixel(transform, 0, 0, width, height));
    const std::int64_t step_x = offset(PanelPixel(transform, 1, 0, width, height)) - origin;
    const std::int64_t step_y = offset(PanelPixel(transform, 0, 1, width, height)) - origin;
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* from = picture.bytes + origin + step_y * y;
        std::uint32_t* out = dst.pixels + static_cast<std::ptrdiff_t>(y) * dst.stride;
        for (std::int32_t x = 0; x < width; ++x, from += step_x) {
            const std::uint8_t low = from[0], mid = from[1], high = from[2];
            // The core's BGRX: blue in the low byte.
            out[x] = picture.red_first ? (static_cast<std::uint32_t>(low) << 16) | (mid << 8) | high
                                       : (static_cast<std::uint32_t>(high) << 16) | (mid << 8) | low;
        }
    }
    return "";
}

}  // namespace nyamo::wayland
