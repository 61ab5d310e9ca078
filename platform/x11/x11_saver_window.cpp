// The full-screen saver window, and the frames that go to it.
//
// The window is override-redirect rather than a managed window asking for
// _NET_WM_STATE_FULLSCREEN: a manager may move a full-screen window to the
// monitor it prefers, animate it, keep panels above it or ignore the request
// (and without a manager nothing would honour it at all), while an
// override-redirect window gets exactly the primary output's rectangle and
// the top of the stack from the server itself. The price is that no manager
// gives it the focus, so the saver grabs the keyboard (every key reaches the
// focus sink) and the pointer (the blank cursor hides it on every monitor and
// every button reaches the window), as xscreensaver does with its own window.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <unistd.h>

#include <chrono>

#include "platform/linux/daemonize.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_image.h"
#include "platform/x11/x11_platform.h"

namespace nyamo::x11 {

namespace {

constexpr long kSaverEvents = ExposureMask | KeyPressMask | ButtonPressMask | VisibilityChangeMask | StructureNotifyMask;
// Under the grab every button and every motion anywhere on the screen comes
// to the saver window as an event: no need to ask the server where the
// pointer is on each tick.
constexpr unsigned kGrabbedPointerEvents = ButtonPressMask | PointerMotionMask;
// The display is off or back on at a person's hand or after minutes: asking
// once a second is soon enough and spares a round trip a tick.
constexpr auto kPowerStateAge = std::chrono::seconds(1);

bool OnRoot(int left, int top, int width, int height, int root_width, int root_height) {
    return left < root_width && top < root_height && left + width > 0 && top + height > 0;
}

}  // namespace

void X11Platform::LoadSaverWindow(std::string_view caption, std::int32_t timer_ms) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    // No background: on the map the server would first paint it, a flash of
    // colour over the desktop before the first frame goes up.
    attributes.background_pixmap = None;
    attributes.event_mask = kSaverEvents;
    const unsigned long mask = CWOverrideRedirect | CWBackPixmap | CWEventMask;
    saver_ = SaverWindowState{};
    saver_.visual = DefaultVisual(display_, screen_number_);
    saver_.depth = DefaultDepth(display_, screen_number_);
    saver_.colormap = DefaultColormap(display_, screen_number_);
    saver_.width = saver_.height = 1;
    saver_.window = XCreateWindow(display_, root_, 0, 0, 1, 1, 0, saver_.depth, InputOutput, saver_.visual, mask,
                                  &attributes);
    saver_.ours = true;
    SetWindowName(display_, saver_.window, caption);
    SetWindowIcon(display_, saver_.window);
    XClassHint class_hint{const_cast<char*>("nyamo"), const_cast<char*>("Nyamo")};
    XSetClassHint(display_, saver_.window, &class_hint);

    // The focus sink: an input-only child that never shows; the keyboard
    // grab reports every key to it.
    XSetWindowAttributes sink_attributes{};
    sink_attributes.event_mask = KeyPressMask;
    saver_.sink = XCreateWindow(display_, saver_.window, -50, 0, 30, 30, 0, 0, InputOnly, CopyFromParent,
                                CWEventMask, &sink_attributes);
    XMapWindow(display_, saver_.sink);
    saver_.blank = BlankCursor(display_, saver_.window);
    // A new size or arrangement of the screens would leave part of the
    // session beside the kittens (CheckScreenChange).
    int randr_error_base = 0;
    if (XRRQueryExtension(display_, &randr_event_base_, &randr_error_base))
        XRRSelectInput(display_, root_, RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask);
    else
        randr_event_base_ = -1;
    SetTimerInterval(timer_ms);
    XSync(display_, False);
}

void X11Platform::SetSaverWindowRect(float left, float top, float width, float height) {
    if (saver_.window == 0) return;
    saver_.left = TwipsToPixels(left);
    saver_.top = TwipsToPixels(top);
    const int w = std::max(TwipsToPixels(width), 1);
    const int h = std::max(TwipsToPixels(height), 1);
    if (w != saver_.width || h != saver_.height) DropSaverImage();
    saver_.width = w;
    saver_.height = h;
    XMoveResizeWindow(display_, saver_.window, primary_.left + saver_.left, primary_.top + saver_.top,
                      static_cast<unsigned>(w), static_cast<unsigned>(h));
}

