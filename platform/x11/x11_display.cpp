#include "platform/x11/x11_display.h"

#include <X11/extensions/dpms.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <limits>

#include "assets/embedded.h"
#include "assets/pictures.h"

namespace nyamo::x11 {

namespace {

// Xlib calls its error handler as a plain function, so the serial of the
// latest failed request has to live at file scope; serials only grow, which
// is all ErrorTrap needs.
unsigned long g_latest_error_serial = 0;

int CountError(Display* /*display*/, XErrorEvent* error) {
    if (error->serial > g_latest_error_serial) g_latest_error_serial = error->serial;
    return 0;
}

Atom Intern(Display* display, const char* name) { return XInternAtom(display, name, False); }

std::optional<std::string> TextProperty(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 4096, False, AnyPropertyType, &type, &format, &count,
                           &remaining, &data) != Success)
        return std::nullopt;
    std::optional<std::string> text;
    if (data != nullptr && type != None && format == 8) text = std::string(reinterpret_cast<char*>(data), count);
    if (data != nullptr) XFree(data);
    return text;
}

}  // namespace

void InstallQuietErrorHandler() { XSetErrorHandler(CountError); }

ErrorTrap::ErrorTrap(Display* display) : display_(display), first_serial_(NextRequest(display)) {}

bool ErrorTrap::Failed() {
    XSync(display_, False);
    return g_latest_error_serial >= first_serial_;
}

Window WindowFromHandle(WindowHandle handle) {
    if (handle == 0 || handle > std::numeric_limits<std::uint32_t>::max()) return 0;
    return static_cast<Window>(handle);
}

std::optional<std::string> WindowName(Display* display, Window window) {
    if (auto net = TextProperty(display, window, Intern(display, "_NET_WM_NAME"))) return net;
    // WM_NAME may be Latin-1, compound text or UTF-8: let Xlib convert it.
    XTextProperty property{};
    if (XGetWMName(display, window, &property) == 0 || property.value == nullptr) return std::nullopt;
    std::optional<std::string> name;
    char** list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(display, &property, &list, &count) >= Success && list != nullptr) {
        if (count > 0) name = std::string(list[0]);
        XFreeStringList(list);
    }
    XFree(property.value);
    return name;
}

void SetWindowName(Display* display, Window window, std::string_view name) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(name.data());
    const int length = static_cast<int>(name.size());
    const Atom utf8 = Intern(display, "UTF8_STRING");
    for (const char* property : {"_NET_WM_NAME", "_NET_WM_ICON_NAME"})
        XChangeProperty(display, window, Intern(display, property), utf8, 8, PropModeReplace, bytes, length);
    // WM_NAME and WM_ICON_NAME for older tools, in the encoding the ICCCM
    // asks for (STRING where Latin-1 holds the text, compound text
    // otherwise); Xlib converts from UTF-8 whatever the process's locale.
    const std::string text(name);
    char* list[] = {const_cast<char*>(text.c_str())};
    XTextProperty property{};
    if (Xutf8TextListToTextProperty(display, list, 1, XStdICCTextStyle, &property) >= Success) {
        XSetWMName(display, window, &property);
        XSetWMIconName(display, window, &property);
        XFree(property.value);
    }
}

Window FindWindowNamed(Display* display, Window root, std::string_view caption) {
    std::vector<Window> pending{root};
    while (!pending.empty()) {
        const Window window = pending.back();
        pending.pop_back();
        if (window != root) {
            // A window may go while we look; an error then just skips it.
            ErrorTrap trap(display);
            const auto name = WindowName(display, window);
            if (!trap.Failed() && name && *name == caption) return window;
        }
        Window root_return = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        ErrorTrap trap(display);
        const Status ok = XQueryTree(display, window, &root_return, &parent, &children, &count);
        const bool failed = trap.Failed();
        if (ok != 0 && !failed)
            for (unsigned int i = 0; i < count; ++i) pending.push_back(children[i]);
        if (children != nullptr) XFree(children);
    }
    return 0;
}

std::optional<Rect> WindowRectOnRoot(Display* display, Window window) {
    ErrorTrap trap(display);
    XWindowAttributes attributes{};
    const Status ok = XGetWindowAttributes(display, window, &attributes);
    if (ok == 0 || trap.Failed()) return std::nullopt;
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child);
    if (trap.Failed()) return std::nullopt;
    const int border = attributes.border_width;
    return Rect{x - border, y - border, x + attributes.width + border, y + attributes.height + border};
}

