// What surrounds the hack: a window of its own for --window, and the picture
// of the desktop that xscreensaver leaves on the window it hands over.
#pragma once

#include <X11/Xlib.h>

namespace nyamo::x11 {

// A managed top-level window "Nyamo" of 640 x 480 on the default screen,
// mapped, that asks to be told (WM_DELETE_WINDOW) rather than killed when
// the user closes it.
Window OpenOwnWindow(Display* display);

// The pixmap that xscreensaver (6.x) names in the _SCREENSAVER_SCREENSHOT
// property of the window it hands a hack: the screen as it was before
// blanking. None when the window carries no such picture (outside the
// daemon, or on a screen where the daemon took none).
Pixmap ScreenshotOf(Display* display, Window window);

}  // namespace nyamo::x11
