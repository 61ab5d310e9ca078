// Which display the Linux program draws on. One program serves both: an
// X session, and a Wayland session whose compositor offers layer-shell
// (sway, Hyprland, KDE Plasma 6, river, niri, labwc...).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nyamo::linux_program {

inline constexpr std::string_view kBackendSwitch = "--backend=";
inline constexpr std::string_view kWaylandBackground = "--wayland-background";

enum class Backend { X11, Wayland };

// What the program is to run, from its arguments and the environment.
struct BackendChoice {
    Backend backend = Backend::X11;
    // --wayland-background: kittens behind everything, input left alone.
    bool background = false;
    // --daemonize: the command returns once the saver shows (/s only).
    bool daemonize = false;
    // The arguments left for the core (the switches above taken out).
    std::vector<std::string> args;
    // Non-empty when the command line cannot be run: the reason, for stderr.
    std::string error;
};

// --backend=wayland or --backend=x11 (anywhere on the line) decides. Without
// it the saver (/s) runs on Wayland when WAYLAND_DISPLAY is set (a Wayland
// session, where the X11 saver under XWayland could neither cover the
// screen nor take the input), else on X11; the settings dialog (/c) runs
// through X (XWayland in a Wayland session) and the preview (/p) is X11
// only, since no Wayland host embeds one.
BackendChoice ChooseBackend(const std::vector<std::string>& args, const char* wayland_display);

// The command line as Windows hands it over: the arguments after the
// program's path, separated by one blank.
std::string JoinArguments(const std::vector<std::string>& args);

}  // namespace nyamo::linux_program
