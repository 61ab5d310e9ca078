// The X11 platform's side of the xscreensaver hack: the desktop picture the
// daemon hands over, and the frame-rate caption over the frames.
#include <algorithm>

#include "platform/x11/x11_display.h"
#include "platform/x11/x11_image.h"
#include "platform/x11/x11_platform.h"

namespace nyamo::x11 {

void X11Platform::CaptureHackDesktop(PixelSpan dst, int width, int height) {
    ErrorTrap trap(display_);
    Window root = 0;
    int x = 0, y = 0;
    unsigned int w = 0, h = 0, border = 0, depth = 0;
    if (XGetGeometry(display_, hack_desktop_, &root, &x, &y, &w, &h, &border, &depth) == 0 || trap.Failed()) return;
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
    CapturePixels(display_, hack_desktop_, saver_.visual, saver_.colormap, left, top, width, height, dst);
}

void X11Platform::SetHackCaption(std::string text) {
    hack_caption_ = std::move(text);
    DrawHackCaption();
}

void X11Platform::DrawHackCaption() {
    if (!saver_.foreign || hack_caption_.empty()) return;
    if (!saver_.image) return;
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
    const int length = static_cast<int>(hack_caption_.size());
    const int left = 6;
    const int baseline = saver_.height - 6;
    // The image string paints only its own extent: a shorter text ("FPS:
    // 9.9" after "FPS: 10.0") would leave the old one's last glyphs beside
    // it. The frame's own pixels go back where the old text reached further.
    Rect extent{left, baseline, left, baseline};
    if (caption_font_ != nullptr) {
        extent.top = baseline - caption_font_->ascent;
        extent.bottom = baseline + caption_font_->descent;
        extent.right = left + XTextWidth(caption_font_, hack_caption_.data(), length);
    }
    if (caption_extent_.right > extent.right) {
        const Rect uncovered{extent.right, caption_extent_.top, caption_extent_.right, caption_extent_.bottom};
        saver_.image->Send({&uncovered, 1});
    }
    caption_extent_ = extent;
    XDrawImageString(display_, saver_.window, caption_gc_, left, baseline, hack_caption_.data(), length);
    XFlush(display_);
}

}  // namespace nyamo::x11
