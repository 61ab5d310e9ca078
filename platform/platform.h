// The one seam between Nyamo's portable core and the system it runs on.
//
// The core (app/, settings/, saver/, preview/) talks to the outside world only
// through this interface; each backend (platform/win32, platform/x11,
// platform/wayland, platform/headless) implements it in its own folder. No system header is
// included here: windows and surfaces cross the seam as opaque integers.
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

class Platform {
public:
    virtual ~Platform() = default;

    // --- Process services -------------------------------------------------

    // The command line without the program's own path, exactly as given.
    virtual std::string CommandLine() = 0;
    // The folder that holds the settings file, without a trailing separator
    // added; on Windows the executable's directory as the system reports it.
    virtual std::string SettingsFolder() = 0;
    // The separator placed between SettingsFolder() and the file name.
    virtual char PathSeparator() = 0;
    // Primary screen size and twips-per-pixel factors.
    virtual ScreenMetrics Screen() = 0;
    // Deliver the events already pending, once, without waiting.
    virtual void ProcessPendingEvents() = 0;
    // A clock reading used to re-seed the random source; any unit, but it
    // should change from one call to the next as often as the clock allows.
    virtual std::uint64_t ClockReading() = 0;

    // --- Windows of other processes --------------------------------------

    // Non-zero if a top-level window with exactly this caption exists.
    virtual WindowHandle FindWindowByCaption(std::string_view caption) = 0;
    // The window's rectangle in screen pixels; false (rect untouched) if the
    // handle names no window.
    virtual bool GetWindowRect(WindowHandle window, Rect& rect) = 0;

    // --- Profile file ----------------------------------------------------

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

    // --- Surfaces ----------------------------------------------------------

    // A new off-screen surface of width x height, every pixel black.
    virtual SurfaceHandle CreateSurface(std::int32_t width, std::int32_t height) = 0;
    // A new surface holding a copy of the given pixels.
    virtual SurfaceHandle CreateSurfaceFrom(PixelView pixels) = 0;
    virtual void DestroySurface(SurfaceHandle surface) = 0;
    // Combine a width x height rectangle of src at (sx, sy) into dst at
    // (dx, dy) with the raster operation, bit by bit on every channel; the
    // rectangle is clipped to both surfaces.
    virtual void BitBlt(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width,
                        std::int32_t height, SurfaceHandle src, std::int32_t sx, std::int32_t sy,
                        RasterOp op) = 0;
    // Copy width x height pixels of the desktop from its top-left corner to
    // (0, 0) of dst; pixels the desktop cannot give stay as they were.
    virtual void CopyDesktop(SurfaceHandle dst, std::int32_t width, std::int32_t height) = 0;

    // --- The saver window (full screen) -----------------------------------

    // Create the borderless saver window, captioned "Amberpaw", hidden, with
    // its focus sink; its timer starts ticking at the given interval.
    virtual void LoadSaverWindow(std::string_view caption, std::int32_t timer_ms) = 0;
    // Outer position and size in twips.
    virtual void SetSaverWindowRect(float left, float top, float width, float height) = 0;
    // Show the window and make it the active one, the keyboard's owner: once
    // this returns, a key goes to the saver, to the focus sink when
    // FocusSaverSink asked for it.
    virtual void ShowSaverWindow() = 0;
    // Give the keyboard focus to the focus sink: at once when the window is
    // shown, else as soon as it is.
    virtual void FocusSaverSink() = 0;
    virtual void SetSaverPointer(PointerShape shape) = 0;
    // Keep the window above every window that is not topmost, without
    // moving, sizing, showing or activating it.
    virtual void MakeSaverTopmost() = 0;
    virtual void SetTimerInterval(std::int32_t milliseconds) = 0;
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
    // Destroy the saver window, its timer and its focus sink.
    virtual void UnloadSaverWindow() = 0;
    // The caret position (its owner's client coordinates) and the pointer's
    // screen position; leave the point unchanged when no reading exists.
    virtual void GetCaretPos(Point& point) = 0;
    virtual void GetCursorPos(Point& point) = 0;

    // --- The preview window ------------------------------------------------

    // Create the borderless preview window hidden, holding the two sample
    // pictures (desktop, blank), each invisible.
    virtual void LoadPreviewWindow(PixelView desktop_sample, PixelView blank_sample) = 0;
    // Make the preview window a child of host (style plus WS_CHILD, then
    // reparent). False if host names no window (any more) or refuses it.
    virtual bool EmbedPreviewIn(WindowHandle host) = 0;
    // Outer position and size in twips, in the parent's client area.
    virtual void SetPreviewWindowRect(float left, float top, float width, float height) = 0;
    // Sample picture i stretched to the given size (pixels); fractional
    // sizes are rounded by the backend as its controls round them.
    virtual void SetPreviewImageRect(Control image, float width, float height, float left,
                                     float top) = 0;
    virtual void SetPreviewImageVisible(Control image, bool visible) = 0;
    virtual void ShowPreviewWindow() = 0;
    // Destroy the preview window; used when it could not be placed in its host.
    virtual void UnloadPreviewWindow() = 0;

    // --- The settings dialog -----------------------------------------------

    // Create the dialog hidden, with its caption, controls and design texts.
    virtual void LoadSettingsDialog(std::string_view caption) = 0;
    // Outer size in twips, and client size in pixels.
    virtual float DialogOuterWidth() = 0;
    virtual float DialogOuterHeight() = 0;
    virtual std::int32_t DialogClientWidth() = 0;
    virtual std::int32_t DialogClientHeight() = 0;
    virtual void SetDialogOuterWidth(float twips) = 0;
    virtual void SetDialogOuterHeight(float twips) = 0;
    virtual void SetDialogLeft(float twips) = 0;
    virtual void SetDialogTop(float twips) = 0;
    virtual void SetControlFontSize(Control control, float points) = 0;
    virtual void SetOptionSelected(Control option) = 0;
    virtual bool IsOptionSelected(Control option) = 0;
    // Tick or clear a check box, and read it.
    virtual void SetChecked(Control box, bool checked) = 0;
    virtual bool IsChecked(Control box) = 0;
    // The bar's value; setting it does not call back into the core.
    virtual std::int16_t ScrollValue(Control bar) = 0;
    virtual void SetScrollValue(Control bar, std::int16_t value) = 0;
    virtual void SetLabelText(Control label, std::string_view text) = 0;
    virtual void ShowSettingsDialog() = 0;
    virtual void UnloadSettingsDialog() = 0;
    // Tell the user, in a message box of the dialog, that something failed.
    virtual void ShowError(std::string_view caption, std::string_view text) = 0;

    // --- Controls of any window --------------------------------------------

    // Set Width, Height, Left and Top, in this order, in the units of the
    // control's container (pixels everywhere in this program).
    virtual void SetControlBounds(Control control, std::int32_t width, std::int32_t height,
                                  std::int32_t left, std::int32_t top) = 0;
};

}  // namespace nyamo
