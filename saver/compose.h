#pragma once

#include <array>

#include "app/app.h"

namespace nyamo {

// Turn what the cats draw this tick (app.drawn) into the saver's next frame:
// the damage is the box of every draw on this tick or on the one before
// (given; see VisibleBox), or the whole screen after a change of frame
// surface or size, on the first frame and on the first after ticks that
// composed nothing. The damage gets its background back, every cat drawn
// this tick is stamped in index order, and the damaged rectangles are
// presented. While the window cannot be seen nothing is composed or
// presented.
void ComposeFrame(App& app, const std::array<DrawRecord, kCatSlots>& before);

}  // namespace nyamo
