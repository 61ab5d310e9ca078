#pragma once

#include "core/app.h"

namespace nyamo {

// Turn what the cats draw this tick (app.drawn) into the saver's next frame:
// the damage is the box of every draw on this tick or in the frame before
// (app.frame.drawn; see VisibleBox), or the whole screen after a change of
// frame surface or size, on the first frame and on the first after ticks
// that composed nothing. The damage gets its background back, every cat
// drawn this tick is stamped in index order, the damaged rectangles are
// presented, and app.frame records what the frame was composed from. While
// the window cannot be seen nothing is composed or presented.
void ComposeFrame(App& app);

}  // namespace nyamo
