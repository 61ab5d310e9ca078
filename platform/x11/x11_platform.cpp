// Process services, the guard's window search, profile files, surfaces, the
// timer and the translation of X events for the loop.
#include "platform/x11/x11_platform.h"

#include <X11/Xresource.h>
#include <X11/extensions/Xrandr.h>
#include <pwd.h>
#include <unistd.h>

#include <chrono>

#include <cmath>
#include <cstdlib>

#include "platform/linux/settings_folder.h"
#include "platform/x11/fltk_dialog.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_image.h"
#include "platform/common/profile_store.h"

namespace nyamo::x11 {

namespace {

// Xft.dpi is what desktops set when they scale text; without it X clients
// assume 96 dots per inch, which is also Windows' 15 twips per pixel.
float DotsPerInch(Display* display) {
    const char* value = XGetDefault(display, "Xft", "dpi");
    if (value != nullptr) {
        char* end = nullptr;
        const double dpi = std::strtod(value, &end);
        if (end != value && dpi >= 24 && dpi <= 960) return static_cast<float>(dpi);
    }
    return 96.0f;
}

}  // namespace

X11Platform::X11Platform(Display* display, std::string command_line)
    : display_(display),
      screen_number_(DefaultScreen(display)),
      root_(RootWindow(display, DefaultScreen(display))),
      command_line_(std::move(command_line)),
      primary_(PrimaryScreenRect(display)),
      twips_per_pixel_(1440.0f / DotsPerInch(display)),
      dpms_(DpmsAvailable(display)) {}

X11Platform::~X11Platform() {
    // Also for the hack: its target is another client's, and the unload
    // destroys only a window of our own.
    if (SaverLoaded()) UnloadSaverWindow();
    retired_image_.reset();  // while the display is open
    UnloadPreviewWindow();
}

bool X11Platform::DialogLoaded() const { return dialog_ != nullptr && dialog_->loaded(); }

int X11Platform::TwipsToPixels(float twips) const {
    return static_cast<int>(std::nearbyint(double{twips} / double{twips_per_pixel_}));
}

// --- Process services --------------------------------------------------------

std::string X11Platform::CommandLine() { return command_line_; }

std::string X11Platform::SettingsFolder() { return linux_program::SettingsFolder(); }

char X11Platform::PathSeparator() { return '/'; }

ScreenMetrics X11Platform::Screen() {
    const float tpp = twips_per_pixel_;
    return {tpp * static_cast<float>(primary_.right - primary_.left),
            tpp * static_cast<float>(primary_.bottom - primary_.top), tpp, tpp};
}

void X11Platform::ProcessPendingEvents() {
    // Only the settings branch asks, before any window of ours exists; what
    // is pending then concerns no window of the program.
    XSync(display_, False);
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        Translate(event);
    }
}