Rect PrimaryScreenRect(Display* display) {
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    Rect whole{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
    int event_base = 0, error_base = 0;
    if (!XRRQueryExtension(display, &event_base, &error_base)) return whole;
    int major = 0, minor = 0;
    if (!XRRQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 3)) return whole;
    // RandR 1.5 monitors are what desktops treat as screens (also those
    // made of part of an output, or of several); one of them may be primary.
    if (major > 1 || minor >= 5) {
        int count = 0;
        XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count);
        std::optional<Rect> found;
        for (int i = 0; i < count && monitors != nullptr; ++i)
            if (monitors[i].primary && monitors[i].width > 0 && monitors[i].height > 0)
                found = Rect{monitors[i].x, monitors[i].y, monitors[i].x + monitors[i].width,
                             monitors[i].y + monitors[i].height};
        if (monitors != nullptr) XRRFreeMonitors(monitors);
        if (found) return *found;
    }
    const RROutput primary = XRRGetOutputPrimary(display, root);
    if (primary == None) return whole;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (resources == nullptr) return whole;
    Rect result = whole;
    if (XRROutputInfo* output = XRRGetOutputInfo(display, resources, primary)) {
        if (output->crtc != None && output->connection == RR_Connected) {
            if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, output->crtc)) {
                if (crtc->width > 0 && crtc->height > 0)
                    result = Rect{crtc->x, crtc->y, crtc->x + static_cast<int>(crtc->width),
                                  crtc->y + static_cast<int>(crtc->height)};
                XRRFreeCrtcInfo(crtc);
            }
        }
        XRRFreeOutputInfo(output);
    }
    XRRFreeScreenResources(resources);
    return result;
}

std::vector<Rect> MonitorRects(Display* display) {
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    std::vector<Rect> rects;
    int event_base = 0, error_base = 0, major = 0, minor = 0;
    if (XRRQueryExtension(display, &event_base, &error_base) && XRRQueryVersion(display, &major, &minor) &&
        (major > 1 || minor >= 5)) {
        int count = 0;
        XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count);
        for (int i = 0; i < count && monitors != nullptr; ++i)
            if (monitors[i].width > 0 && monitors[i].height > 0)
                rects.push_back(Rect{monitors[i].x, monitors[i].y, monitors[i].x + monitors[i].width,
                                     monitors[i].y + monitors[i].height});
        if (monitors != nullptr) XRRFreeMonitors(monitors);
    } else if (XineramaQueryExtension(display, &event_base, &error_base) && XineramaIsActive(display)) {
        int count = 0;
        XineramaScreenInfo* screens = XineramaQueryScreens(display, &count);
        for (int i = 0; i < count && screens != nullptr; ++i)
            if (screens[i].width > 0 && screens[i].height > 0)
                rects.push_back(Rect{screens[i].x_org, screens[i].y_org, screens[i].x_org + screens[i].width,
                                     screens[i].y_org + screens[i].height});
        if (screens != nullptr) XFree(screens);
    }
    if (rects.empty()) rects.push_back(Rect{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)});
    return rects;
}

Cursor BlankCursor(Display* display, Window window) {
    constexpr char kNoBits[8] = {};
    const Pixmap empty = XCreateBitmapFromData(display, window, kNoBits, 8, 8);
    XColor black{};
    const Cursor cursor = XCreatePixmapCursor(display, empty, empty, &black, &black, 0, 0);
    XFreePixmap(display, empty);
    return cursor;
}

void SetWindowIcon(Display* display, Window window) {
    const Picture icon = DecodePicture(IconPng());
    if (icon.width <= 0 || icon.height <= 0) return;
    // Format 32 properties travel as longs in Xlib, whatever their width.
    std::vector<unsigned long> data;
    data.reserve(icon.pixels.size() + 2);
    data.push_back(static_cast<unsigned long>(icon.width));
    data.push_back(static_cast<unsigned long>(icon.height));
    for (std::uint32_t argb : icon.pixels) data.push_back(argb);
    XChangeProperty(display, window, Intern(display, "_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
}

bool DpmsAvailable(Display* display) {
    int event_base = 0, error_base = 0;
    return DPMSQueryExtension(display, &event_base, &error_base) && DPMSCapable(display);
}

bool DisplayPoweredDown(Display* display) {
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    if (!DPMSInfo(display, &level, &enabled)) return false;
    // With DPMS disabled the server keeps the display on whatever the level says.
    return enabled && level != DPMSModeOn;
}

}  // namespace nyamo::x11
