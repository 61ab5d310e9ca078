#include "platform/x11/x11_hack.h"

#include <malloc.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

#include "app/app.h"
#include "platform/x11/frame_rate.h"
#include "platform/linux/hack_options.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_hack_platform.h"
#include "platform/x11/x11_hack_window.h"
#include "platform/x11/x11_loop.h"
#include "platform/x11/xscreensaver_prefs.h"
#include "saver/saver_window.h"
#include "saver/tick.h"
#include "settings/options.h"

namespace nyamo::x11 {

// The option table is the Linux program's, shared with --help.
using namespace nyamo::linux_program;

namespace {

// A whole number, all of the text, in the given base. A leading zero is
// just a digit: xscreensaver's hacks read "010" as ten, not as C's octal.
std::optional<unsigned long> ReadNumber(const std::string& text, int base) {
    if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text.c_str(), &end, base);
    if (errno != 0 || end == text.c_str() || *end != '\0') return std::nullopt;
    return value;
}

// Decimal, or hexadecimal after 0x as xscreensaver writes window ids.
std::optional<Window> ReadWindowId(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const auto value = hex ? ReadNumber(text.substr(2), 16) : ReadNumber(text, 10);
    if (!value || *value == 0 || *value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<Window>(*value);
}

std::optional<int> ReadSetting(const std::string& text) {
    const auto value = ReadNumber(text, 10);
    if (!value || *value > 1000000) return std::nullopt;
    return static_cast<int>(*value);
}

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

// reshape: the flock at the window's current size: surfaces, lanes, first frame.
void HackReshape(Hack& hack) {
    Deliver([&] {
        App& app = hack.app;
        ReleaseSaverSurfaces(app);
        app.g.ScrW = hack.platform.Width();
        app.g.ScrH = hack.platform.Height();
        CreateSaverSurfaces(app);
        for (CatRec& cat : app.g.Cats) cat = CatRec{};
        app.g.RestCount.fill(0);
        InitCats(app);
    });
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
    Deliver([&] { ReleaseSaverSurfaces(hack->app); });
    hack.reset();
}

}  // namespace

std::variant<std::monostate, HackRequest, HackUsageError> ParseHackRequest(const std::vector<std::string>& args,
                                                                           const char* xscreensaver_window) {
    const bool named_hack = std::any_of(args.begin(), args.end(),
                                        [](const std::string& arg) { return FindHackOption(arg) != nullptr; });
    const bool from_environment = xscreensaver_window != nullptr && xscreensaver_window[0] != '\0';
    if (!named_hack && !from_environment) return std::monostate{};

    HackRequest request;
    request.count = kCatNumOption.fallback;
    request.speed = kSaverSpeedOption.fallback;
    request.saver_type = kSaverTypeOption.fallback;
    std::string problem;
    for (std::size_t i = 0; i < args.size() && problem.empty(); ++i) {
        const HackOption* option = FindHackOption(args[i]);
        if (option == nullptr) {
            problem = "unknown option " + args[i];
            break;
        }
        std::string value;
        if (option->takes_value) {
            if (i + 1 >= args.size()) {
                problem = std::string(option->name) + " needs a value";
                break;
            }
            value = args[++i];
        }
        switch (option->kind) {
            case HackOptionKind::Root: request.root = true; break;
            case HackOptionKind::Window: request.own_window = true; break;
            case HackOptionKind::WindowId:
                if (const auto id = ReadWindowId(value)) request.window = *id;
                else problem = "--window-id needs a window id (decimal or 0x hexadecimal), not " + value;
                break;
            case HackOptionKind::Display: request.display = value; break;
            case HackOptionKind::Fps: request.fps = true; break;
            case HackOptionKind::NoFps: request.fps = false; break;
            case HackOptionKind::Count:
            case HackOptionKind::Speed:
                if (const auto number = ReadSetting(value))
                    (option->kind == HackOptionKind::Count ? request.count : request.speed) = *number;
                else
                    problem = std::string(option->name) + " needs a whole number, not " + value;
                break;
            case HackOptionKind::Desktop: request.saver_type = 1; break;
            case HackOptionKind::Blank: request.saver_type = 2; break;
            case HackOptionKind::Accepted: break;
        }
    }
    if (!problem.empty()) {
        // Only a command line that names a hack option is surely meant for
        // the hack; with just the variable set, the normal program runs.
        if (!named_hack) return std::monostate{};
        return HackUsageError{problem};
    }
    // The target: an explicit window id first; then a window of its own;
    // then xscreensaver's window, which is what --root means under it (hacks
    // find their "virtual root" through XSCREENSAVER_WINDOW); then the real
    // root; and with no target at all a window of its own, as xscreensaver's
    // hacks do when started from a terminal.
    if (request.window != 0) {
        request.root = request.own_window = false;
    } else if (request.own_window) {
        request.root = false;
    } else if (from_environment) {
        const auto id = ReadWindowId(xscreensaver_window);
        if (!id) return HackUsageError{"XSCREENSAVER_WINDOW does not hold a window id"};
        request.root = false;
        request.window = *id;
    } else if (!request.root) {
        request.own_window = true;
    }
    return request;
}

std::string HackUsage() {
    std::string usage = "usage: nyamo";
    for (const HackOption& option : kHackOptions) {
        usage += " [";
        usage += option.name;
        const auto range = [](const SettingOption& setting) {
            return " " + std::to_string(setting.min) + "-" + std::to_string(setting.max);
        };
        if (option.kind == HackOptionKind::Count) usage += range(kCatNumOption);
        else if (option.kind == HackOptionKind::Speed) usage += range(kSaverSpeedOption);
        else if (option.kind == HackOptionKind::WindowId) usage += " ID";
        else if (option.takes_value) usage += " " + std::string(option.name.substr(2));
        usage += "]";
    }
    return usage;
}

int RunHack(const HackRequest& request) {
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
