// Moving BGRX pixels between the backend's memory surfaces and X drawables:
// a window image that uploads through MIT-SHM when the server offers it and
// through plain XPutImage otherwise, and a capture of a drawable's pixels.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <memory>

#include "platform/common/software_blitter.h"
#include "platform/platform.h"
#include "platform/x11/x11_pixel_format.h"

namespace nyamo::x11 {

class WindowImage {
public:
    // An image of width x height for window in the given visual, depth and
    // colormap. MIT-SHM is tried first (the attach can fail on a remote display, so it
    // runs under an error trap); the plain image is the fallback.
    WindowImage(Display* display, Window window, Visual* visual, int depth, Colormap colormap, int width, int height);
    ~WindowImage();
    WindowImage(const WindowImage&) = delete;
    WindowImage& operator=(const WindowImage&) = delete;

    // Copy the area of src (same coordinates in the window) to the window.
    void Put(PixelView src, Rect area);
    bool uses_shm() const { return shm_attached_; }
    const PixelFormat& format() const { return format_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    bool TryShm(Visual* visual, int depth);

    Display* display_;
    Window window_;
    PixelFormat format_;
    GC gc_ = nullptr;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
    bool shm_attached_ = false;
    int width_;
    int height_;
};

// Copy the w x h pixels of drawable (of visual, on colormap) at (x, y) into
// dst at (0, 0) as BGRX. False, and dst untouched, when the server cannot
// give them.
bool CapturePixels(Display* display, Drawable drawable, Visual* visual, Colormap colormap, int x, int y, int w, int h,
                   PixelSpan dst);

}  // namespace nyamo::x11
