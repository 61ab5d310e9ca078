// The X connection and the Xlib helpers every part of the X11 backend shares:
// a trap for X errors, window names, the window tree walk of the
// single-instance guard, window rectangles and the primary screen.
// Included only by files of platform/x11; the core never sees Xlib.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace nyamo::x11 {

// The connection to the server. Everything made on it (windows, GCs,
// images, fonts, and the platform object that holds them) must be given
// back while it is open, so the connection is declared before whatever
// uses it and closes last.
struct CloseDisplay {
    void operator()(Display* display) const {
        if (display != nullptr) XCloseDisplay(display);
    }
};
using DisplayConnection = std::unique_ptr<Display, CloseDisplay>;

// Xlib's default error handler ends the process on any error. Windows of
// other clients (the preview's host, the window xscreensaver gives us) can
// vanish between two requests, so the backend installs a handler that only
// counts errors; ErrorTrap checks a group of requests for one.
void InstallQuietErrorHandler();

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display);
    // Flush the requests made since construction and tell whether any failed.
    bool Failed();

private:
    Display* display_;
    unsigned long first_serial_;
};

// A window id read from a handle of the seam; 0 when it cannot be one
// (X ids are 29 bits wide, so anything beyond 32 bits names no window).
Window WindowFromHandle(WindowHandle handle);

// The window's name: _NET_WM_NAME (UTF-8) when set, else WM_NAME.
std::optional<std::string> WindowName(Display* display, Window window);
// Name the window and its icon: _NET_WM_NAME and _NET_WM_ICON_NAME in UTF-8,
// WM_NAME and WM_ICON_NAME in STRING or COMPOUND_TEXT as the ICCCM asks.
void SetWindowName(Display* display, Window window, std::string_view name);

// A window anywhere below root whose name is exactly caption, or 0. The walk
// goes through the whole tree, so a window that a manager has reparented
// into its frame is found as well.
Window FindWindowNamed(Display* display, Window root, std::string_view caption);

// The window's outer rectangle (border included) in root coordinates.
std::optional<Rect> WindowRectOnRoot(Display* display, Window window);

// The primary screen's rectangle in root coordinates: the XRandR primary
// monitor, else the primary output, else the whole X screen.
Rect PrimaryScreenRect(Display* display);
// Every monitor on the root, in the server's order: RandR 1.5's monitors,
// else Xinerama's screens, else the whole root as one.
std::vector<Rect> MonitorRects(Display* display);

// Whether the server can power its display down (the DPMS extension, and a
// display that supports it). Xvfb on Debian 12 has no DPMS.
bool DpmsAvailable(Display* display);
// True while DPMS has the display powered down (standby, suspend or off).
// Only for a server where DpmsAvailable holds.
bool DisplayPoweredDown(Display* display);

// A cursor with no visible pixel.
Cursor BlankCursor(Display* display, Window window);

// The program's icon as _NET_WM_ICON (ARGB, 32 x 32).
void SetWindowIcon(Display* display, Window window);

}  // namespace nyamo::x11
