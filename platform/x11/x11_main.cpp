// The entry point of the Linux program: the xscreensaver hack when asked
// for, otherwise Main with the X11 backend, then the loop of the mode that
// Main started.
#include <FL/Fl.H>

#include <malloc.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/main.h"
#include "platform/x11/program_help.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_hack.h"
#include "platform/x11/x11_loop.h"
#include "platform/x11/x11_platform.h"
#include "platform/x11/xscreensaver_add.h"

namespace {

// The command line as Windows hands it over: the arguments after the
// program's path, separated by one blank.
std::string JoinArguments(const std::vector<std::string>& args) {
    std::string line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0) line += ' ';
        line += args[i];
    }
    return line;
}

int RunProgram(const std::vector<std::string>& args) {
    using namespace nyamo;
    using namespace nyamo::x11;
    const DisplayConnection connection(XOpenDisplay(nullptr));
    Display* const display = connection.get();
    if (display == nullptr) {
        std::fprintf(stderr,
                     "nyamo: cannot open the X display%s%s: it needs a running X server (set DISPLAY).\n"
                     "Without a display, nyamo-render renders the saver into pictures; it is built from\n"
                     "Nyamo's source (tools/render) and is not part of the Debian package.\n",
                     std::getenv("DISPLAY") != nullptr ? " " : "",
                     std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "");
        return 1;
    }
    InstallQuietErrorHandler();
    X11Platform platform(display, JoinArguments(args));
    App app(platform);
    platform.set_dialog_events(DialogEvents{
        [&app](std::int16_t index) { Deliver([&] { But_Click(app, index); }); },
        [&app](std::int16_t index) { Deliver([&] { HScroll1_Change(app, index); }); },
    });

    MainOutcome outcome = MainOutcome::Ignored;
    Deliver([&] { outcome = Main(app); });
    // Start-up decodes pictures and frees them again; glibc keeps such freed
    // memory in the heap unless asked, and the saver then lives for hours.
    malloc_trim(0);
    switch (outcome) {
        case MainOutcome::AnotherInstance:
        case MainOutcome::Ignored:
            return 0;
        case MainOutcome::SettingsShown:
            // FLTK runs the dialog's events on its own connection.
            while (platform.DialogLoaded()) Fl::wait();
            Fl::flush();
            return 0;
        case MainOutcome::SaverStarted:
        case MainOutcome::PreviewStarted:
            // Until no window of the program is left.
            RunLoop(
                display, platform.timer(), [&] { return platform.AnyWindowLoaded(); },
                [&](const XEvent& event) {
                    const SaverInput input = platform.Translate(event);
                    if (input == SaverInput::Click || input == SaverInput::Lost) Deliver([&] { Form_Click(app); });
                    if (input == SaverInput::Key) Deliver([&] { picfocus_KeyDown(app, 0, 0); });
                },
                [&] { Deliver([&] { Timer1_Timer(app); }); });
            return 0;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    // The commands that need no display, each alone on the command line.
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(nyamo::x11::HelpText().c_str(), stdout);
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::puts(nyamo::x11::VersionText().c_str());
        return 0;
    }
    if (args.size() == 1 && args[0] == nyamo::x11::kAddToXscreensaver) {
        std::error_code error;
        // The path the program runs from, through /usr/bin's link to it.
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error) {
            std::fprintf(stderr, "nyamo: cannot tell where the program is (/proc/self/exe): %s\n",
                         error.message().c_str());
            return 1;
        }
        const char* home = std::getenv("HOME");
        return nyamo::x11::AddToXscreensaver(home != nullptr ? home : "", self, nyamo::x11::kAppDefaultsFiles,
                                             std::cout, std::cerr);
    }
    const auto hack = nyamo::x11::ParseHackRequest(args, std::getenv("XSCREENSAVER_WINDOW"));
    if (const auto* error = std::get_if<nyamo::x11::HackUsageError>(&hack)) {
        std::fprintf(stderr, "nyamo: %s\n%s\n", error->message.c_str(), nyamo::x11::HackUsage().c_str());
        return 2;
    }
    if (const auto* request = std::get_if<nyamo::x11::HackRequest>(&hack)) return nyamo::x11::RunHack(*request);
    return RunProgram(args);
}
