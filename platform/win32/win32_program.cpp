// The process entry, the message loop and the window classes. The program
// lives exactly as long as one of its three windows exists.
#include "core/app.h"
#include "app/main.h"
#include "platform/common/other_screens.h"
#include "platform/win32/win32_platform.h"
#include "settings/options.h"

#include <memory>
#include <vector>

namespace nyamo {

// The saver on a monitor beside the primary one: a platform and a run of its own.
struct OtherScreen {
    explicit OtherScreen(HINSTANCE instance) : platform(instance) {}
    Win32Platform platform;
    App app{platform.roles()};
};

Win32Platform::Win32Platform(HINSTANCE instance) : instance_(instance) { RegisterClasses(); }

Win32Platform::~Win32Platform() {
    for (auto& [handle, surface] : surfaces_) FreeWin32Surface(surface);
    for (Win32Surface* s : {&samples_[0], &samples_[1]}) FreeWin32Surface(*s);
    for (auto& [control, font] : fonts_) DeleteObject(font);
    if (default_font_ != nullptr) DeleteObject(default_font_);
    if (caption_font_ != nullptr) DeleteObject(caption_font_);
    if (invisible_cursor_ != nullptr) DestroyCursor(invisible_cursor_);
}

void Win32Platform::RegisterClasses() {
    const auto icon = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    const auto small_icon =
        static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    icon_ = icon;
    small_icon_ = small_icon;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = instance_;
    wc.hIcon = icon;
    wc.hIconSm = small_icon;

    // The saver paints every pixel itself and picks its pointer itself. It
    // keeps one device context for its life (CS_OWNDC) rather than asking
    // for one on every tick.
    wc.lpfnWndProc = &Win32Platform::SaverProc;
    wc.lpszClassName = kSaverClass;
    wc.style = CS_OWNDC;
    RegisterClassExW(&wc);
    wc.style = 0;

    wc.lpfnWndProc = &Win32Platform::SinkProc;
    wc.lpszClassName = kSinkClass;
    wc.hIcon = nullptr;
    wc.hIconSm = nullptr;
    RegisterClassExW(&wc);

    wc.lpfnWndProc = &Win32Platform::PreviewProc;
    wc.lpszClassName = kPreviewClass;
    wc.hIcon = icon;
    wc.hIconSm = small_icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassExW(&wc);

    wc.lpfnWndProc = &Win32Platform::DialogProc;
    wc.lpszClassName = kDialogClass;
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    RegisterClassExW(&wc);
}

void Win32Platform::GiveIcon(HWND window) {
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));
}

void Win32Platform::WindowGone() {
    if (--live_windows_ <= 0) PostQuitMessage(0);
}

int Win32Platform::RunMessageLoop() {
    if (live_windows_ <= 0) return 0;
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got < 0) return 1;
        if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == host_watch_ &&
            host_watch_ != 0) {
            WatchPreviewHost();
            continue;
        }
        // The dialog's keyboard interface (tab order, arrows between the
        // option buttons) comes from the system's dialog manager.
        if (dialog_ != nullptr && IsDialogMessageW(dialog_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The window procedures find their platform through the window's user data,
// set from the creation parameter before any other message is handled.
namespace {

Win32Platform* PlatformOf(HWND window, UINT message, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

LRESULT CALLBACK Win32Platform::SaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Win32Platform* self = PlatformOf(window, message, lparam);
    if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    return self->OnSaverMessage(window, message, wparam, lparam);
}

LRESULT CALLBACK Win32Platform::SinkProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Win32Platform* self = PlatformOf(window, message, lparam);
    if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    return self->OnSinkMessage(window, message, wparam, lparam);
}

LRESULT CALLBACK Win32Platform::PreviewProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Win32Platform* self = PlatformOf(window, message, lparam);
    if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    return self->OnPreviewMessage(window, message, wparam, lparam);
}

LRESULT CALLBACK Win32Platform::DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Win32Platform* self = PlatformOf(window, message, lparam);
    if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    return self->OnDialogMessage(window, message, wparam, lparam);
}

// One window per monitor rather than one over the whole virtual screen: each
// monitor gets a flock and a picture in its own pixels (crisp at its own DPI,
// the program being per-monitor aware), the desktop's parts no monitor shows
// cost nothing, and the core is unchanged. Each window is captioned like the
// first, which the single-instance guard finds.
std::vector<std::unique_ptr<OtherScreen>> StartOtherScreens(HINSTANCE instance, Win32Platform& primary) {
    std::vector<Rect> monitors = MonitorRects();
    const Rect primary_rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    std::vector<std::unique_ptr<OtherScreen>> others;
    for (const Rect& monitor : OtherScreens(primary_rect, monitors)) {
        auto other = std::make_unique<OtherScreen>(instance);
        other->platform.CoverScreen(monitor);
        other->platform.WatchScreens(monitors);
        StartSaverOnAnotherScreen(other->app);
        others.push_back(std::move(other));
    }
    primary.WatchScreens(std::move(monitors));
    return others;
}

}  // namespace nyamo

// The screen-saver host starts the program with /s, /p <handle> or /c; the
// core reads the switch, the platform runs whatever window it chose.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*command_line*/, int /*show*/) {
    nyamo::Win32Platform platform(instance);
    nyamo::App app(platform.roles());
    nyamo::MainOutcome outcome;
    std::vector<std::unique_ptr<nyamo::OtherScreen>> others;
    try {
        outcome = nyamo::Main(app);
        if (outcome == nyamo::MainOutcome::SaverStarted && app.g.SaverScreens == nyamo::kSaverScreensOption.max)
            others = nyamo::StartOtherScreens(instance, platform);
    } catch (const nyamo::RunTimeError& error) {
        return error.exit_status();
    }
    if (outcome == nyamo::MainOutcome::AnotherInstance || outcome == nyamo::MainOutcome::Ignored) return 0;
    // Handlers run only once Main has returned: nothing of the set-up
    // yields to them.
    platform.Attach(app);
    for (auto& other : others) other->platform.Attach(other->app);
    // One loop serves every window of the thread. The first saver window to
    // go ends it (WindowGone), and the others go with the process.
    return platform.RunMessageLoop();
}
