// An output's picture as a compositor captures it (wlr-screencopy gives the
// panel's own buffer, as the panel is scanned, not as the output is turned;
// so does ext-image-copy-capture, which names the turn) placed the way the
// output shows it. No Wayland call: a plain transform of
// pixels, so that every wl_output transform can be tried without a compositor.
#pragma once

#include <cstdint>
#include <string>

#include "platform/common/software_blitter.h"

namespace nyamo::wayland {

// Pixels as a compositor hands them over, 32 bits each.
struct RawPicture {
    const std::uint8_t* bytes = nullptr;
    std::int32_t width = 0, height = 0, stride = 0;  // stride in bytes
    // Byte order in memory: blue first (XRGB8888 and ARGB8888, Qt's RGB32
    // and ARGB32) or red first (XBGR8888, Qt's RGBX8888).
    bool red_first = false;
    bool bottom_up = false;  // the rows come bottom first
};

// Fills dst's top-left width x height, the output as it shows, from the
// capture turned by the output's wl_output transform (0 to 7). Returns an
// empty string, or, with dst untouched, why the capture does not fit: a
// panel buffer of another size than the output's turned size.
std::string PlaceOutputPicture(const RawPicture& picture, std::int32_t transform, PixelSpan dst,
                               std::int32_t width, std::int32_t height);

}  // namespace nyamo::wayland
