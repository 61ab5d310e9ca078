// The X11 program: Main with the X11 backend, then the loop of the mode
// that Main started (the saver, the preview or the settings dialog).
#include "platform/x11/x11_program.h"

#include <FL/Fl.H>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>

#include "app/main.h"
#include "platform/linux/backend_choice.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_loop.h"
#include "platform/x11/x11_platform.h"

namespace nyamo::x11 {

using linux_program::JoinArguments;

int RunProgram(const std::vector<std::string>& args) {
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

}  // namespace nyamo::x11
