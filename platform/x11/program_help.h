// What the program says about itself: the --help text and the manual page,
// both written from the hack's option table and the settings table, so that
// neither can offer an option the program does not take or a range it does
// not keep. Neither needs a display.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace nyamo::x11 {

// The program's commands besides the hack options.
struct ProgramCommand {
    std::string_view usage;
    std::string_view help;
};

inline constexpr std::string_view kAddToXscreensaver = "--add-to-xscreensaver";

inline constexpr std::array<ProgramCommand, 7> kProgramCommands{{
    {"/s", "the screen saver, until the pointer moves or a key or button is pressed"},
    {"/p ID", "the preview inside the X window ID (decimal), until that window goes"},
    {"/c", "the settings dialog (also with no argument)"},
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

}  // namespace nyamo::x11
