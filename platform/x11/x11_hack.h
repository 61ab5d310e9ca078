// Nyamo as an xscreensaver hack: the flock drawn into a window that
// xscreensaver (or --root, --window-id, or --window) names, at that window's
// size, with input and the end left to xscreensaver. The settings come from
// the command line alone, with the table's defaults for what it leaves out,
// as xscreensaver leaves out every setting that equals its config's default.
// These options exist only here and change nothing of what /s, /p and /c do.
#pragma once

#include "platform/linux/hack_request.h"

namespace nyamo::x11 {

// Run the hack until its window goes or the process is ended. The exit status.
int RunHack(const linux_program::HackRequest& request);

}  // namespace nyamo::x11
