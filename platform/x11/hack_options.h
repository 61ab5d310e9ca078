// The command-line options of Nyamo as an xscreensaver hack: the ones every
// xscreensaver hack accepts and Nyamo's own settings. The parser and the
// xscreensaver config writer both read this table, so the config never
// offers an option the hack would refuse. Each is accepted with one dash or
// two ("-root" as written in old configs, "--root" as the daemon passes it).
#pragma once

#include <array>
#include <string_view>

namespace nyamo::x11 {

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
};

inline constexpr std::array<HackOption, 15> kHackOptions{{
    {"--root", false, HackOptionKind::Root},
    {"--window", false, HackOptionKind::Window},
    {"--window-id", true, HackOptionKind::WindowId},
    {"--display", true, HackOptionKind::Display},
    {"--install", false, HackOptionKind::Accepted},
    {"--noinstall", false, HackOptionKind::Accepted},
    {"--visual", true, HackOptionKind::Accepted},
    {"--mono", false, HackOptionKind::Accepted},
    {"--pair", false, HackOptionKind::Accepted},
    {"--fps", false, HackOptionKind::Fps},
    {"--no-fps", false, HackOptionKind::NoFps},
    {"--count", true, HackOptionKind::Count},
    {"--speed", true, HackOptionKind::Speed},
    {"--desktop", false, HackOptionKind::Desktop},
    {"--blank", false, HackOptionKind::Blank},
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

}  // namespace nyamo::x11
