#include "platform/x11/x11_hack_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include "platform/x11/x11_display.h"

namespace nyamo::x11 {

Window OpenOwnWindow(Display* display) {
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 640, 480, 0,
                                              BlackPixel(display, screen), BlackPixel(display, screen));
    SetWindowName(display, window, "Nyamo");
    SetWindowIcon(display, window);
    XClassHint class_hint{const_cast<char*>("nyamo"), const_cast<char*>("Nyamo")};
    XSetClassHint(display, window, &class_hint);
    Atom delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &delete_window, 1);
    XMapWindow(display, window);
    // A round trip: the server has made and mapped the window before the
    // hack asks for its attributes and selects its events.
    XSync(display, False);
    return window;
}

Pixmap ScreenshotOf(Display* display, Window window) {
    const Atom property = XInternAtom(display, "_SCREENSAVER_SCREENSHOT", True);
    if (property == None) return None;
    ErrorTrap trap(display);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, window, property, 0, 1, False, XA_PIXMAP, &type, &format, &items,
                                          &left, &data);
    Pixmap pixmap = None;
    if (status == Success && !trap.Failed() && type == XA_PIXMAP && format == 32 && items == 1 && data != nullptr)
        pixmap = static_cast<Pixmap>(*reinterpret_cast<unsigned long*>(data));
    if (data != nullptr) XFree(data);
    return pixmap;
}

}  // namespace nyamo::x11
