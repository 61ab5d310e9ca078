// The saver's drawing bookkeeping: what each cat draws on a tick, and what
// the frame on the screen was composed in.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/state.h"
#include "platform/platform.h"

namespace nyamo {

// What a cat draws on a tick: the sheet and frame that DrawCat was given
// (-1 for both when the cat draws nothing) and the cell it covers, its
// top-left corner in the saver window and its size.
struct DrawRecord {
    std::int32_t sheet = -1;
    std::int32_t frame = -1;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Where the frames of a sprite sheet draw anything. Each frame is a
// cell_width x cell_height cell (colour row above mask row, frames side by
// side); frames[i] is the smallest box, in the cell's own coordinates, outside
// which frame i's masked draw leaves every pixel as it was (empty for a frame
// that draws nothing). A sheet not measured has no frames.
struct SheetCover {
    std::int32_t cell_width = 0;
    std::int32_t cell_height = 0;
    std::vector<Rect> frames;
};

using SheetCovers = std::array<SheetCover, 2>;

// What the frame on the screen was composed in and from: its surface, its
// size and the draws stamped into it (the last tick's, as the next compose
// sees them). A frame composed in another surface or at another size, the
// first one, and the first after ticks that composed nothing are damaged
// whole.
struct FrameState {
    bool whole_next = true;
    SurfaceHandle surface = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::array<DrawRecord, kCatSlots> drawn{};
};

}  // namespace nyamo
