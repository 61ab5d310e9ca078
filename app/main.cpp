#include "app/main.h"

#include "app/command_line.h"
#include "base/numbers.h"
#include "preview/preview.h"
#include "saver/saver_window.h"
#include "settings/dialog_design.h"
#include "settings/settings_dialog.h"
#include "settings/saved_settings.h"

namespace nyamo {

namespace {

MainOutcome PreviewBranch(App& app, WindowHandle host) {
    Grobal& g = app.g;
    g.IsSaver = kFalse;
    // Without a preview, or windows of others to find the host among, there
    // is nothing to show: as for a switch the program does not know.
    if (app.platform.preview == nullptr || app.platform.other_windows == nullptr) return MainOutcome::Ignored;
    Rect rect;
    // A handle that names no window would leave a 0 x 0 preview that nothing
    // ever ends; end the program at once instead.
    if (!app.platform.other_windows->GetWindowRect(host, rect)) return MainOutcome::Ignored;
    g.WinLeft = 0;
    g.WinTop = 0;
    const ScreenMetrics screen = app.platform.system.Screen();
    g.ScrW = ToInt32(CheckedReal(double{screen.twips_per_pixel_x} * Sub32(rect.right, rect.left)));
    g.ScrH = ToInt32(CheckedReal(double{screen.twips_per_pixel_y} * Sub32(rect.bottom, rect.top)));
    return PreviewSetUp(app, host) ? MainOutcome::PreviewStarted : MainOutcome::Ignored;
}

MainOutcome SaverBranch(App& app) {
    // The xscreensaver hack draws into another client's window and never
    // comes here; a backend without a window of its own starts no saver.
    if (app.platform.saver_window == nullptr) return MainOutcome::Ignored;
    Grobal& g = app.g;
    g.IsSaver = kTrue;
    g.WinLeft = 0;
    g.WinTop = 0;
    const ScreenMetrics screen = app.platform.system.Screen();
    g.ScrW = ToInt32(CheckedDivide(screen.width_twips, screen.twips_per_pixel_x));
    g.ScrH = ToInt32(CheckedDivide(screen.height_twips, screen.twips_per_pixel_y));
    StartSaver(app);
    return MainOutcome::SaverStarted;
}

MainOutcome SettingsBranch(App& app) {
    // No dialog (the Wayland backend: the X11 one shows it through
    // XWayland): no window, as for a switch the program does not know.
    if (app.platform.settings_dialog == nullptr) return MainOutcome::Ignored;
    app.platform.settings_dialog->ProcessPendingEvents();
    app.g.IsSaver = kFalse;
    ShowSettings(app);
    return MainOutcome::SettingsShown;
}

}  // namespace

MainOutcome Main(App& app) {
    // Both lookups are always made, the saver's first. A backend that finds
    // no windows of others guards against a second instance itself.
    if (OtherWindows* others = app.platform.other_windows) {
        const WindowHandle saver = others->FindWindowByCaption(kSaverCaption);
        const WindowHandle dialog = others->FindWindowByCaption(kDialogCaption);
        if (saver != 0 || dialog != 0) return MainOutcome::AnotherInstance;
    }

    LoadSettings(app);

    const ParsedCommandLine parsed = ParseCommandLine(app.platform.system.CommandLine());
    const std::string& s = parsed.mode_switch;
    // A 32-bit handle widens by sign extension, as the system widens handles.
    if (s == "/P" || s == "/p")
        return PreviewBranch(app, static_cast<WindowHandle>(static_cast<std::intptr_t>(parsed.host_handle)));
    if (s == "/S" || s == "/s") return SaverBranch(app);
    if (s == "/C" || s == "/c" || s.empty()) return SettingsBranch(app);
    return MainOutcome::Ignored;
}

MainOutcome StartSaverOnAnotherScreen(App& app) {
    LoadSettings(app);
    return SaverBranch(app);
}

}  // namespace nyamo
