// The command-line options of Nyamo as an xscreensaver hack: the ones every
// xscreensaver hack accepts and Nyamo's own settings. The parser and the
// xscreensaver config writer both read this table, so the config never
// offers an option the hack would refuse. Each is accepted with one dash or
// two ("-root" as written in old configs, "--root" as the daemon passes it).
#pragma once

#include <array>
#include <string_view>

namespace nyamo::linux_program {

enum class HackOptionKind {
    Root,       // draw on the root window (under xscreensaver: its window)
    Window,     // open a window of its own, as hacks do when run from a terminal
    WindowId,   // draw into the window with this id
    Display,    // the X display to connect to
    Fps,        // show the frame rate
    NoFps,
    Count,      // number of kittens
    Speed,
    Desktop,    // walk over the desktop that xscreensaver hands over
    Blank,      // walk over black
    Accepted,   // colormap, visual, mono and pair requests: the hack draws in
                // the visual and colormap of the window it is given
};

struct HackOption {
    std::string_view name;  // the two-dash spelling
    bool takes_value;
    HackOptionKind kind;
    std::string_view value;  // what the value is, for --help and the manual page
    std::string_view help;   // one line on what it does
};

inline constexpr std::array<HackOption, 15> kHackOptions{{
    {"--root", false, HackOptionKind::Root, "", "draw on the root window (under xscreensaver: the window it hands over)"},
    {"--window", false, HackOptionKind::Window, "", "open a window of its own"},
    {"--window-id", true, HackOptionKind::WindowId, "ID", "draw into the X window ID (decimal or 0x hexadecimal)"},
    {"--display", true, HackOptionKind::Display, "DISPLAY", "the X display to connect to"},
    {"--install", false, HackOptionKind::Accepted, "", "accepted and ignored: the hack uses the window's colormap"},
    {"--noinstall", false, HackOptionKind::Accepted, "", "accepted and ignored"},
    {"--visual", true, HackOptionKind::Accepted, "VISUAL", "accepted and ignored: the hack uses the window's visual"},
    {"--mono", false, HackOptionKind::Accepted, "", "accepted and ignored"},
    {"--pair", false, HackOptionKind::Accepted, "", "accepted and ignored"},
    {"--fps", false, HackOptionKind::Fps, "", "show the frame rate in the bottom-left corner"},
    {"--no-fps", false, HackOptionKind::NoFps, "", "do not show the frame rate (the default)"},
    {"--count", true, HackOptionKind::Count, "N", "the number of kittens"},
    {"--speed", true, HackOptionKind::Speed, "N", "how fast the kittens walk, from slow to fast"},
    {"--desktop", false, HackOptionKind::Desktop, "", "walk over the picture of the desktop that xscreensaver took"},
    {"--blank", false, HackOptionKind::Blank, "", "walk over black"},
}};

// The table's entry for an argument in either spelling, or nullptr.
constexpr const HackOption* FindHackOption(std::string_view arg) {
    if (arg.size() < 2 || arg[0] != '-') return nullptr;
    const std::string_view bare = arg[1] == '-' ? arg.substr(2) : arg.substr(1);
    for (const HackOption& option : kHackOptions)
        if (option.name.substr(2) == bare) return &option;
    return nullptr;
}

// The two-dash spelling of the option of this kind.
constexpr std::string_view HackOptionName(HackOptionKind kind) {
    for (const HackOption& option : kHackOptions)
        if (option.kind == kind) return option.name;
    return {};
}

}  // namespace nyamo::linux_program
