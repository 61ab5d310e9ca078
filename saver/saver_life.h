// The flock's life on one drawing target, in the shape of an xscreensaver
// hack's: init (SaverInit, then the first frame: InitCats), reshape, draw
// (FlockTick), free; InitCats and FlockTick are in tick.h. The full-screen
// saver (StartSaver, EndSaver) and the X11 hack live the same life; only
// where the window comes from and what ends it differ.
#pragma once

#include <cstdint>

#include "core/app.h"

namespace nyamo {

// init: the sprite sheets, the frame and the background at ScrW x ScrH. The
// full-screen saver hides the pointer before the first frame.
void SaverInit(App& app);

// reshape: the target has a new size: the surfaces go, and a fresh flock
// starts at width x height: init and its first frame.
void SaverReshape(App& app, std::int32_t width, std::int32_t height);

// free: give back the surfaces once the target is gone.
void SaverFree(App& app);

}  // namespace nyamo
