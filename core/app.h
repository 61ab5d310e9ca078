// One run of the program: the platform it runs on, the shared variables, the
// random source, the surfaces of the saver and its drawing bookkeeping.
// Backends and tests build one and hand it to Main and to the event
// handlers; every module of the core takes it.
#pragma once

#include <array>
#include <cstdint>

#include "base/random.h"
#include "base/state.h"
#include "platform/platform.h"
#include "core/frame.h"

namespace nyamo {

struct SaverSurfaces {
    SurfaceHandle scr_work = 0;  // the frame being composed
    SurfaceHandle scr_bkg = 0;   // the background of every frame
    std::array<SurfaceHandle, 2> Pat{};  // sprite sheets: 0 faces right, 1 left
    SheetCovers cover;                   // where each frame of Pat draws, measured as it is loaded
};

struct App {
    explicit App(const Platform& platform_in) : platform(platform_in) {}
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    Platform platform;  // the roles of the backend it runs on
    Grobal g;
    Random rng;
    SaverSurfaces saver;
    std::array<DrawRecord, kCatSlots> drawn{};  // this tick's, once the flock has stepped
    FrameState frame;
};

}  // namespace nyamo
