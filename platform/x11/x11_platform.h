// The X11 backend of the seam.
//
// Implemented, every role:
// - process services: the command line from argv, the settings folder (the
//   executable's folder when writable, else $XDG_CONFIG_HOME/nyamo), screen
//   metrics of the XRandR primary output with the DPI of Xft.dpi (96 when
//   unset), a monotonic clock;
// - the guard's window search over the whole window tree (reparenting
//   managers included) and window rectangles of other clients;
// - profile files through the portable reader and writer ("\n" line endings
//   for new files);
// - surfaces in memory, composed with the software blitter; the desktop
//   captured from the root window;
// - the saver window (override-redirect, blank pointer, keyboard and pointer
//   grabbed, MIT-SHM upload with an XPutImage fallback), its timer, the
//   pointer's position from the motion events of its grab, its end when
//   another client unmaps or destroys it or the screen it covers changes;
//   with SaverScreens=2 one more such window on each other monitor, each
//   over a platform of its own (CoverScreen), the first one holding the
//   grabs for all;
//   the preview as a child of a foreign window, its sample
//   stretched smoothly (the xscreensaver hack draws into a window of another
//   client through HackPlatform, x11_hack_platform.h);
// - the settings dialog with FLTK 1.3 (platform/x11/fltk_dialog.cpp).
// Not implemented: a text caret (X has none: GetCaretPos gives a fixed point).
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/common/software_blitter.h"
#include "platform/common/surface_table.h"
#include "platform/platform.h"
#include "platform/x11/x11_loop.h"

namespace nyamo::x11 {

class WindowImage;
class FltkDialog;

// What the event loop hands to the core, translated from one X event. Lost:
// the saver no longer hides the session (another client unmapped or
// destroyed its window, or the screen it covers changed) and ends as on a
// click, as it ends on Windows when another program takes the foreground.
enum class SaverInput { Nothing, Click, Key, Lost };

// Events of the settings dialog that reach the core.
struct DialogEvents {
    std::function<void(std::int16_t)> button_click;
    std::function<void(std::int16_t)> scroll_change;
};

class X11Platform : public EveryRoleBackend {
public:
    X11Platform(Display* display, std::string command_line);
    ~X11Platform() override;
    X11Platform(const X11Platform&) = delete;
    X11Platform& operator=(const X11Platform&) = delete;

    Display* display() const { return display_; }

    // --- For the program's loops ---------------------------------------------
    bool SaverLoaded() const { return saver_.window != 0; }
    bool PreviewLoaded() const { return preview_.window != 0; }
    bool DialogLoaded() const;
    bool AnyWindowLoaded() const { return SaverLoaded() || PreviewLoaded() || DialogLoaded(); }
    // The saver's timer, running from SetTimerInterval until the window goes.
    TickTimer& timer() { return timer_; }
    // Handle what the backend handles itself (exposure, destruction) and
    // tell the program what it must deliver to the core.
    SaverInput Translate(const XEvent& event);
    void set_dialog_events(DialogEvents events) { dialog_events_ = std::move(events); }
    const DialogEvents& dialog_events() const { return dialog_events_; }
    // The primary screen as Screen() reports it: the rectangle the saver covers.
    const Rect& screen_rect() const { return primary_; }
    // From now on "the screen" is this monitor beside the primary one: the
    // saver covers it, and leaves the grabs, the keyboard focus and the
    // pointer's watch to the platform on the primary screen.
    void CoverScreen(const Rect& monitor) {
        primary_ = monitor;
        beside_ = true;
    }
    // The saver ends when the monitors are no longer these (one added,
    // removed or moved), not only when the screen it covers changes.
    void WatchScreens(std::vector<Rect> monitors) { watched_screens_ = std::move(monitors); }

