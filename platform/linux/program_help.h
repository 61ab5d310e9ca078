// What the program says about itself: the --help text and the manual page,
// both written from the hack's option table and the settings table, so that
// neither can offer an option the program does not take or a range it does
// not keep. Neither needs a display.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace nyamo::linux_program {

// The program's commands besides the hack options.
struct ProgramCommand {
    std::string_view usage;
    std::string_view help;
};

inline constexpr std::string_view kAddToXscreensaver = "--add-to-xscreensaver";

inline constexpr std::array<ProgramCommand, 10> kProgramCommands{{
    {"/s", "the screen saver, until the pointer moves or a key or button is pressed: on Wayland when "
           "WAYLAND_DISPLAY is set (the compositor must offer layer-shell), else on X11"},
    {"/p ID", "the preview inside the X window ID (decimal), until that window goes (X11 only)"},
    {"/c", "the settings dialog (also with no argument), an X client (XWayland in a Wayland session)"},
    {"--daemonize /s", "start the saver and return once it shows (status 0), or say in one line why it "
                       "could not start (non-zero); it then runs on by itself: for an idle daemon that waits "
                       "for its commands (swayidle -w)"},
    {"--backend=wayland|x11", "run /s on this display system whatever the session says"},
    {"--wayland-background", "kittens on the background layer of every output, input left alone, until "
                             "SIGTERM or SIGINT: for a lock screen that runs a background program "
                             "(such as swaylock-plugin)"},
    {kAddToXscreensaver, "add Nyamo to the hacks of your xscreensaver (~/.xscreensaver)"},
    {"--help", "show this help"},
    {"--version", "show the version"},
    {"--root, --count N, ...", "run as an xscreensaver hack (the options below)"},
}};

// "nyamo VERSION".
std::string VersionText();

// The --help text.
std::string HelpText();

// The manual page nyamo(6) in man(7) markup, dated DATE (YYYY-MM-DD).
std::string ManualPage(std::string_view date);

}  // namespace nyamo::linux_program
