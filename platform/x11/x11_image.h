// Moving BGRX pixels between the backend's memory surfaces and X drawables:
// a window image that uploads through MIT-SHM when the server offers it and
// through plain XPutImage otherwise, and a capture of a drawable's pixels.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <memory>
#include <span>

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

    // The image's own memory as a BGRX surface, when the visual keeps its
    // pixels that way (32 bits per pixel, host byte order, the usual
    // TrueColor masks): a frame composed there needs no conversion and no
    // copy. Pixels nullptr for any other layout.
    PixelSpan Pixels() const;
    // Convert the rectangles of src into the image; nothing to do when src
    // is the image's own memory.
    void Update(PixelView src, std::span<const Rect> areas);
    // Send the rectangles of the image to the same places in the window.
    // Through shared memory the server reads the pixels after the request:
    // call WaitUntilRead before the image is written again.
    void Send(std::span<const Rect> areas);
    // Return once the server has read everything sent (at once when it has
    // said so already: its completion event came through TakeCompletion).
    void WaitUntilRead();
    // True when event is the server's word that it has read this image's
    // latest upload; the image may then be written.
    bool TakeCompletion(const XEvent& event);
    void Put(PixelView src, std::span<const Rect> areas) {
        Update(src, areas);
        Send(areas);
    }
    void PutWhole(PixelView src) {
        const Rect whole{0, 0, width_, height_};
        Put(src, {&whole, 1});
    }
    bool uses_shm() const { return shm_attached_; }
    const PixelFormat& format() const { return format_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    std::size_t ImageBytes() const;  // of the plain (not shared) image's data
    bool TryShm(Visual* visual, int depth);

    Display* display_;
    Window window_;
    PixelFormat format_;
    GC gc_ = nullptr;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
    bool shm_attached_ = false;
    int completion_type_ = -1;         // the MIT-SHM completion event's type
    unsigned long awaited_serial_ = 0;  // the last upload not yet known read, 0 if none
    int width_;
    int height_;
};

// Copy the w x h pixels of drawable (of visual, on colormap) at (x, y) into
// dst at (0, 0) as BGRX. False when the server cannot give them; dst is then
// untouched, or keeps the rows that came before the failure (a window that
// vanished midway).
bool CapturePixels(Display* display, Drawable drawable, Visual* visual, Colormap colormap, int x, int y, int w, int h,
                   PixelSpan dst);

}  // namespace nyamo::x11
