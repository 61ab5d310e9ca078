// The X11 program: Main with the X11 backend, then the loop of the mode
// that Main started (the saver, the preview or the settings dialog).
#include "platform/x11/x11_program.h"

#include <FL/Fl.H>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>

#include "app/main.h"
#include "platform/common/other_screens.h"
#include "platform/linux/backend_choice.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_loop.h"
#include "platform/x11/x11_platform.h"
#include "settings/options.h"

namespace nyamo::x11 {

using linux_program::JoinArguments;

namespace {

// The saver on a monitor beside the primary one: a platform and a run of
// its own, as the Wayland saver has one per output, on the same connection.
struct OtherScreen {
    OtherScreen(Display* display, std::string command_line) : platform(display, std::move(command_line)) {}
    X11Platform platform;
    App app{platform.roles()};
};

// One window per monitor rather than one over the whole root: each monitor
// gets a flock sized to it and the root's parts no monitor shows cost
// nothing, with the core unchanged. The primary screen's window (Main's)
// keeps the grabs, the focus and the pointer's watch for all.
std::vector<std::unique_ptr<OtherScreen>> StartOtherScreens(X11Platform& primary,
                                                            const std::vector<std::string>& args) {
    std::vector<Rect> monitors = MonitorRects(primary.display());
    std::vector<std::unique_ptr<OtherScreen>> others;
    for (const Rect& monitor : OtherScreens(primary.screen_rect(), monitors)) {
        auto other = std::make_unique<OtherScreen>(primary.display(), JoinArguments(args));
        other->platform.CoverScreen(monitor);
        other->platform.WatchScreens(monitors);
        Deliver([&] { StartSaverOnAnotherScreen(other->app); });
        others.push_back(std::move(other));
    }
    primary.WatchScreens(std::move(monitors));
    return others;
}

}  // namespace

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
    App app(platform.roles());
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
        case MainOutcome::PreviewStarted: {
            std::vector<std::unique_ptr<OtherScreen>> others;
            if (outcome == MainOutcome::SaverStarted && app.g.SaverScreens == kSaverScreensOption.max)
                others = StartOtherScreens(platform, args);
            const auto each = [&](const auto& act) {
                act(platform, app);
                for (auto& other : others) act(other->platform, other->app);
            };
            // Until the first window goes; then the others follow. The
            // screens tick together, on the primary screen's timer.
            RunLoop(
                display, platform.timer(),
                [&] {
                    bool all = platform.AnyWindowLoaded();
                    for (auto& other : others) all = all && other->platform.SaverLoaded();
                    return all;
                },
                [&](const XEvent& event) {
                    each([&](X11Platform& p, App& a) {
                        const SaverInput input = p.Translate(event);
                        if (input == SaverInput::Click || input == SaverInput::Lost) Deliver([&] { Form_Click(a); });
                        if (input == SaverInput::Key) Deliver([&] { picfocus_KeyDown(a, 0, 0); });
                    });
                },
                [&] { each([&](X11Platform&, App& a) { Deliver([&] { Timer1_Timer(a); }); }); });
            each([&](X11Platform& p, App& a) {
                if (p.SaverLoaded()) Deliver([&] { Form_Click(a); });
            });
            return 0;
        }
    }
    return 0;
}

}  // namespace nyamo::x11
