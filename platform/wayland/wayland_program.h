// The Linux program on a Wayland display: the saver (/s) on every output,
// or the lock-screen background (--wayland-background).
#pragma once

#include <string>
#include <vector>

namespace nyamo::wayland {

// Run the saver (args holds "/s") or, with background, the kittens on the
// background layer of every output until SIGTERM or SIGINT. The exit
// status: 0 when it ran and ended (or another saver already runs), 1 when
// the display or the compositor cannot run it (no layer-shell, no output).
int RunSaver(const std::vector<std::string>& args, bool background);

}  // namespace nyamo::wayland
