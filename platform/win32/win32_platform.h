// The Win32 backend: user32, gdi32 and kernel32 called directly, wide (W)
// functions throughout so the Japanese captions and labels are exact on a
// Windows of any code page.
//
// Implemented: every role of the seam. Surfaces are 32-bit top-down DIB
// sections selected into memory DCs; the core's raster operations run on
// their bits through the software blitter, which the Wine suite proves bit
// for bit equal to GDI's BitBlt; the saver's work frame is its window's
// retained picture: only the changed rectangles are blitted to the window, in
// groups, and WM_PAINT repaints from it; a console display that the system reports off
// (GUID_CONSOLE_DISPLAY_STATE) makes the saver draw nothing; the preview stretches its sample with
// HALFTONE; the settings dialog is a plain window of native controls driven
// by IsDialogMessageW in the message loop.
// Not implemented: nothing of the seam is left out. Outside it: the saver
// covers the primary screen, and with SaverScreens=2 every monitor of
// EnumDisplayMonitors, each with a window and a platform of its own
// (CoverScreen), the primary one's holding the foreground and the pointer's
// watch for all. A dialog moved to a monitor of
// another DPI (WM_DPICHANGED) is laid out again by the core for that DPI.
//
// This header is private to platform/win32: it includes <windows.h>, which
// the core never sees.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/runtime_error.h"
#include "platform/common/masked_draw.h"
#include "platform/common/push_groups.h"
#include "platform/platform.h"

namespace nyamo {

struct App;

// UTF-8 <-> UTF-16; invalid sequences become U+FFFD rather than failing.
std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);
// The dots per inch the window is drawn at on its monitor; 0 when the system
// cannot say (before Windows 8.1, or a program the system scales).
int WindowDpi(HWND window);
// The calling thread's DPI awareness: unaware, system, permonitor, permonitorv2.
std::string ThreadDpiAwareness();
// Every monitor's rectangle in screen pixels, in the system's order.
std::vector<Rect> MonitorRects();

// The resource id of the icon that all three windows bear.
inline constexpr int kIconResource = 1;

// Window classes of the program.
inline constexpr wchar_t kSaverClass[] = L"NyamoSaverWindow";
inline constexpr wchar_t kSinkClass[] = L"NyamoFocusSink";
inline constexpr wchar_t kPreviewClass[] = L"NyamoPreviewWindow";
inline constexpr wchar_t kDialogClass[] = L"NyamoSettingsDialog";

struct Win32Surface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old_bitmap = nullptr;
    std::uint32_t* bits = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// A black width x height surface; an empty one (no DC) if either is 0 or
// the system refuses.
Win32Surface MakeWin32Surface(std::int32_t width, std::int32_t height);
// A new surface holding a copy of the given pixels.
Win32Surface Win32SurfaceFrom(PixelView pixels);
void FreeWin32Surface(Win32Surface& surface);

class Win32Platform : public EveryRoleBackend {
public:
    explicit Win32Platform(HINSTANCE instance);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    // The run the window procedures deliver events to; set once App exists.
    void Attach(App& app) { app_ = &app; }
    // The loop: returns the process exit status once no window remains.
    int RunMessageLoop();
    // From now on "the screen" is this monitor beside the primary one: the
    // saver covers it, shown without taking the foreground, and leaves the
    // keyboard and the pointer's watch to the primary screen's window.
    void CoverScreen(const Rect& monitor) { monitor_ = monitor; }
    // The saver ends when the monitors are no longer these (one added,
    // removed or moved), not only when the primary screen changes size.
    void WatchScreens(std::vector<Rect> monitors) { watched_screens_ = std::move(monitors); }

    // System.
    std::string CommandLine() override;
    std::string SettingsFolder() override;
    char PathSeparator() override;
    ScreenMetrics Screen() override;
    std::uint64_t ClockReading() override;
    std::int32_t ProfileGetInt(std::string_view section, std::string_view key, std::int32_t fallback,
                               const std::string& path) override;
    bool ProfileWriteStrings(std::string_view section, std::span<const ProfileEntry> entries,
                             const std::string& path) override;

    // OtherWindows.
    WindowHandle FindWindowByCaption(std::string_view caption) override;
    bool GetWindowRect(WindowHandle window, Rect& rect) override;