void X11Platform::EnsureSaverImage() {
    if (!saver_.image)
        saver_.image = std::make_unique<WindowImage>(display_, saver_.window, saver_.visual, saver_.depth,
                                                     saver_.colormap, saver_.width, saver_.height);
}

void X11Platform::DropSaverImage() {
    if (saver_.frame_is_image && saver_.frame != 0 && surfaces_.Find(saver_.frame) != nullptr) {
        // Only one frame waits: an older one still waiting names nothing
        // from now on, and drawing into it does nothing.
        if (retired_frame_ != 0) surfaces_.Destroy(retired_frame_);
        retired_frame_ = saver_.frame;
        retired_image_ = std::move(saver_.image);
    }
    saver_.frame = 0;
    saver_.frame_is_image = false;
    saver_.image.reset();
}

void X11Platform::RepaintSaver() {
    if (!saver_.image || saver_.frame == 0) return;
    const Rect whole{0, 0, saver_.image->width(), saver_.image->height()};
    saver_.image->Send({&whole, 1});
}

void X11Platform::ShowSaverWindow() {
    if (saver_.window == 0) return;
    XMapRaised(display_, saver_.window);
    saver_.mapped = true;
    if (saver_.sink_focus && !beside_) XSetInputFocus(display_, saver_.sink, RevertToParent, CurrentTime);
    // Only a window on the screen takes the input, and only one: the grabs
    // of the primary screen's window see every key, button and motion.
    const int root_width = DisplayWidth(display_, screen_number_);
    const int root_height = DisplayHeight(display_, screen_number_);
    if (!beside_ && OnRoot(primary_.left + saver_.left, primary_.top + saver_.top, saver_.width, saver_.height,
                           root_width, root_height))
        GrabInput();
    RepaintSaver();
    XSync(display_, False);
    // Mapped and drawn: a start with --daemonize may return.
    linux_program::ReportSaverShown();
}

void X11Platform::FocusSaverSink() {
    saver_.sink_focus = true;
    if (saver_.mapped && !beside_) XSetInputFocus(display_, saver_.sink, RevertToParent, CurrentTime);
}