std::uint64_t X11Platform::ClockReading() {
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

// --- Windows of other processes ----------------------------------------------

WindowHandle X11Platform::FindWindowByCaption(std::string_view caption) {
    return FindWindowNamed(display_, root_, caption);
}

bool X11Platform::GetWindowRect(WindowHandle window, Rect& rect) {
    const Window id = WindowFromHandle(window);
    if (id == 0) return false;
    const auto found = WindowRectOnRoot(display_, id);
    if (!found) return false;
    // Screen coordinates count from the primary screen's corner, as Windows
    // counts them from the primary monitor's.
    rect = Rect{found->left - primary_.left, found->top - primary_.top, found->right - primary_.left,
                found->bottom - primary_.top};
    return true;
}

// --- Profile file ------------------------------------------------------------

std::int32_t X11Platform::ProfileGetInt(std::string_view section, std::string_view key, std::int32_t fallback,
                                        const std::string& path) {
    return PosixProfileGetInt(section, key, fallback, path);
}

bool X11Platform::ProfileWriteStrings(std::string_view section, std::span<const ProfileEntry> entries,
                                      const std::string& path) {
    return PosixProfileWriteStrings(section, entries, path, "\n");
}

// --- Surfaces ------------------------------------------------------------------

SurfaceHandle X11Platform::CreateSurface(std::int32_t width, std::int32_t height) {
    return surfaces_.Create(width, height);
}

SurfaceHandle X11Platform::CreateSurfaceFrom(PixelView pixels) { return surfaces_.CreateFrom(pixels); }

void X11Platform::DestroySurface(SurfaceHandle surface) {
    surfaces_.Destroy(surface);
    if (surface == saver_.frame) {
        saver_.frame = 0;  // the window keeps its image and repaints from it
        saver_.frame_is_image = false;
    }
    if (surface == retired_frame_) {
        retired_frame_ = 0;
        retired_image_.reset();
    }
}

void X11Platform::BitBlt(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width,
                         std::int32_t height, SurfaceHandle src, std::int32_t sx, std::int32_t sy, RasterOp op) {
    AwaitFrameRead(dst);
    surfaces_.Blit(dst, dx, dy, width, height, src, sx, sy, op);
}

void X11Platform::CopyDesktop(SurfaceHandle dst, std::int32_t width, std::int32_t height) {
    // Awaited first: finding the surface makes a masked draw still held.
    AwaitFrameRead(dst);
    const PixelSpan* target = surfaces_.Find(dst);
    if (target != nullptr) CaptureDesktop(*target, width, height);
}

void X11Platform::CaptureDesktop(PixelSpan dst, int width, int height) {
    XWindowAttributes root_attributes{};
    XGetWindowAttributes(display_, root_, &root_attributes);
    CapturePixels(display_, root_, root_attributes.visual, root_attributes.colormap, primary_.left, primary_.top, width,
                  height, dst);
}

// --- Timer and events ----------------------------------------------------------

void X11Platform::SetTimerInterval(std::int32_t milliseconds) { timer_.Start(milliseconds); }

SaverInput X11Platform::Translate(const XEvent& event) {
    // The server has read an upload: the image may be written again.
    if (saver_.image && saver_.image->TakeCompletion(event)) return SaverInput::Nothing;
    if (preview_.image && preview_.image->TakeCompletion(event)) return SaverInput::Nothing;
    if (saver_.window != 0 && randr_event_base_ >= 0 &&
        (event.type == randr_event_base_ + RRScreenChangeNotify || event.type == randr_event_base_ + RRNotify))
        return CheckScreenChange(event);
    const Window window = event.xany.window;
    if (saver_.window != 0 && (window == saver_.window || window == saver_.sink)) {
        switch (event.type) {
            case Expose:
                if (event.xexpose.count == 0) RepaintSaver();
                return SaverInput::Nothing;
            case KeyPress:
                return SaverInput::Key;
            case ButtonPress:
                return SaverInput::Click;
            case MotionNotify:
                // Only under the saver's pointer grab; the tick compares
                // positions, as it does where it asks the server.
                if (saver_.pointer_grabbed)
                    saver_.pointer = Point{event.xmotion.x_root - primary_.left, event.xmotion.y_root - primary_.top};
                return SaverInput::Nothing;
            case VisibilityNotify:
                saver_.obscured = event.xvisibility.state == VisibilityFullyObscured;
                // Something was mapped above the saver: stay on top.
                if (event.xvisibility.state != VisibilityUnobscured) XRaiseWindow(display_, saver_.window);
                return SaverInput::Nothing;
            case UnmapNotify:
                // A synthetic event unmaps nothing. The saver never unmaps its
                // own window while it runs, so a real unmap is another client's.
                if (event.xunmap.send_event) return SaverInput::Nothing;
                return LoseSaverWindow(false);
            case DestroyNotify:
                return LoseSaverWindow(true);
            default:
                return SaverInput::Nothing;
        }
    }
    if (preview_.window != 0) {
        if (event.type == DestroyNotify &&
            (event.xdestroywindow.window == preview_.window || event.xdestroywindow.window == preview_.host)) {
            // The host went, and our child with it: the preview is over.
            UnloadPreviewWindow();
            return SaverInput::Nothing;
        }
        if (event.type == Expose && window == preview_.window && event.xexpose.count == 0 && preview_.image)
            preview_.image->PutWhole(preview_.screen.view());
    }
    return SaverInput::Nothing;
}

}  // namespace nyamo::x11
