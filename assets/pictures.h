#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/platform.h"

namespace nyamo {

// A decoded picture in the seam's pixel format (BGRX; for pictures with
// alpha, the alpha goes in the top byte).
struct Picture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;

    PixelView view() const { return {pixels.data(), width, height, width}; }
};

// Decode a PNG (or any picture stb_image reads). A damaged picture gives an
// empty Picture; the ones built into the program are checked by the tests.
Picture DecodePicture(std::span<const std::uint8_t> file);

}  // namespace nyamo