void X11Platform::GrabInput() {
    if (saver_.grabbed) return;
    // Another client (an open menu, a running drag) may hold a grab for a
    // moment; keep trying for about a second, as xscreensaver does.
    bool keyboard = false, pointer = false;
    for (int attempt = 0; attempt < 50 && !(keyboard && pointer); ++attempt) {
        if (!keyboard)
            keyboard = XGrabKeyboard(display_, saver_.sink, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
        if (!pointer)
            pointer = XGrabPointer(display_, saver_.window, False, kGrabbedPointerEvents, GrabModeAsync, GrabModeAsync,
                                   None, saver_.pointer_hidden ? saver_.blank : None, CurrentTime) == GrabSuccess;
        if (!(keyboard && pointer)) usleep(20000);
    }
    saver_.grabbed = true;
    if (!pointer) return;  // GetCursorPos asks the server on every tick instead
    // Where the pointer is now, once; any motion from here on is an event.
    Point now{};
    saver_.pointer_grabbed = false;
    GetCursorPos(now);
    saver_.pointer = now;
    saver_.pointer_grabbed = true;
}

void X11Platform::ReleaseInput() {
    if (!saver_.grabbed) return;
    XUngrabKeyboard(display_, CurrentTime);
    XUngrabPointer(display_, CurrentTime);
    saver_.grabbed = false;
    saver_.pointer_grabbed = false;
}

SaverInput X11Platform::LoseSaverWindow(bool destroyed) {
    saver_.mapped = false;  // nothing is sent to it any more
    if (destroyed) saver_.ours = false;
    saver_.grabbed = false;
    saver_.pointer_grabbed = false;
    return SaverInput::Lost;
}

SaverInput X11Platform::CheckScreenChange(const XEvent& event) {
    // Xlib's idea of the root's size follows only through this call.
    XRRUpdateConfiguration(const_cast<XEvent*>(&event));
    if (!watched_screens_.empty()) return MonitorRects(display_) == watched_screens_ ? SaverInput::Nothing : SaverInput::Lost;
    return PrimaryScreenRect(display_) == primary_ ? SaverInput::Nothing : SaverInput::Lost;
}

void X11Platform::SetSaverPointer(PointerShape shape) {
    if (!saver_.ours) return;
    saver_.pointer_hidden = shape == PointerShape::Invisible;
    if (saver_.pointer_hidden)
        XDefineCursor(display_, saver_.window, saver_.blank);
    else
        XUndefineCursor(display_, saver_.window);
    if (saver_.grabbed)
        XChangeActivePointerGrab(display_, kGrabbedPointerEvents, saver_.pointer_hidden ? saver_.blank : None,
                                 CurrentTime);
    XFlush(display_);
}

void X11Platform::MakeSaverTopmost() {
    if (saver_.window == 0) return;
    // Override-redirect windows stack where the server puts them: on top
    // when raised. VisibilityNotify (see Translate) raises it again when a
    // later window covers it.
    XRaiseWindow(display_, saver_.window);
    XFlush(display_);
}

PixelSpan X11Platform::NewSaverImagePixels() {
    if (saver_.window == 0) return {};
    DropSaverImage();
    EnsureSaverImage();
    return saver_.image->Pixels();
}

SurfaceHandle X11Platform::CreateSaverFrame(std::int32_t width, std::int32_t height) {
    // The frame is the shared image itself when the layouts agree and the
    // sizes match, so a tick copies nothing but the rectangles it changes.
    const PixelSpan pixels = NewSaverImagePixels();
    const bool over_image = pixels.pixels != nullptr && pixels.width == width && pixels.height == height;
    const SurfaceHandle frame = over_image ? surfaces_.Adopt(pixels) : surfaces_.Create(width, height);
    if (saver_.window != 0) {
        saver_.frame = frame;
        saver_.frame_is_image = over_image;
    }
    return frame;
}

void X11Platform::PresentSaverFrame(SurfaceHandle src, std::span<const Rect> areas) {
    const PixelSpan* source = surfaces_.Find(src);
    if (source == nullptr || saver_.window == 0) return;
    EnsureSaverImage();
    saver_.image->Update(source->view(), areas);
    // A hidden window keeps the frame in its image for the next show.
    if (!saver_.mapped) return;
    saver_.image->Send(areas);
}

void X11Platform::AwaitFrameRead(SurfaceHandle target) {
    if (saver_.frame_is_image && target == saver_.frame && saver_.image) saver_.image->WaitUntilRead();
}

// A round trip at most once a second for DPMS, none where the server has no DPMS.
bool X11Platform::SaverFrameVisible() {
    if (saver_.obscured) return false;
    if (!dpms_) return true;
    const auto now = std::chrono::steady_clock::now();
    if (power_asked_ == std::chrono::steady_clock::time_point{} || now - power_asked_ >= kPowerStateAge) {
        power_asked_ = now;
        powered_down_ = DisplayPoweredDown(display_);
    }
    return !powered_down_;
}

void X11Platform::UnloadSaverWindow() {
    if (saver_.window == 0) return;
    ReleaseInput();
    DropSaverImage();
    if (randr_event_base_ >= 0) XRRSelectInput(display_, root_, 0);
    if (saver_.ours) XDestroyWindow(display_, saver_.window);
    if (saver_.blank != 0) XFreeCursor(display_, saver_.blank);
    XSync(display_, False);
    saver_ = SaverWindowState{};
    timer_.Stop();
}

void X11Platform::GetCaretPos(Point& point) {
    // X has no system caret: a text cursor is drawn by each client inside
    // its own windows and the server never learns where it is. A fixed
    // reading keeps the caret half of the wake-up test quiet; the keyboard
    // grab already ends the saver on the typing that would move a caret.
    point = Point{0, 0};
}

void X11Platform::GetCursorPos(Point& point) {
    // Beside the primary screen no reading: that screen's saver watches the
    // pointer on every monitor, and a move anywhere ends them all.
    if (beside_) return;
    if (saver_.pointer_grabbed) {
        point = saver_.pointer;
        return;
    }
    Window root_return = 0, child = 0;
    int root_x = 0, root_y = 0, win_x = 0, win_y = 0;
    unsigned int buttons = 0;
    if (XQueryPointer(display_, root_, &root_return, &child, &root_x, &root_y, &win_x, &win_y, &buttons))
        point = Point{root_x - primary_.left, root_y - primary_.top};
}

}  // namespace nyamo::x11
