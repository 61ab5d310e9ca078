// The one seam between Nyamo's portable core and the system it runs on.
//
// The core (app/, settings/, saver/, preview/) talks to the outside world only
// through these roles; each backend (platform/win32, platform/x11,
// platform/wayland, platform/headless) implements the roles it has in its own
// folder and names them in a Platform. No system header is included here:
// windows and surfaces cross the seam as opaque integers.
//
// Conventions of the seam:
// - Text is UTF-8. The Win32 backend converts to UTF-16 and calls the W
//   functions, so the Japanese captions survive any code page.
// - Pixels are 32-bit BGRX (blue in the low byte, the top byte unused and
//   written as 0), rows top to bottom, with an explicit stride in pixels.
// - Form geometry is in twips, control geometry in pixels, as the screen
//   reports them through ScreenMetrics.
// - Failures of the environment come back as values; the core decides.
//   Programming errors in the core end the program through RunTimeError
//   (base/runtime_error.h), which the backend catches at every entry.
//
// The backend owns the process entry and the message loop. It calls Main
// once, then delivers events to the handlers in app/main.h one at a time,
// and ends the process when no window of the program remains loaded. A
// backend may run several Apps in one process, each over a Platform of its
// own (the Wayland saver: one per output); the core keeps no state outside
// the App it is handed.
//
// A saver tick (Timer1_Timer down to PresentSaverFrame) never waits for the
// display server: no round trip (no XSync or reply-bearing X request on
// X11 but the DPMS reading at most once a second; no wl_display_roundtrip
// or other wait for the compositor on Wayland) and no heap allocation in
// the program's own code (surfaces, damage lists and buffers are made at
// start-up; libwayland-client's message closures are its own). The X11
// suite counts the replies of a running saver; tools/bench/
// wayland-tick-audit.sh counts the Wayland saver's sync requests and its
// allocations outside libwayland-client.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/geometry.h"

