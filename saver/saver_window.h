#pragma once

#include <string_view>

#include "core/app.h"

namespace nyamo {

// The saver window's caption; a second start finds a running saver by it.
inline constexpr std::string_view kSaverCaption = "Amberpaw";

// Build the full-screen saver: window, focus sink, buffers, invisible
// pointer, flock and first frame (InitCats); then show the window, once,
// topmost and with the keyboard, and only then read the caret and the
// pointer that the first tick compares with. ScrW and ScrH hold the screen
// size in pixels.
void StartSaver(App& app);

}  // namespace nyamo