    // SaverFrames.
    SurfaceHandle CreateSurface(std::int32_t width, std::int32_t height) override;
    SurfaceHandle CreateSurfaceFrom(PixelView pixels) override;
    void DestroySurface(SurfaceHandle surface) override;
    void BitBlt(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width, std::int32_t height,
                SurfaceHandle src, std::int32_t sx, std::int32_t sy, RasterOp op) override;
    void CopyDesktop(SurfaceHandle dst, std::int32_t width, std::int32_t height) override;
    SurfaceHandle CreateSaverFrame(std::int32_t width, std::int32_t height) override;
    void PresentSaverFrame(SurfaceHandle src, std::span<const Rect> areas) override;
    bool SaverFrameVisible() override;
    void SetTimerInterval(std::int32_t milliseconds) override;

    // SaverWindow.
    void LoadSaverWindow(std::string_view caption, std::int32_t timer_ms) override;
    void ShowSaverWindow() override;
    void UnloadSaverWindow() override;

    // SaverDesktop (and SetControlBounds below, for the focus sink).
    void SetSaverWindowRect(float left, float top, float width, float height) override;
    void FocusSaverSink() override;
    void SetSaverPointer(PointerShape shape) override;
    void MakeSaverTopmost() override;
    void GetCaretPos(Point& point) override;
    void GetCursorPos(Point& point) override;

    // PreviewWindow.
    void LoadPreviewWindow(PixelView desktop_sample, PixelView blank_sample) override;
    bool EmbedPreviewIn(WindowHandle host) override;
    void SetPreviewWindowRect(float left, float top, float width, float height) override;
    void SetPreviewImageRect(Control image, float width, float height, float left, float top) override;
    void SetPreviewImageVisible(Control image, bool visible) override;
    void ShowPreviewWindow() override;
    void UnloadPreviewWindow() override;

    // SettingsDialog.
    void ProcessPendingEvents() override;
    void LoadSettingsDialog(std::string_view caption) override;
    float DialogOuterWidth() override;
    float DialogOuterHeight() override;
    std::int32_t DialogClientWidth() override;
    std::int32_t DialogClientHeight() override;
    void SetDialogOuterWidth(float twips) override;
    void SetDialogOuterHeight(float twips) override;
    void SetDialogLeft(float twips) override;
    void SetDialogTop(float twips) override;
    void SetControlFontSize(Control control, float points) override;
    void SetOptionSelected(Control option) override;
    bool IsOptionSelected(Control option) override;
    void SetChecked(Control box, bool checked) override;
    bool IsChecked(Control box) override;
    std::int16_t ScrollValue(Control bar) override;
    void SetScrollValue(Control bar, std::int16_t value) override;
    void SetLabelText(Control label, std::string_view text) override;
    void ShowSettingsDialog() override;
    void UnloadSettingsDialog() override;
    void ShowError(std::string_view caption, std::string_view text) override;

    void SetControlBounds(Control control, std::int32_t width, std::int32_t height, std::int32_t left,
                          std::int32_t top) override;

private:
    static LRESULT CALLBACK SaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK SinkProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT OnSaverMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    // Another window took the foreground: once the saver is shown, noted for the next tick.
    void OnSaverDeactivated();
    // A deactivation noted since the last tick, and the foreground still elsewhere.
    bool SaverLostForeground();
    // The primary screen is now of another size than the saver window.
    bool SaverNoLongerCovers(int screen_width, int screen_height) const;
    LRESULT OnSinkMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT OnPreviewMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT OnDialogMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    // Calls one event handler of the core, never two at once; a run-time
    // error ends the process with its status.
    template <typename Handler>
    void Deliver(Handler&& handler);

    void RegisterClasses();
    // The icon on the window itself as well as on its class, so that it is
    // also what other programs (the taskbar, Alt+Tab) ask the window for.
    void GiveIcon(HWND window);
    // A top-level window of the program is created / has gone.
    void WindowCreated() { ++live_windows_; }
    void WindowGone();