namespace nyamo {

// An opaque native window handle (HWND, X Window id, or a headless id); 0 is none.
using WindowHandle = std::uintptr_t;

// An off-screen drawing surface owned by the backend; 0 is none.
using SurfaceHandle = std::uint32_t;

// One key of a profile file and the value text to write to it.
struct ProfileEntry {
    std::string_view key;
    std::string_view value;
};

// The three raster operations the program draws with. The values are the
// GDI codes, so the Win32 backend passes them through unchanged.
enum class RasterOp : std::uint32_t {
    SrcCopy = 0x00CC0020,    // dst = src
    SrcErase = 0x00440328,   // dst = src AND NOT dst
    SrcInvert = 0x00660046,  // dst = src XOR dst
};

// A read-only view of BGRX pixels, used to hand decoded pictures to a backend.
struct PixelView {
    const std::uint32_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;  // in pixels
};

struct ScreenMetrics {
    float width_twips = 0;        // primary screen width in twips
    float height_twips = 0;       // primary screen height in twips
    float twips_per_pixel_x = 0;  // 15 at 96 dots per inch
    float twips_per_pixel_y = 0;
};

enum class PointerShape { Default, Invisible };

// Controls of the settings dialog and the preview that the core places and
// fills. The saver window's only placed control is its focus sink.
enum class Control {
    FocusSink,  // picfocus on the saver window
    Frame,
    Opt0,
    Opt1,
    Label1,
    Label2,
    Label3,
    Label4,
    Label5,
    HScroll0,
    HScroll1,
    But0,
    But1,
    Prev0,  // the preview's desktop sample
    Prev1,  // the preview's blank-screen sample
    AllScreens,  // the dialog's check box: every screen or the primary only
};

// --- The roles ---------------------------------------------------------
// A backend implements the roles it has and hands the core a Platform that
// names them. The system and the saver's frames every backend has; the
// rest may be missing, and Platform says once what the core then does.

// The process, its files and the clock.
class System {
public:
    virtual ~System() = default;
    // The command line without the program's own path, exactly as given.
    virtual std::string CommandLine() = 0;
    // The folder that holds the settings file, without a trailing separator
    // added; on Windows the executable's directory as the system reports it.
    virtual std::string SettingsFolder() = 0;
    // The separator placed between SettingsFolder() and the file name.
    virtual char PathSeparator() = 0;
    // Primary screen size and twips-per-pixel factors.
    virtual ScreenMetrics Screen() = 0;
    // A clock reading used to re-seed the random source; any unit, but it
    // should change from one call to the next as often as the clock allows.
    virtual std::uint64_t ClockReading() = 0;
    // The whole number that the key's value begins with, or fallback when the
    // file, section or key is absent. Never writes.
    virtual std::int32_t ProfileGetInt(std::string_view section, std::string_view key,
                                       std::int32_t fallback, const std::string& path) = 0;
    // Set these keys of one section in one update of the file, in this order
    // (keys new to the file are added in it), keeping the rest of the file.
    // True once the file holds them: a folder whose entries cannot be synced
    // to disk afterwards costs the save's durability, not the save.
    virtual bool ProfileWriteStrings(std::string_view section, std::span<const ProfileEntry> entries,
                                     const std::string& path) = 0;
};

// Top-level windows of any process, found by caption: the guard against a
// second instance, and the preview's host.
class OtherWindows {
public:
    virtual ~OtherWindows() = default;
    // Non-zero if a top-level window with exactly this caption exists; 0 if none.
    virtual WindowHandle FindWindowByCaption(std::string_view caption) = 0;
    // The window's rectangle in screen pixels; false (rect untouched) if the
    // handle names no window.
    virtual bool GetWindowRect(WindowHandle window, Rect& rect) = 0;
};

// Where the saver's frames are made and shown, and the timer that paces
// them: what a tick needs, whoever owns the window.
class SaverFrames {
public:
    virtual ~SaverFrames() = default;
    // A new off-screen surface of width x height, every pixel black; never
    // 0 (memory refused: an empty surface that draws nothing, or the process
    // ends).
    virtual SurfaceHandle CreateSurface(std::int32_t width, std::int32_t height) = 0;
    // A new surface holding a copy of the given pixels; never 0, as above.
    virtual SurfaceHandle CreateSurfaceFrom(PixelView pixels) = 0;
    // Free the surface; a handle that names none (0, or gone) is ignored.
    virtual void DestroySurface(SurfaceHandle surface) = 0;
    // Combine a width x height rectangle of src at (sx, sy) into dst at
    // (dx, dy) with the raster operation, bit by bit on every channel; the
    // rectangle is clipped to both surfaces, and a missing one draws nothing.
    virtual void BitBlt(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width,
                        std::int32_t height, SurfaceHandle src, std::int32_t sx, std::int32_t sy,
                        RasterOp op) = 0;
    // Copy width x height pixels of the desktop from its top-left corner to
    // (0, 0) of dst; pixels the desktop cannot give stay as they were.
    virtual void CopyDesktop(SurfaceHandle dst, std::int32_t width, std::int32_t height) = 0;
    // A new black surface of width x height that is the saver window's own
    // picture (the shared image, the memory DC's bitmap): presenting from it
    // copies nothing in memory, and the window repaints from it when asked.
    // Like every surface it is the core's: it keeps its pixels until the
    // core destroys it with DestroySurface, even past UnloadSaverWindow or
    // a resize, and no backend destroys it on its own.
    virtual SurfaceHandle CreateSaverFrame(std::int32_t width, std::int32_t height) = 0;
    // Put the given rectangles of src (the saver frame) on the screen at the
    // same places, in one go; the rest of the window keeps what it shows.
    virtual void PresentSaverFrame(SurfaceHandle src, std::span<const Rect> areas) = 0;
    // False while nothing of the saver window can be seen (the display is
    // powered down, or the window is wholly covered): ticks then compose and
    // present nothing.
    virtual bool SaverFrameVisible() = 0;
    // Tick (Timer1_Timer) every so many milliseconds from now on.
    virtual void SetTimerInterval(std::int32_t milliseconds) = 0;
};

// The saver window's life, where the program makes its own window.
class SaverWindow {
public:
    virtual ~SaverWindow() = default;
    // Create the borderless saver window, captioned "Amberpaw", hidden, with
    // its focus sink; its timer starts ticking at the given interval.
    virtual void LoadSaverWindow(std::string_view caption, std::int32_t timer_ms) = 0;
    // Show the window and make it the active one, the keyboard's owner: once
    // this returns, a key goes to the saver, to the focus sink when
    // FocusSaverSink asked for it.
    virtual void ShowSaverWindow() = 0;
    // Destroy the saver window, its timer and its focus sink.
    virtual void UnloadSaverWindow() = 0;
};

// The saver window as one window of a desktop that the program manages
// itself: placed and raised by the core, given the keyboard and a pointer
// shape, and watched for caret and pointer moves that end the saver.
class SaverDesktop {
public:
    virtual ~SaverDesktop() = default;
    // Move and size the window: outer position and size in twips.
    virtual void SetSaverWindowRect(float left, float top, float width, float height) = 0;
    // Give the keyboard focus to the focus sink: at once when the window is
    // shown, else as soon as it is.
    virtual void FocusSaverSink() = 0;
    // The pointer's shape while it is over the saver window.
    virtual void SetSaverPointer(PointerShape shape) = 0;
    // Keep the window above every window that is not topmost, without
    // moving, sizing, showing or activating it.
    virtual void MakeSaverTopmost() = 0;
    // Place the focus sink (Control::FocusSink), in pixels of the window.
    virtual void SetControlBounds(Control control, std::int32_t width, std::int32_t height,
                                  std::int32_t left, std::int32_t top) = 0;
    // The caret position (its owner's client coordinates); the point is
    // left unchanged when no reading exists.
    virtual void GetCaretPos(Point& point) = 0;
    // The pointer's screen position; the point is left unchanged when no
    // reading exists.
    virtual void GetCursorPos(Point& point) = 0;
};

// The preview, drawn in a window of another program (the Windows control
// panel's sample).
class PreviewWindow {
public:
    virtual ~PreviewWindow() = default;
    // Create the borderless preview window hidden, holding the two sample
    // pictures (desktop, blank), each invisible.
    virtual void LoadPreviewWindow(PixelView desktop_sample, PixelView blank_sample) = 0;
    // Make the preview window a child of host (style plus WS_CHILD, then
    // reparent). False if host names no window (any more) or refuses it.
    virtual bool EmbedPreviewIn(WindowHandle host) = 0;
    // Move and size the window: outer position and size in twips, in the
    // parent's client area.
    virtual void SetPreviewWindowRect(float left, float top, float width, float height) = 0;
    // Sample picture i stretched to the given size (pixels); fractional
    // sizes are rounded by the backend as its controls round them.
    virtual void SetPreviewImageRect(Control image, float width, float height, float left,
                                     float top) = 0;
    // Show or hide sample picture i (Control::Prev0 or Prev1).
    virtual void SetPreviewImageVisible(Control image, bool visible) = 0;
    // Show the preview window in its host.
    virtual void ShowPreviewWindow() = 0;
    // Destroy the preview window; used when it could not be placed in its host.
    virtual void UnloadPreviewWindow() = 0;
};

// The settings dialog and its controls. A control that the dialog lacks is
// ignored when set and reads as 0 or false.
class SettingsDialog {
public:
    virtual ~SettingsDialog() = default;
    // Deliver the events already pending, once, without waiting (before the
    // dialog loads, as the program always did).
    virtual void ProcessPendingEvents() = 0;
    // Create the dialog hidden, with its caption, controls and design texts.
    virtual void LoadSettingsDialog(std::string_view caption) = 0;
    // Outer width in twips.
    virtual float DialogOuterWidth() = 0;
    // Outer height in twips.
    virtual float DialogOuterHeight() = 0;
    // Client width in pixels.
    virtual std::int32_t DialogClientWidth() = 0;
    // Client height in pixels.
    virtual std::int32_t DialogClientHeight() = 0;
    // Set the outer width in twips; the client area follows.
    virtual void SetDialogOuterWidth(float twips) = 0;
    // Set the outer height in twips; the client area follows.
    virtual void SetDialogOuterHeight(float twips) = 0;
    // Move the left edge to this many twips from the screen's.
    virtual void SetDialogLeft(float twips) = 0;
    // Move the top edge to this many twips from the screen's.
    virtual void SetDialogTop(float twips) = 0;
    // The control's text in the dialog's face at this size.
    virtual void SetControlFontSize(Control control, float points) = 0;
    // Select this option button (Opt0 or Opt1) and clear the other.
    virtual void SetOptionSelected(Control option) = 0;
    // Whether this option button is the selected one.
    virtual bool IsOptionSelected(Control option) = 0;
    // Tick or clear a check box.
    virtual void SetChecked(Control box, bool checked) = 0;
    // Whether the check box is ticked.
    virtual bool IsChecked(Control box) = 0;
    // The bar's value.
    virtual std::int16_t ScrollValue(Control bar) = 0;
    // Set the bar's value; this does not call back into the core.
    virtual void SetScrollValue(Control bar, std::int16_t value) = 0;
    // Replace the label's text.
    virtual void SetLabelText(Control label, std::string_view text) = 0;
    // Show the dialog and make it the active window.
    virtual void ShowSettingsDialog() = 0;
    // Destroy the dialog and its controls.
    virtual void UnloadSettingsDialog() = 0;
    // Tell the user, in a message box of the dialog, that something failed.
    virtual void ShowError(std::string_view caption, std::string_view text) = 0;
    // Set Width, Height, Left and Top, in this order, in the units of the
    // control's container (pixels everywhere in this program).
    virtual void SetControlBounds(Control control, std::int32_t width, std::int32_t height,
                                  std::int32_t left, std::int32_t top) = 0;
};

// The roles one backend offers to one App. A missing role has one outcome,
// decided here and kept by the core:
// - no other_windows: no window guards against a second instance (the
//   backend guards itself, as Wayland's shell does with its lock), and /p
//   finds no host: Main ends at once (MainOutcome::Ignored);
// - no saver_window: the window is another client's (the xscreensaver
//   hack), which never runs Main; Main's /s ends at once (Ignored);
// - no saver_desktop: the saver is neither placed, raised nor focused, its
//   pointer is the compositor's, and caret and pointer are not watched (the
//   backend ends the saver on input itself, as the Wayland shell does);
// - no preview or no settings_dialog: Main's /p or /c ends at once (Ignored),
//   with no window, as a switch the program does not know.
struct Platform {
    System& system;
    SaverFrames& frames;
    SaverWindow* saver_window = nullptr;
    SaverDesktop* saver_desktop = nullptr;
    OtherWindows* other_windows = nullptr;
    PreviewWindow* preview = nullptr;
    SettingsDialog* settings_dialog = nullptr;
};

// A backend that implements every role; roles() is the Platform of its Apps.
class EveryRoleBackend : public System,
                         public OtherWindows,
                         public SaverFrames,
                         public SaverWindow,
                         public SaverDesktop,
                         public PreviewWindow,
                         public SettingsDialog {
public:
    Platform roles() {
        return {.system = *this,
                .frames = *this,
                .saver_window = this,
                .saver_desktop = this,
                .other_windows = this,
                .preview = this,
                .settings_dialog = this};
    }
};

}  // namespace nyamo
