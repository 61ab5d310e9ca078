// One run of the program: the platform it runs on, the shared variables, the
// random source and the surfaces of the saver. Backends and tests build one
// and hand it to Main and to the event handlers.
#pragma once

#include <array>
#include <cstdint>

#include "base/random.h"
#include "base/state.h"
#include "platform/platform.h"

namespace nyamo {

// What the last tick drew of each cat: the sheet and frame that DrawCat was
// given (-1 for both when the cat was not drawn) and the cell it covered,
// its top-left corner in the saver window and its size.
struct DrawRecord {
    std::int32_t sheet = -1;
    std::int32_t frame = -1;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// How the saver gets each frame to the screen. The damage path restores
// and redraws only the cells that changed; the full path recomposes the
// whole frame every tick and is kept as the reference the other is proved
// against (tests and benchmarks switch it on).
struct FrameState {
    bool full_recompose = false;
    // Set while DrawCat only records its cat, to be stamped later (the
    // damage path) or not at all (nothing can be seen).
    bool defer_stamping = false;
    // The next composed frame is whole: the first one, or after ticks that
    // composed nothing.
    bool whole_next = true;
    // The surface and size the shown frame was composed in; a change of
    // either makes the next frame whole.
    SurfaceHandle surface = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct SaverSurfaces {
    SurfaceHandle scr_work = 0;  // the frame being composed
    SurfaceHandle scr_bkg = 0;   // the background of every frame
    std::array<SurfaceHandle, 2> Pat{};  // sprite sheets: 0 faces right, 1 left
};

struct App {
    explicit App(Platform& platform_in) : platform(platform_in) {}
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    Platform& platform;
    Grobal g;
    Random rng;
    SaverSurfaces saver;
    std::array<DrawRecord, kCatSlots> drawn{};
    FrameState frame;
};

}  // namespace nyamo
