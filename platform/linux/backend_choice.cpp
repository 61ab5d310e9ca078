#include "platform/linux/backend_choice.h"

#include "platform/linux/daemonize.h"

namespace nyamo::linux_program {

namespace {

bool IsSwitch(const std::vector<std::string>& args, std::string_view lower, std::string_view upper) {
    return !args.empty() && (args[0] == lower || args[0] == upper);
}

}  // namespace

BackendChoice ChooseBackend(const std::vector<std::string>& args, const char* wayland_display) {
    BackendChoice choice;
    std::string named;
    for (const std::string& arg : args) {
        if (arg.rfind(kBackendSwitch, 0) == 0) {
            named = arg.substr(kBackendSwitch.size());
            if (named != "wayland" && named != "x11") {
                choice.error = "--backend takes wayland or x11, not \"" + named + "\"";
                return choice;
            }
        } else if (arg == kWaylandBackground) {
            choice.background = true;
        } else if (arg == kDaemonize) {
            choice.daemonize = true;
        } else {
            choice.args.push_back(arg);
        }
    }
    if (choice.background) {
        if (named == "x11") choice.error = "--wayland-background runs on Wayland only (on X11, use the hack's --root)";
        else if (!choice.args.empty()) choice.error = "--wayland-background takes no other command";
        else if (choice.daemonize) choice.error = "--daemonize goes with /s only";
        choice.backend = Backend::Wayland;
        return choice;
    }
    const bool saver = IsSwitch(choice.args, "/s", "/S");
    if (choice.daemonize && !saver) {
        choice.error = "--daemonize goes with /s only";
        return choice;
    }
    if (named == "wayland") {
        choice.backend = Backend::Wayland;
        if (IsSwitch(choice.args, "/p", "/P")) choice.error = "the preview (/p) runs on X11 only";
        // The dialog is an X client (FLTK through XWayland) whatever was named.
        else if (!saver) choice.backend = Backend::X11;
        return choice;
    }
    if (named == "x11") return choice;
    if (saver && wayland_display != nullptr && wayland_display[0] != '\0') choice.backend = Backend::Wayland;
    return choice;
}

std::string JoinArguments(const std::vector<std::string>& args) {
    std::string line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0) line += ' ';
        line += args[i];
    }
    return line;
}

}  // namespace nyamo::linux_program
