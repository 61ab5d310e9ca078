// The Linux program on an X display: /s, /p and /c through Main with the X11
// backend.
#pragma once

#include <string>
#include <vector>

namespace nyamo::x11 {

// Run the program on the X display that DISPLAY names, with these
// arguments (the program's path left out); the exit status.
int RunProgram(const std::vector<std::string>& args);

}  // namespace nyamo::x11
