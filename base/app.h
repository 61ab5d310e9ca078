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

// What the last composed frame showed of each cat: the sheet and frame that
// DrawCat was given, or -1 for both when the cat was not drawn.
struct DrawRecord {
    std::int32_t sheet = -1;
    std::int32_t frame = -1;
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
};

}  // namespace nyamo
