#pragma once

#include "app/app.h"

namespace nyamo {

// Build the full-screen saver: window, focus sink, buffers, invisible
// pointer, recorded caret and pointer, flock and first frame; then show the
// window topmost. ScrW and ScrH hold the screen size in pixels.
void StartSaver(App& app);

// Give back the saver's surfaces once its window is gone.
void ReleaseSaverSurfaces(App& app);

}  // namespace nyamo
