// The full-screen saver window: a borderless popup with no taskbar button,
// an off-screen child that holds the keyboard focus, a timer, an invisible
// pointer, and the work frame as the picture it repaints from.
#include <algorithm>
#include <cstring>

#include "core/app.h"
#include "app/main.h"
#include "platform/common/push_groups.h"
#include "platform/win32/win32_gdi_profile.h"
#include "platform/win32/win32_platform.h"

namespace nyamo {

namespace {

constexpr UINT_PTR kTickTimer = 1;
// Longer than the 100 ms for which Wine trusts its own pointer position.
constexpr DWORD kPointerSettleMs = 150;

// The key's shift state as the key handler receives it: 1 shift, 2 control, 4 alt.
std::int32_t ShiftState() {
    std::int32_t shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
    if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
    if (GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

bool IsKeyDown(UINT message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }

bool IsWheel(UINT message) { return message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL; }

// Alt, F10 and Alt+key would otherwise open the (absent) window menu and eat
// the keys that follow.
bool IsSystemKeyFollowUp(UINT message, WPARAM wparam) {
    return message == WM_SYSKEYUP || message == WM_SYSCHAR || message == WM_SYSDEADCHAR ||
           (message == WM_SYSCOMMAND && ((wparam & 0xFFF0) == SC_KEYMENU || (wparam & 0xFFF0) == SC_SCREENSAVE));
}

}  // namespace

void Win32Platform::LoadSaverWindow(std::string_view caption, std::int32_t timer_ms) {
    const std::wstring title = Widen(caption);
    saver_ = CreateWindowExW(WS_EX_TOOLWINDOW, kSaverClass, title.c_str(), WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0,
                             nullptr, nullptr, instance_, this);
    if (saver_ == nullptr) return;
    WindowCreated();
    saver_dc_ = GetDC(saver_);
    GiveIcon(saver_);
    sink_ = CreateWindowExW(0, kSinkClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, saver_, nullptr, instance_, this);
    timer_ms_ = static_cast<UINT>(timer_ms > 0 ? timer_ms : 1);
    SetTimer(saver_, kTickTimer, timer_ms_, nullptr);
    // The system tells the window when the console's display goes off and
    // on; there is nothing to draw for while it is off. (Windows before 8
    // and Wine may never send it: the saver then simply always draws.)
    display_off_ = false;
    display_notify_ = RegisterPowerSettingNotification(saver_, &GUID_CONSOLE_DISPLAY_STATE, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void Win32Platform::SetSaverWindowRect(float left, float top, float width, float height) {
    if (saver_ == nullptr) return;
    const int x = monitor_ ? monitor_->left : 0, y = monitor_ ? monitor_->top : 0;
    SetWindowPos(saver_, nullptr, x + PixelsFromTwipsX(left), y + PixelsFromTwipsY(top), PixelsFromTwipsX(width),
                 PixelsFromTwipsY(height), SWP_NOZORDER | SWP_NOACTIVATE);
}

// One show, in place and topmost already: the window becomes visible and
// active in the same call, takes the foreground and gives the sink the
// keyboard before the first key can come. From here on, losing the
// foreground ends the saver (OnSaverDeactivated).
void Win32Platform::ShowSaverWindow() {
    if (saver_ == nullptr) return;
    if (monitor_) {
        // Beside the primary screen: seen, not active. The primary screen's
        // window keeps the foreground and the keys, and watches the pointer.
        ShowWindow(saver_, SW_SHOWNOACTIVATE);
        UpdateWindow(saver_);
        if (pointer_ == PointerShape::Invisible) SetCursor(invisible_cursor_);
        return;
    }
    ShowWindow(saver_, SW_SHOW);
    SetForegroundWindow(saver_);
    if (sink_wanted_ && sink_ != nullptr) SetFocus(sink_);
    // The first frame is already in the retained image: put it on the screen
    // now rather than when the loop gets round to WM_PAINT.
    UpdateWindow(saver_);
    if (pointer_ == PointerShape::Invisible) SetCursor(invisible_cursor_);
    saver_shown_ = true;
    foreground_lost_ = false;
    // The pointer position the ticks compare with is read next. Wine 10
    // confines the pointer to a full-screen foreground window, and for that
    // takes the last position its server was told (0, 0 in a session whose
    // pointer has not moved) as new; for 100 ms after such a change it
    // answers GetCursorPos from that position rather than from the X server.
    // Waiting that out costs the start-up a moment, with the first frame
    // already on the screen; keys typed meanwhile wait in the queue.
    Sleep(kPointerSettleMs);
}

void Win32Platform::FocusSaverSink() {
    if (monitor_) return;
    sink_wanted_ = true;
    if (sink_ != nullptr && saver_ != nullptr && IsWindowVisible(saver_)) SetFocus(sink_);
}

HCURSOR Win32Platform::CurrentSaverCursor() const {
    return pointer_ == PointerShape::Invisible ? invisible_cursor_ : LoadCursorW(nullptr, IDC_ARROW);
}

void Win32Platform::SetSaverPointer(PointerShape shape) {
    pointer_ = shape;
    if (shape == PointerShape::Invisible && invisible_cursor_ == nullptr) {
        // 32 x 32, every pixel transparent: AND mask all ones, XOR mask all zeros.
        BYTE and_mask[32 * 32 / 8];
        BYTE xor_mask[32 * 32 / 8];
        for (BYTE& b : and_mask) b = 0xFF;
        for (BYTE& b : xor_mask) b = 0x00;
        invisible_cursor_ = CreateCursor(instance_, 0, 0, 32, 32, and_mask, xor_mask);
    }
    // The pointer changes at once, not only on its next move.
    SetCursor(CurrentSaverCursor());
}

void Win32Platform::MakeSaverTopmost() {
    if (saver_ == nullptr) return;
    SetWindowPos(saver_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

// Keys typed after another program took the foreground would go to that
// program, hidden under the topmost saver: the saver ends instead, as the
// system's screen-saver library does. Not at once, though: Wine 10 answers
// the first show with a deactivation and, at once, a new activation of the
// same window (its X focus settling). The saver ends on its next tick when
// the foreground has not come back by then; every message already queued,
// the new activation among them, is handled before a timer's.
void Win32Platform::OnSaverDeactivated() {
    if (saver_shown_) foreground_lost_ = true;
}

bool Win32Platform::SaverLostForeground() {
    if (!foreground_lost_) return false;
    foreground_lost_ = false;
    return GetForegroundWindow() != saver_;
}

bool Win32Platform::SaverNoLongerCovers(int screen_width, int screen_height) const {
    RECT r{};
    if (monitor_ || saver_ == nullptr || !::GetWindowRect(saver_, &r)) return false;
    return r.right - r.left != screen_width || r.bottom - r.top != screen_height;
}

void Win32Platform::SetTimerInterval(std::int32_t milliseconds) {
    timer_ms_ = static_cast<UINT>(milliseconds > 0 ? milliseconds : 1);
    if (saver_ != nullptr) SetTimer(saver_, kTickTimer, timer_ms_, nullptr);
}

SurfaceHandle Win32Platform::CreateSaverFrame(std::int32_t width, std::int32_t height) {
    saver_frame_ = CreateSurface(width, height);
    return saver_frame_;
}

namespace {

// Wine sends a window's picture to X as the one rectangle that bounds all
// that was drawn since its last push, so rectangles spread over the screen
// would go up as nearly the whole screen; pushing each apart costs a fixed
// price per push. The damaged rectangles are therefore pushed in groups
// (PushGrouping) priced at what, measured under Wine 8 on Xvfb with the push
// below, the saver, Xvfb and the wineserver together paid least for
// (tools/bench/measure-process.sh; 20,000 against 50,000 and more).
constexpr std::int64_t kPushPricePixels = 20000;

// The one place that pushes a window's drawing to the screen before the
// message loop's wait does. Wine 8 pushes its window surfaces whenever it
// looks for X events without waiting, which GetAsyncKeyState does without a
// wineserver call (a zero-time MsgWaitForMultipleObjectsEx costs three times
// as much). On Windows, or a Wine that stops doing this, it only reads a
// key's state: the groups then reach the screen together at the wait, as
// one bounding rectangle, and nothing is lost.
void PushWindowSurface() { GetAsyncKeyState(VK_LBUTTON); }

}  // namespace

void Win32Platform::PresentSaverFrame(SurfaceHandle src, std::span<const Rect> areas) {
    Win32Surface* s = FindSurface(src);
    if (saver_dc_ == nullptr || s == nullptr || s->dc == nullptr || areas.empty()) return;
    // The frame holds the whole picture, so a group's bounding box is shown
    // in one blit: the pixels between its members are already on the screen.
    // GDI reads the frame's bits as they are: everything that wrote them
    // (the software blitter, or a GdiFlush after GDI's own drawing) is done.
    const std::span<const Rect> groups = push_grouping_.Group(areas, kPushPricePixels);
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const Rect area = Clip(groups[g], s->width, s->height);
        {
            const GdiTimer timer(GdiWork::PresentBlit, area.area());
            ::BitBlt(saver_dc_, area.left, area.top, static_cast<int>(area.width()), static_cast<int>(area.height()),
                     s->dc, area.left, area.top, SRCCOPY);
        }
        // The last group goes with the message loop's own wait.
        if (g + 1 < groups.size()) {
            const GdiTimer timer(GdiWork::PresentPush, 0);
            PushWindowSurface();
        }
    }
}

bool Win32Platform::SaverFrameVisible() { return !display_off_; }

void Win32Platform::OnPowerSetting(const POWERBROADCAST_SETTING& setting) {
    if (setting.PowerSetting != GUID_CONSOLE_DISPLAY_STATE || setting.DataLength < sizeof(DWORD)) return;
    DWORD state = 0;
    std::memcpy(&state, setting.Data, sizeof state);
    // 0 off, 1 on, 2 dimmed: a dimmed display still shows the kittens.
    display_off_ = state == 0;
}

void Win32Platform::PaintSaver(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const RECT& r = paint.rcPaint;
    const Win32Surface* frame = FindSurface(saver_frame_);
    if (frame != nullptr && frame->dc != nullptr) {
        ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, frame->dc, r.left, r.top, SRCCOPY);
    } else {
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    EndPaint(window, &paint);
}

void Win32Platform::UnloadSaverWindow() {
    if (saver_ == nullptr) return;
    // Destroying the window deactivates it; that is no new wake-up.
    saver_shown_ = false;
    foreground_lost_ = false;
    KillTimer(saver_, kTickTimer);
    DestroyWindow(saver_);
}

void Win32Platform::GetCaretPos(Point& point) {
    const GdiTimer timer(GdiWork::WakeWatch, 0);
    POINT p;
    if (::GetCaretPos(&p)) point = {p.x, p.y};
}

void Win32Platform::GetCursorPos(Point& point) {
    // Beside the primary screen no reading: that screen's saver watches the
    // pointer on every monitor, and a move anywhere ends them all.
    if (monitor_) return;
    const GdiTimer timer(GdiWork::WakeWatch, 0);
    POINT p;
    if (::GetCursorPos(&p)) point = {p.x, p.y};
}

LRESULT Win32Platform::OnSaverMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_TIMER:
            if (wparam == kTickTimer && SaverLostForeground()) {
                Deliver([](App& app) { Form_Click(app); });
            } else if (wparam == kTickTimer) {
                const GdiTimer timer(GdiWork::Tick, 0);
                Deliver([](App& app) { Timer1_Timer(app); });
            }
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
        case WM_XBUTTONDBLCLK:
            Deliver([](App& app) { Form_Click(app); });
            // The X buttons' messages are answered TRUE, as the system expects of them.
            return message == WM_XBUTTONDOWN || message == WM_XBUTTONDBLCLK ? TRUE : 0;
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            // A wheel turn wakes the saver like a click (on X11 it is a button press).
            Deliver([](App& app) { Form_Click(app); });
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wparam) == WA_INACTIVE)
                OnSaverDeactivated();
            else
                foreground_lost_ = false;
            break;  // the default activation gives the focus back (WM_SETFOCUS)
        case WM_ACTIVATEAPP:
            if (wparam == FALSE) OnSaverDeactivated();
            break;
        case WM_NCACTIVATE:
            if (wparam == FALSE) OnSaverDeactivated();
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            // The sink holds the focus; should the window itself get a key
            // (focus lost and regained by the system), it wakes all the same.
            Deliver([wparam](App& app) { picfocus_KeyDown(app, static_cast<std::int32_t>(wparam), ShiftState()); });
            return 0;
        case WM_SETFOCUS:
            // Activation gives the focus back to the sink, the control that held it.
            if (sink_ != nullptr) SetFocus(sink_);
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lparam) == HTCLIENT) {
                SetCursor(CurrentSaverCursor());
                return TRUE;
            }
            break;
        case WM_ERASEBKGND:
            return 1;  // every pixel comes from the retained frame: no flicker
        case WM_PAINT:
            PaintSaver(window);
            return 0;
        case WM_DISPLAYCHANGE:
            // A new resolution, or a monitor plugged in or out: the window no
            // longer covers the screen it was made for, and part of the
            // session would show beside the kittens. The saver ends, as the
            // user's next touch would end it anyway.
            if (SaverNoLongerCovers(LOWORD(lparam), HIWORD(lparam)) ||
                (!watched_screens_.empty() && MonitorRects() != watched_screens_))
                Deliver([](App& app) { Form_Click(app); });
            break;
        case WM_DPICHANGED:
            // Placed on a monitor of another scale (a saver beside the
            // primary one): the window keeps that monitor's rectangle, in its
            // own pixels, rather than the rectangle the system suggests.
            return 0;
        case WM_POWERBROADCAST:
            if (wparam == PBT_POWERSETTINGCHANGE && lparam != 0)
                OnPowerSetting(*reinterpret_cast<const POWERBROADCAST_SETTING*>(lparam));
            return TRUE;
        case WM_DESTROY:
            KillTimer(window, kTickTimer);
            saver_shown_ = false;
            foreground_lost_ = false;
            sink_wanted_ = false;
            if (display_notify_ != nullptr) UnregisterPowerSettingNotification(display_notify_);
            display_notify_ = nullptr;
            saver_ = nullptr;
            sink_ = nullptr;
            saver_dc_ = nullptr;
            // The frame itself is the core's surface; it gives it back.
            saver_frame_ = 0;
            WindowGone();
            return 0;
        default:
            if (IsSystemKeyFollowUp(message, wparam)) return 0;
            break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT Win32Platform::OnSinkMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (IsKeyDown(message)) {
        Deliver([wparam](App& app) { picfocus_KeyDown(app, static_cast<std::int32_t>(wparam), ShiftState()); });
        return 0;
    }
    if (IsWheel(message)) {  // the wheel's messages go to the focus, which the sink holds
        Deliver([](App& app) { Form_Click(app); });
        return 0;
    }
    if (message == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
    if (IsSystemKeyFollowUp(message, wparam)) return 0;
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace nyamo
