// The command line of Nyamo as an xscreensaver hack, read without a display:
// which window to draw into and the settings, from the hack's options alone.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace nyamo::linux_program {

struct HackRequest {
    bool root = false;
    bool own_window = false;  // --window: a window of its own
    unsigned long window = 0;  // an X window id, when neither
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

}  // namespace nyamo::linux_program