    Win32Surface* FindSurface(SurfaceHandle handle);     // settles a held masked draw first
    Win32Surface* LookupSurface(SurfaceHandle handle);   // as it is now
    std::optional<PixelSpan> SurfaceBits(SurfaceHandle handle);
    float TwipsPerPixelX();
    float TwipsPerPixelY();
    int PixelsFromTwipsX(float twips);
    int PixelsFromTwipsY(float twips);

    // Saver helpers.
    void PaintSaver(HWND window);
    void OnPowerSetting(const POWERBROADCAST_SETTING& setting);
    HCURSOR CurrentSaverCursor() const;

    // Preview helpers.
    void PaintPreview(HWND window);
    void WatchPreviewHost();

    // Dialog helpers.
    HWND DialogControl(Control control) const;
    void CreateDialogControls();
    void PlaceOptionButtons();
    void OnScroll(HWND bar, int code, int thumb);
    void OnDpiChanged(int dpi_x, int dpi_y, const RECT* suggested);
    std::wstring JapaneseFace();
    HFONT MakeFrameCaptionFont();
    void ReportDialogLayout();  // win32_dialog_report.cpp

    HINSTANCE instance_;
    HICON icon_ = nullptr;
    HICON small_icon_ = nullptr;
    App* app_ = nullptr;
    bool in_handler_ = false;
    int live_windows_ = 0;

    std::map<SurfaceHandle, Win32Surface> surfaces_;
    SurfaceHandle next_surface_ = 1;
    MaskedDrawJoin masked_draw_;

    // The saver window.
    HWND saver_ = nullptr;
    HWND sink_ = nullptr;
    HDC saver_dc_ = nullptr;  // the window's own (CS_OWNDC): it goes with the window
    SurfaceHandle saver_frame_ = 0;  // the work frame, which WM_PAINT repaints from
    PushGrouping push_grouping_;
    HPOWERNOTIFY display_notify_ = nullptr;
    bool display_off_ = false;
    HCURSOR invisible_cursor_ = nullptr;
    PointerShape pointer_ = PointerShape::Default;
    bool sink_wanted_ = false;  // FocusSaverSink asked; the show gives the sink the focus
    // From the show on, a deactivation is noted, and the next tick ends the
    // saver unless the window has the foreground again (OnSaverDeactivated).
    bool saver_shown_ = false;
    bool foreground_lost_ = false;
    UINT timer_ms_ = 200;
    std::optional<Rect> monitor_;  // CoverScreen: a monitor beside the primary one
    std::vector<Rect> watched_screens_;

    // The preview window.
    HWND preview_ = nullptr;
    HWND preview_host_ = nullptr;
    UINT_PTR host_watch_ = 0;  // a thread timer: it outlives the window it watches
    std::array<Win32Surface, 2> samples_{};
    std::array<RECT, 2> sample_rects_{};
    std::array<bool, 2> sample_visible_{};

    // The settings dialog.
    HWND dialog_ = nullptr;
    std::map<Control, HWND> controls_;
    std::map<Control, HFONT> fonts_;
    HFONT default_font_ = nullptr;
    HFONT caption_font_ = nullptr;  // the frame's, fitted above its options
    std::array<std::int16_t, 2> reported_scroll_{};  // the values the labels last showed
    POINT frame_origin_{};
    // The dialog's dots per inch: its window's from its creation, then
    // those of each monitor the system moves it to; {0, 0} while the system
    // cannot say, when the screen's own hold.
    std::array<int, 2> dialog_dpi_{0, 0};
    std::wstring japanese_face_;
};

// Events reach the core one at a time: a message that arrives while a
// handler runs (a message box's loop, a message sent by the handler's own
// calls) is not turned into a second, nested handler call. A run-time error
// ends the process with its status, as it would have ended the program.
template <typename Handler>
void Win32Platform::Deliver(Handler&& handler) {
    if (app_ == nullptr || in_handler_) return;
    in_handler_ = true;
    try {
        handler(*app_);
    } catch (const RunTimeError& error) {
        ExitProcess(static_cast<UINT>(error.exit_status()));
    } catch (...) {
        // No exception may travel on through the system's window procedures;
        // the only other failure the core can meet is running out of memory.
        ExitProcess(static_cast<UINT>(ErrorCode::OutOfMemory));
    }
    in_handler_ = false;
}

}  // namespace nyamo
