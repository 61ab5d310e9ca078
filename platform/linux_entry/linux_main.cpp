// The one entry point of the Linux program: the commands that need no
// display; the xscreensaver hack; then the saver, preview or dialog on the
// display backend the command line and the session choose.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "platform/linux/backend_choice.h"
#include "platform/linux/daemonize.h"
#include "platform/linux/hack_request.h"
#include "platform/linux/program_help.h"
#include "platform/linux/xscreensaver_add.h"
#include "platform/x11/x11_hack.h"
#include "platform/x11/x11_program.h"
#ifdef NYAMO_WAYLAND
#include "platform/wayland/wayland_program.h"
#endif

int main(int argc, char** argv) {
    namespace lp = nyamo::linux_program;
    const std::vector<std::string> args(argv + 1, argv + argc);
    // The commands that need no display, each alone on the command line.
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(lp::HelpText().c_str(), stdout);
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::puts(lp::VersionText().c_str());
        return 0;
    }
    if (args.size() == 1 && args[0] == lp::kAddToXscreensaver) {
        std::error_code error;
        // The path the program runs from, through /usr/bin's link to it.
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error) {
            std::fprintf(stderr, "nyamo: cannot tell where the program is (/proc/self/exe): %s\n",
                         error.message().c_str());
            return 1;
        }
        const char* home = std::getenv("HOME");
        return lp::AddToXscreensaver(home != nullptr ? home : "", self, lp::kAppDefaultsFiles, std::cout, std::cerr);
    }
    const auto hack = lp::ParseHackRequest(args, std::getenv("XSCREENSAVER_WINDOW"));
    if (const auto* error = std::get_if<lp::HackUsageError>(&hack)) {
        std::fprintf(stderr, "nyamo: %s\n%s\n", error->message.c_str(), lp::HackUsage().c_str());
        return 2;
    }
    if (const auto* request = std::get_if<lp::HackRequest>(&hack)) return nyamo::x11::RunHack(*request);

    const lp::BackendChoice choice = lp::ChooseBackend(args, std::getenv("WAYLAND_DISPLAY"));
    if (!choice.error.empty()) {
        std::fprintf(stderr, "nyamo: %s\n", choice.error.c_str());
        return 2;
    }
    // Before any display is opened: the connection belongs to the saver alone.
    if (choice.daemonize) lp::Daemonize();
    if (choice.backend == lp::Backend::X11) return nyamo::x11::RunProgram(choice.args);
#ifdef NYAMO_WAYLAND
    return nyamo::wayland::RunSaver(choice.args, choice.background);
#else
    std::fprintf(stderr, "nyamo: this build has no Wayland backend; use --backend=x11 under XWayland\n");
    return 1;
#endif
}
