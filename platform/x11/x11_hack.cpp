#include "platform/x11/x11_hack.h"

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/app.h"
#include "platform/x11/frame_rate.h"
#include "platform/linux/hack_options.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_hack_platform.h"
#include "platform/x11/x11_hack_window.h"
#include "platform/x11/x11_loop.h"
#include "platform/x11/xscreensaver_prefs.h"
#include "saver/saver_life.h"
#include "saver/tick.h"
#include "settings/options.h"

namespace nyamo::x11 {

// The option table is the Linux program's, shared with --help.
using namespace nyamo::linux_program;

namespace {

// The hack in the shape of xscreensaver's own: started on a window, asked
// to draw a frame at each tick of the timer the core sets, told of a new
// size and of each event, then freed. The platform goes before the display
// connection that RunHack holds.
struct Hack {
    explicit Hack(Display* display) : platform(display), app(platform.roles()) {}
    HackPlatform platform;
    App app;
    FrameRate rate;
    bool fps = false;
    Window own_window = 0;  // --window: ours to destroy when its close box is used
};

// reshape: a fresh flock at the window's current size.
void HackReshape(Hack& hack) {
    Deliver([&] { SaverReshape(hack.app, hack.platform.Width(), hack.platform.Height()); });
}

// init: the platform on its target window and the flock as asked; nothing
// when the window does not exist.
std::unique_ptr<Hack> HackInit(Display* display, Window target, Window own_window, const HackRequest& request) {
    auto hack = std::make_unique<Hack>(display);
    if (!hack->platform.DrawInto(target)) return nullptr;
    hack->own_window = own_window;
    hack->fps = request.fps;
    // The desktop is the picture xscreensaver took before it blanked, and
    // only while the user lets it show desktop pictures; elsewhere, black.
    if (request.saver_type == 1 && own_window == 0) {
        const char* home = std::getenv("HOME");
        if (DesktopGrabbingAllowed(display, home != nullptr ? home : ""))
            hack->platform.SetDesktop(ScreenshotOf(display, target));
    }
    Grobal& g = hack->app.g;
    g.CatNum = kCatNumOption.Force(request.count);
    g.SaverSpeed = kSaverSpeedOption.Force(request.speed);
    g.SaverType = kSaverTypeOption.Force(request.saver_type);
    g.IsSaver = kTrue;
    g.WinLeft = 0;
    g.WinTop = 0;
    HackReshape(*hack);
    return hack;
}

// draw: one frame, at each tick of the timer the core set.
void HackDraw(Hack& hack) {
    Deliver([&] { FlockTick(hack.app); });
    if (hack.fps)
        if (const auto text = hack.rate.Tick(std::chrono::steady_clock::now())) hack.platform.SetCaption(*text);
}

// event: false once the window is gone.
bool HackEvent(Hack& hack, const XEvent& event) {
    switch (hack.platform.Handle(event)) {
        case HackInput::Resized: HackReshape(hack); break;
        case HackInput::CloseRequested:
            if (hack.own_window != 0) XDestroyWindow(hack.platform.display(), hack.own_window);
            break;
        case HackInput::TargetGone: return false;
        case HackInput::Nothing: break;
    }
    return hack.platform.HasTarget();
}

// free: surfaces, images and the caption's resources, while the display is open.
void HackFree(std::unique_ptr<Hack> hack) {
    Deliver([&] { SaverFree(hack->app); });
    hack.reset();
}

}  // namespace

int RunHack(const linux_program::HackRequest& request) {
    const DisplayConnection connection(XOpenDisplay(request.display ? request.display->c_str() : nullptr));
    Display* const display = connection.get();
    if (display == nullptr) {
        std::fprintf(stderr, "nyamo: cannot open the X display %s; is DISPLAY set?\n",
                     request.display ? request.display->c_str() : XDisplayName(nullptr));
        return 1;
    }
    InstallQuietErrorHandler();
    Window own_window = 0;
    Window target = request.root ? DefaultRootWindow(display) : request.window;
    if (request.own_window) target = own_window = OpenOwnWindow(display);
    std::unique_ptr<Hack> hack = HackInit(display, target, own_window, request);
    if (!hack) {
        std::fprintf(stderr, "nyamo: no window 0x%lx to draw into\n", target);
        return 1;
    }
    // Give the pictures decoded at start-up back, as the program's entry does.
    malloc_trim(0);
    bool running = true;
    RunLoop(
        display, hack->platform.timer(), [&] { return running; },
        [&](const XEvent& event) { running = HackEvent(*hack, event); }, [&] { HackDraw(*hack); });
    HackFree(std::move(hack));
    return 0;
}

}  // namespace nyamo::x11
