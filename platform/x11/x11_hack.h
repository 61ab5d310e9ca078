// Nyamo as an xscreensaver hack: the flock drawn into a window that
// xscreensaver (or -root, or -window-id) names, at that window's size, with
// input and the end left to xscreensaver. These switches exist only here and
// change nothing of what /s, /p and /c do.
#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace nyamo::x11 {

struct HackRequest {
    bool root = false;
    Window window = 0;  // when not root
    std::optional<int> count;
    std::optional<int> speed;
    std::optional<int> saver_type;  // 1 desktop, 2 blank
};

struct HackUsageError {
    std::string message;
};

// Nothing when the arguments ask for the normal program; a request when they
// ask for the hack (-root, -window-id ID, or XSCREENSAVER_WINDOW set with only
// hack options); an error for a hack command line that cannot be used.
std::variant<std::monostate, HackRequest, HackUsageError> ParseHackRequest(const std::vector<std::string>& args,
                                                                           const char* xscreensaver_window);

// Run the hack until its window goes or the process is ended. The exit status.
int RunHack(const HackRequest& request);

}  // namespace nyamo::x11
