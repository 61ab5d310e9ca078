#pragma once

#include <string_view>

#include "app/app.h"

namespace nyamo {

// The saver window's caption; a second start finds a running saver by it.
inline constexpr std::string_view kSaverCaption = "Amberpaw";

// Build the full-screen saver: window, focus sink, buffers, invisible
// pointer, flock and first frame (InitCats); then show the window, once,
// topmost and with the keyboard, and only then read the caret and the
// pointer that the first tick compares with. ScrW and ScrH hold the screen
// size in pixels.
void StartSaver(App& app);

// The sprite sheets, the frame and the background, at ScrW x ScrH: all
// the surfaces the flock draws with (the xscreensaver hack makes them again
// for each new size of its window).
void CreateSaverSurfaces(App& app);

// CaretNow and CursorNow as the desktop reads them now; left as they are
// where the saver is not a window of the program's own desktop.
void ReadCaretAndCursor(App& app);

// Give back the saver's surfaces once its window is gone.
void ReleaseSaverSurfaces(App& app);

}  // namespace nyamo
