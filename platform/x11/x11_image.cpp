#include "platform/x11/x11_image.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/x11/x11_display.h"

namespace nyamo::x11 {

namespace {

Rect Clip(Rect area, int width, int height) {
    return Rect{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, width), std::min(area.bottom, height)};
}

}  // namespace

WindowImage::WindowImage(Display* display, Window window, Visual* visual, int depth, Colormap colormap, int width,
                         int height)
    : display_(display),
      window_(window),
      format_(display, visual, colormap, PixelDirection::ToServer),
      width_(std::max(width, 1)),
      height_(std::max(height, 1)) {
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    if (TryShm(visual, depth)) return;
    image_ = XCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                          static_cast<unsigned>(width_), static_cast<unsigned>(height_), 32, 0);
    if (image_ == nullptr) return;
    image_->data = static_cast<char*>(
        std::calloc(static_cast<std::size_t>(image_->bytes_per_line) * static_cast<std::size_t>(height_), 1));
    if (image_->data == nullptr) {
        // No memory for the picture: the window shows nothing rather than
        // the process writing through a null pointer; the frame the core
        // composes is then a surface of its own (Pixels() is empty).
        std::fprintf(stderr, "nyamo: no memory for a %d x %d window image; nothing is drawn\n", width_, height_);
        XDestroyImage(image_);
        image_ = nullptr;
    }
}

bool WindowImage::TryShm(Visual* visual, int depth) {
    if (!XShmQueryExtension(display_)) return false;
    image_ = XShmCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &shm_,
                             static_cast<unsigned>(width_), static_cast<unsigned>(height_));
    if (image_ == nullptr) return false;
    const auto bytes = static_cast<std::size_t>(image_->bytes_per_line) * static_cast<std::size_t>(height_);
    shm_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shm_.shmid < 0) {
        XDestroyImage(image_);
        image_ = nullptr;
        return false;
    }
    shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
    shm_.readOnly = False;
    bool attached = false;
    if (shm_.shmaddr != reinterpret_cast<char*>(-1)) {
        // A server on another machine accepts the request and then fails it
        // with an error, so the attach is checked under a trap.
        ErrorTrap trap(display_);
        XShmAttach(display_, &shm_);
        attached = !trap.Failed();
    }
    // Marked for removal now: the segment goes with the last detach, even
    // if the program ends abruptly.
    shmctl(shm_.shmid, IPC_RMID, nullptr);
    if (!attached) {
        if (shm_.shmaddr != reinterpret_cast<char*>(-1)) shmdt(shm_.shmaddr);
        image_->data = nullptr;
        XDestroyImage(image_);
        image_ = nullptr;
        shm_ = {};
        return false;
    }
    shm_attached_ = true;
    return true;
}

WindowImage::~WindowImage() {
    if (shm_attached_) {
        XShmDetach(display_, &shm_);
        XSync(display_, False);
        if (image_ != nullptr) {
            image_->data = nullptr;
            XDestroyImage(image_);
        }
        shmdt(shm_.shmaddr);
    } else if (image_ != nullptr) {
        XDestroyImage(image_);  // frees the calloc'ed data too
    }
    if (gc_ != nullptr) XFreeGC(display_, gc_);
}

PixelSpan WindowImage::Pixels() const {
    if (image_ == nullptr || format_.colormapped() || !SameLayoutAsBgrx(image_)) return {};
    return {reinterpret_cast<std::uint32_t*>(image_->data), width_, height_, image_->bytes_per_line / 4};
}

void WindowImage::Update(PixelView src, std::span<const Rect> areas) {
    if (image_ == nullptr || src.pixels == reinterpret_cast<const std::uint32_t*>(image_->data)) return;
    for (const Rect& area : areas) {
        const Rect r = Clip(area, std::min(width_, src.width), std::min(height_, src.height));
        if (r.right > r.left && r.bottom > r.top) ConvertArea(format_, src, r, image_);
    }
}

void WindowImage::Send(std::span<const Rect> areas) {
    if (image_ == nullptr) return;
    bool sent = false;
    for (const Rect& area : areas) {
        const Rect r = Clip(area, width_, height_);
        if (r.right <= r.left || r.bottom <= r.top) continue;
        const auto w = static_cast<unsigned>(r.right - r.left);
        const auto h = static_cast<unsigned>(r.bottom - r.top);
        if (shm_attached_)
            XShmPutImage(display_, window_, gc_, image_, r.left, r.top, r.left, r.top, w, h, False);
        else
            XPutImage(display_, window_, gc_, image_, r.left, r.top, r.left, r.top, w, h);
        sent = true;
    }
    if (!sent) return;
    // Shared memory is read by the server after the request: the next
    // frame may only be composed once it has done so. A plain image was
    // copied into the request already.
    if (shm_attached_)
        XSync(display_, False);
    else
        XFlush(display_);
}

namespace {

// Convert one image of rows fetched from the server into dst's rows.
void ConvertCaptured(const PixelFormat& format, XImage* image, int w, int h, std::uint32_t* to_first_row,
                     std::ptrdiff_t stride) {
    const bool direct = !format.colormapped() && SameLayoutAsBgrx(image);
    for (int row = 0; row < h; ++row) {
        std::uint32_t* to = to_first_row + row * stride;
        if (direct) {
            const auto* from = reinterpret_cast<const std::uint32_t*>(image->data + static_cast<std::size_t>(row) * static_cast<std::size_t>(image->bytes_per_line));
            for (int col = 0; col < w; ++col) to[col] = from[col] & 0x00FFFFFF;
            continue;
        }
        for (int col = 0; col < w; ++col) to[col] = format.Bgrx(XGetPixel(image, col, row));
    }
}

}  // namespace

bool CapturePixels(Display* display, Drawable drawable, Visual* visual, Colormap colormap, int x, int y, int w, int h,
                   PixelSpan dst) {
    w = std::min(w, dst.width);
    h = std::min(h, dst.height);
    if (w <= 0 || h <= 0) return false;
    const PixelFormat format(display, visual, colormap, PixelDirection::FromServer);
    // In bands of rows: a whole 4K screen fetched at once would hold a third
    // frame's worth of memory besides the two the saver keeps.
    constexpr int kBandRows = 64;
    for (int top = 0; top < h; top += kBandRows) {
        const int rows = std::min(kBandRows, h - top);
        ErrorTrap trap(display);
        XImage* image = XGetImage(display, drawable, x, y + top, static_cast<unsigned>(w), static_cast<unsigned>(rows),
                                  AllPlanes, ZPixmap);
        if (trap.Failed() || image == nullptr) {
            if (image != nullptr) XDestroyImage(image);
            return false;
        }
        ConvertCaptured(format, image, w, rows, dst.pixels + static_cast<std::ptrdiff_t>(top) * dst.stride, dst.stride);
        XDestroyImage(image);
    }
    return true;
}

}  // namespace nyamo::x11
