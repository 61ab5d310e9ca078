// An output's picture as a compositor captures it (wlr-screencopy gives the
// panel's own buffer, as the panel is scanned, not as the output is turned)
// placed the way the output shows it. No Wayland call: a plain transform of
// pixels, so that every wl_output transform can be tried without a compositor.
#pragma once

#include <cstdint>
#include <string>

#include "platform/common/software_blitter.h"

namespace nyamo::wayland {

struct CapturedPicture {
    const std::uint8_t* bytes = nullptr;
    std::int32_t width = 0, height = 0, stride = 0;  // stride in bytes
    bool y_invert = false;    // the rows come bottom first
    bool red_first = false;   // XBGR/ABGR: red in the low byte
};

// Fills dst's top-left width x height, the output as it shows, from the
// capture turned by the output's wl_output transform (0 to 7). Returns an
// empty string, or, with dst untouched, why the capture does not fit: a
// panel buffer of another size than the output's turned size.
std::string PlaceOutputPicture(const CapturedPicture& picture, std::int32_t transform, PixelSpan dst,
                               std::int32_t width, std::int32_t height);

}  // namespace nyamo::wayland
