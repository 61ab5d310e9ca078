// Where the Linux program keeps its settings file, whichever display it
// draws on: the X11 and the Wayland saver read the same Nyamo_07.ini.
#pragma once

#include <string>

namespace nyamo::linux_program {

// The executable's folder when it is writable and not a system folder
// (a build tree, a portable folder), else $XDG_CONFIG_HOME/nyamo (by
// default ~/.config/nyamo).
std::string SettingsFolder();

}  // namespace nyamo::linux_program
