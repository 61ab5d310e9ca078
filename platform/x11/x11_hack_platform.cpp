#include "platform/x11/x11_hack_platform.h"

#include <algorithm>

#include "platform/x11/x11_display.h"
#include "platform/x11/x11_image.h"

namespace nyamo::x11 {

HackPlatform::HackPlatform(Display* display)
    : X11Platform(display, ""),
      wm_protocols_(XInternAtom(display, "WM_PROTOCOLS", False)),
      wm_delete_window_(XInternAtom(display, "WM_DELETE_WINDOW", False)) {}

HackPlatform::~HackPlatform() {
    if (caption_gc_ != nullptr) XFreeGC(display_, caption_gc_);
    if (caption_font_ != nullptr) XFreeFont(display_, caption_font_);
}

bool HackPlatform::DrawInto(Window window) {
    ErrorTrap trap(display_);
    // Only structure, exposure and visibility: input belongs to the
    // window's owner. Selected before the attributes are read, so that a map
    // or unmap between the two still arrives as an event.
    XSelectInput(display_, window, StructureNotifyMask | ExposureMask | VisibilityChangeMask);
    XWindowAttributes attributes{};
    const Status ok = XGetWindowAttributes(display_, window, &attributes);
    if (ok == 0 || trap.Failed()) return false;
    saver_ = SaverWindowState{};
    saver_.window = window;
    saver_.mapped = attributes.map_state != IsUnmapped;
    saver_.visual = attributes.visual;
    saver_.depth = attributes.depth;
    saver_.colormap = attributes.colormap;
    saver_.width = attributes.width;
    saver_.height = attributes.height;
    return true;
}

HackInput HackPlatform::Handle(const XEvent& event) {
    // The server has read an upload: the image may be written again.
    if (saver_.image && saver_.image->TakeCompletion(event)) return HackInput::Nothing;
    if (saver_.window == 0 || event.xany.window != saver_.window) return HackInput::Nothing;
    switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0) {
                RepaintSaver();
                DrawCaption();
            }
            return HackInput::Nothing;
        case VisibilityNotify:
            saver_.obscured = event.xvisibility.state == VisibilityFullyObscured;
            return HackInput::Nothing;
        case MapNotify:
        case UnmapNotify:
            // An iconified or withdrawn window shows nothing: no frame is
            // composed or sent until it is mapped again, and the first frame
            // then is composed whole.
            saver_.mapped = event.type == MapNotify;
            return HackInput::Nothing;
        case ConfigureNotify:
            if (event.xconfigure.width == saver_.width && event.xconfigure.height == saver_.height)
                return HackInput::Nothing;
            saver_.width = event.xconfigure.width;
            saver_.height = event.xconfigure.height;
            DropSaverImage();
            caption_extent_ = Rect{};
            return HackInput::Resized;
        case ClientMessage:
            // The close box of the hack's own window (--window): only the
            // window manager's WM_DELETE_WINDOW protocol message means it;
            // other clients send messages of their own kinds.
            if (event.xclient.format == 32 && event.xclient.message_type == wm_protocols_ &&
                static_cast<Atom>(event.xclient.data.l[0]) == wm_delete_window_)
                return HackInput::CloseRequested;
            return HackInput::Nothing;
        case DestroyNotify:
            // Nothing is left to draw into.
            DropSaverImage();
            saver_ = SaverWindowState{};
            return HackInput::TargetGone;
        default:
            return HackInput::Nothing;
    }
}

void HackPlatform::CaptureDesktop(PixelSpan dst, int width, int height) {
    // Never the window's own pixels: under xscreensaver they are already
    // black or the last hack's picture. The daemon's screenshot when there
    // is one, else the surface stays black.
    if (desktop_ == None) return;
    ErrorTrap trap(display_);
    Window root = 0;
    int x = 0, y = 0;
    unsigned int w = 0, h = 0, border = 0, depth = 0;
    if (XGetGeometry(display_, desktop_, &root, &x, &y, &w, &h, &border, &depth) == 0 || trap.Failed()) return;
    if (static_cast<int>(depth) != saver_.depth) return;
    // A picture of the window's size is the window's; a larger one is of
    // the whole screen, read where the window lies on it.
    int left = 0, top = 0;
    if (static_cast<int>(w) != saver_.width || static_cast<int>(h) != saver_.height) {
        Window child = 0;
        XTranslateCoordinates(display_, saver_.window, root, 0, 0, &left, &top, &child);
    }
    if (trap.Failed()) return;
    width = std::min(width, static_cast<int>(w) - left);
    height = std::min(height, static_cast<int>(h) - top);
    CapturePixels(display_, desktop_, saver_.visual, saver_.colormap, left, top, width, height, dst);
}

void HackPlatform::PresentSaverFrame(SurfaceHandle src, std::span<const Rect> areas) {
    X11Platform::PresentSaverFrame(src, areas);
    DrawCaption();
}

bool HackPlatform::SaverFrameVisible() { return saver_.mapped && X11Platform::SaverFrameVisible(); }

void HackPlatform::SetCaption(std::string text) {
    caption_ = std::move(text);
    DrawCaption();
}

void HackPlatform::DrawCaption() {
    if (caption_.empty() || !saver_.image || !saver_.mapped) return;
    if (caption_gc_ == nullptr) {
        caption_gc_ = XCreateGC(display_, saver_.window, 0, nullptr);
        // The server's "fixed" font always exists (it will not start without it).
        caption_font_ = XLoadQueryFont(display_, "fixed");
        if (caption_font_ != nullptr) XSetFont(display_, caption_gc_, caption_font_->fid);
    }
    // White on black, as xscreensaver's hacks show it: readable over any
    // background, in the window's own visual and colormap.
    XSetForeground(display_, caption_gc_, saver_.image->format().Pixel(0xFFFFFF));
    XSetBackground(display_, caption_gc_, saver_.image->format().Pixel(0x000000));
    const int length = static_cast<int>(caption_.size());
    const int left = 6;
    const int baseline = saver_.height - 6;
    // The image string paints only its own extent: a shorter text ("FPS:
    // 9.9" after "FPS: 10.0") would leave the old one's last glyphs beside
    // it. The frame's own pixels go back where the old text reached further.
    Rect extent{left, baseline, left, baseline};
    if (caption_font_ != nullptr) {
        extent.top = baseline - caption_font_->ascent;
        extent.bottom = baseline + caption_font_->descent;
        extent.right = left + XTextWidth(caption_font_, caption_.data(), length);
    }
    if (caption_extent_.right > extent.right) {
        const Rect uncovered{extent.right, caption_extent_.top, caption_extent_.right, caption_extent_.bottom};
        saver_.image->Send({&uncovered, 1});
    }
    caption_extent_ = extent;
    XDrawImageString(display_, saver_.window, caption_gc_, left, baseline, caption_.data(), length);
}

}  // namespace nyamo::x11