    // --- System ------------------------------------------------------------
    std::string CommandLine() override;
    std::string SettingsFolder() override;
    char PathSeparator() override;
    ScreenMetrics Screen() override;
    std::uint64_t ClockReading() override;
    std::int32_t ProfileGetInt(std::string_view section, std::string_view key, std::int32_t fallback,
                               const std::string& path) override;
    bool ProfileWriteStrings(std::string_view section, std::span<const ProfileEntry> entries,
                             const std::string& path) override;
    // --- OtherWindows ---------------------------------------------------------
    WindowHandle FindWindowByCaption(std::string_view caption) override;
    bool GetWindowRect(WindowHandle window, Rect& rect) override;
    // --- SaverFrames ----------------------------------------------------------
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
    // --- SaverWindow ----------------------------------------------------------
    void LoadSaverWindow(std::string_view caption, std::int32_t timer_ms) override;
    void ShowSaverWindow() override;
    // Final: whatever the backend, the window is destroyed only when it is
    // our own (SaverWindowState::ours).
    void UnloadSaverWindow() final;
    // --- SaverDesktop (and SetControlBounds below, for the focus sink) -------
    void SetSaverWindowRect(float left, float top, float width, float height) override;
    void FocusSaverSink() override;
    void SetSaverPointer(PointerShape shape) override;
    void MakeSaverTopmost() override;
    void GetCaretPos(Point& point) override;
    void GetCursorPos(Point& point) override;
    // --- PreviewWindow --------------------------------------------------------
    void LoadPreviewWindow(PixelView desktop_sample, PixelView blank_sample) override;
    bool EmbedPreviewIn(WindowHandle host) override;
    void SetPreviewWindowRect(float left, float top, float width, float height) override;
    void SetPreviewImageRect(Control image, float width, float height, float left, float top) override;
    void SetPreviewImageVisible(Control image, bool visible) override;
    void ShowPreviewWindow() override;
    void UnloadPreviewWindow() override;
    // --- SettingsDialog -------------------------------------------------------
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

protected:
    // The window the frames go to: the saver's own, or (for the hack) a
    // window of another client.
    struct SaverWindowState {
        Window window = 0;
        // Made by LoadSaverWindow and not destroyed by another client: ours
        // to change and to destroy. Another client's window (the hack's
        // target) only gets our pictures.
        bool ours = false;
        Window sink = 0;  // the focus sink: an input-only child outside the visible area
        bool mapped = false;
        bool sink_focus = false;
        bool grabbed = false;
        // The pointer grab holds: every motion comes as an event, and
        // pointer is where the latest one left it (from the primary
        // screen's corner, as GetCursorPos gives it).
        bool pointer_grabbed = false;
        Point pointer{};
        bool pointer_hidden = false;
        Cursor blank = 0;
        int left = 0, top = 0, width = 0, height = 0;  // pixels, in the primary screen
        Visual* visual = nullptr;
        int depth = 0;
        Colormap colormap = 0;
        // The frame the core composes: the image's own memory when its layout
        // is BGRX, else a surface converted into the image rectangle by
        // rectangle. The window repaints from the image.
        SurfaceHandle frame = 0;
        bool frame_is_image = false;
        bool obscured = false;  // VisibilityFullyObscured
        std::unique_ptr<WindowImage> image;
    };
    // A saver frame over the pixels of an image that its window no longer
    // uses: the frame is the core's until it destroys it, so the image waits.
    SurfaceHandle retired_frame_ = 0;
    std::unique_ptr<WindowImage> retired_image_;

    void EnsureSaverImage();
    // A new image for the window (an older frame keeps the old one: see
    // DropSaverImage), and its pixels when they are BGRX; none without a window.
    PixelSpan NewSaverImagePixels();
    // The window's image goes (a new size, the window gone). A frame in its
    // memory stays the core's, with the image kept as retired_image_ until
    // the core destroys the frame; only one frame waits so, and an older
    // one is destroyed here (its handle names no surface from then on).
    void DropSaverImage();
    void RepaintSaver();
    // Before the core writes into the frame: the server must have read the
    // image it shares with the frame.
    void AwaitFrameRead(SurfaceHandle target);
    // The desktop's pixels for CopyDesktop, width x height into dst: the
    // root window's under the primary screen.
    virtual void CaptureDesktop(PixelSpan dst, int width, int height);

    Display* display_;
    SurfaceTable surfaces_;
    SaverWindowState saver_;

private:
    struct PreviewImage {
        int width = 0, height = 0, left = 0, top = 0;
        bool visible = false;
    };
    struct PreviewWindowState {
        Window window = 0;
        Window host = 0;
        int width = 0, height = 0;
        PixelBuffer samples[2];
        PreviewImage images[2];
        PixelBuffer screen;
        std::unique_ptr<WindowImage> image;
    };

    float TwipsPerPixel() const { return twips_per_pixel_; }
    int TwipsToPixels(float twips) const;
    void GrabInput();
    void ReleaseInput();
    // The window stopped being viewable or went: the server has dropped the
    // grabs with it, so the pointer is asked for from here on.
    SaverInput LoseSaverWindow(bool destroyed);
    // A RandR event: Lost when the primary screen's rectangle has changed.
    SaverInput CheckScreenChange(const XEvent& event);
    void ComposePreview();

    int screen_number_;
    Window root_;
    std::string command_line_;
    Rect primary_;
    bool beside_ = false;  // CoverScreen: a monitor beside the primary one
    std::vector<Rect> watched_screens_;
    float twips_per_pixel_ = 15.0f;
    bool dpms_ = false;  // the server can power the display down
    int randr_event_base_ = -1;  // -1 without RandR
    // The display's power state, asked at most once a second.
    bool powered_down_ = false;
    std::chrono::steady_clock::time_point power_asked_{};
    PreviewWindowState preview_;
    std::unique_ptr<FltkDialog> dialog_;
    DialogEvents dialog_events_;
    TickTimer timer_;
};

}  // namespace nyamo::x11
