#include "platform/x11/x11_hack.h"

#include <malloc.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "base/app.h"
#include "assets/embedded.h"
#include "assets/pictures.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_loop.h"
#include "saver/flock.h"
#include "saver/saver_window.h"
#include "settings/options.h"
#include "settings/settings_file.h"

namespace nyamo::x11 {

namespace {

// A whole number, all of the text; decimal, or hexadecimal after 0x as
// xscreensaver writes window ids.
std::optional<unsigned long> ReadNumber(const std::string& text) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != '\0') return std::nullopt;
    return value;
}

std::optional<Window> ReadWindowId(const std::string& text) {
    const auto value = ReadNumber(text);
    if (!value || *value == 0 || *value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<Window>(*value);
}

std::optional<int> ReadSetting(const std::string& text) {
    const auto value = ReadNumber(text);
    if (!value || *value > 1000000) return std::nullopt;
    return static_cast<int>(*value);
}

// Both "-count" and "--count", as X programs usually accept.
std::string OptionName(const std::string& arg) {
    if (arg.size() > 2 && arg[0] == '-' && arg[1] == '-') return arg.substr(1);
    return arg;
}

void LoadSheets(App& app) {
    for (int sheet = 0; sheet < 2; ++sheet) {
        const Picture picture = DecodePicture(SpriteSheetPng(sheet));
        app.saver.Pat[static_cast<std::size_t>(sheet)] = app.platform.CreateSurfaceFrom(picture.view());
    }
}

// The flock at the window's current size: surfaces, lanes, first frame.
void StartFlock(App& app, X11Platform& platform) {
    ReleaseSaverSurfaces(app);
    app.g.ScrW = platform.HackWidth();
    app.g.ScrH = platform.HackHeight();
    LoadSheets(app);
    app.saver.scr_work = platform.CreateSaverFrame(app.g.ScrW, app.g.ScrH);
    app.saver.scr_bkg = platform.CreateSurface(app.g.ScrW, app.g.ScrH);
    for (CatRec& cat : app.g.Cats) cat = CatRec{};
    app.g.RestCount.fill(0);
    InitCats(app);
}

}  // namespace

std::variant<std::monostate, HackRequest, HackUsageError> ParseHackRequest(const std::vector<std::string>& args,
                                                                           const char* xscreensaver_window) {
    bool explicit_target = false;
    for (const std::string& arg : args) {
        const std::string name = OptionName(arg);
        if (name == "-root" || name == "-window-id") explicit_target = true;
    }
    const bool from_environment = xscreensaver_window != nullptr && xscreensaver_window[0] != '\0';
    if (!explicit_target && !from_environment) return std::monostate{};

    HackRequest request;
    std::string problem;
    for (std::size_t i = 0; i < args.size() && problem.empty(); ++i) {
        const std::string name = OptionName(args[i]);
        const bool has_value = i + 1 < args.size();
        if (name == "-root") {
            request.root = true;
        } else if (name == "-window-id") {
            const auto id = has_value ? ReadWindowId(args[i + 1]) : std::nullopt;
            if (!id) problem = "-window-id needs a window id (decimal or 0x hexadecimal)";
            else request.window = *id;
            ++i;
        } else if (name == "-count" || name == "-speed") {
            const auto value = has_value ? ReadSetting(args[i + 1]) : std::nullopt;
            if (!value) problem = name + " needs a whole number";
            else if (name == "-count") request.count = *value;
            else request.speed = *value;
            ++i;
        } else if (name == "-blank") {
            request.saver_type = 2;
        } else if (name == "-desktop") {
            request.saver_type = 1;
        } else {
            problem = "unknown option " + args[i];
        }
    }
    if (!problem.empty()) {
        // Only a command line that names a target is surely meant for the
        // hack; with just the variable set, the normal program runs.
        if (!explicit_target) return std::monostate{};
        return HackUsageError{problem};
    }
    // Under xscreensaver, -root means its window, as hacks find their
    // "virtual root" through XSCREENSAVER_WINDOW.
    if (request.root && request.window == 0 && from_environment) {
        if (const auto id = ReadWindowId(xscreensaver_window)) {
            request.root = false;
            request.window = *id;
        }
    }
    if (!request.root && request.window == 0) {
        const auto id = from_environment ? ReadWindowId(xscreensaver_window) : std::nullopt;
        if (!id) return HackUsageError{"XSCREENSAVER_WINDOW does not hold a window id"};
        request.window = *id;
    }
    return request;
}

int RunHack(const HackRequest& request) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "nyamo: cannot open the X display; is DISPLAY set?\n");
        return 1;
    }
    InstallQuietErrorHandler();
    X11Platform platform(display, "");
    const Window target = request.root ? DefaultRootWindow(display) : request.window;
    if (!platform.AdoptHackWindow(target)) {
        std::fprintf(stderr, "nyamo: no window 0x%lx to draw into\n", target);
        return 1;
    }
    App app(platform);
    Deliver([&] {
        // The same settings file as every other mode, then the hack's options,
        // forced into range as the file's values are.
        LoadSettings(app);
        Grobal& g = app.g;
        if (request.count) g.CatNum = kCatNumOption.Force(*request.count);
        if (request.speed) g.SaverSpeed = kSaverSpeedOption.Force(*request.speed);
        if (request.saver_type) g.SaverType = kSaverTypeOption.Force(*request.saver_type);
        g.IsSaver = kTrue;
        g.WinLeft = 0;
        g.WinTop = 0;
        StartFlock(app, platform);
    });
    // Give the pictures decoded at start-up back, as the program's entry does.
    malloc_trim(0);
    RunLoop(
        platform,
        [&] {
            Deliver([&] {
                SpawnCats(app);
                StepCats(app);
            });
        },
        [&](SaverInput input) {
            if (input == SaverInput::TargetResized) Deliver([&] { StartFlock(app, platform); });
        });
    XCloseDisplay(display);
    return 0;
}

}  // namespace nyamo::x11
