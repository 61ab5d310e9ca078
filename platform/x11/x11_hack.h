// Nyamo as an xscreensaver hack: the flock drawn into a window that
// xscreensaver (or --root, --window-id, or --window) names, at that window's
// size, with input and the end left to xscreensaver. The settings come from
// the command line alone, with the table's defaults for what it leaves out,
// as xscreensaver leaves out every setting that equals its config's default.
// These options exist only here and change nothing of what /s, /p and /c do.
#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace nyamo::x11 {

struct HackRequest {
    bool root = false;
    bool own_window = false;  // --window: a window of its own
    Window window = 0;        // when neither
    std::optional<std::string> display;
    bool fps = false;
    int count = 0;  // as given; forced into range when the hack starts
    int speed = 0;
    int saver_type = 0;  // 1 desktop, 2 blank
};

struct HackUsageError {
    std::string message;
};

// Nothing when the arguments ask for the normal program; a request when they
// ask for the hack (any hack option, or XSCREENSAVER_WINDOW set with only
// hack options); an error for a hack command line that cannot be used.
std::variant<std::monostate, HackRequest, HackUsageError> ParseHackRequest(const std::vector<std::string>& args,
                                                                           const char* xscreensaver_window);

// The usage text printed after a refused hack command line.
std::string HackUsage();

// Run the hack until its window goes or the process is ended. The exit status.
int RunHack(const HackRequest& request);

}  // namespace nyamo::x11
