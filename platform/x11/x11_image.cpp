#include "platform/x11/x11_image.h"

#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/common/surface_memory.h"
#include "platform/x11/x11_display.h"

namespace nyamo::x11 {

namespace {

// How long a completion may take before the image is taken as read the slow
// way (a round trip): a server that never says it has read the pixels must
// not stop the saver. Counted from the start of the wait, not from the last
// event: other events keep coming while the pointer moves.
constexpr auto kCompletionWait = std::chrono::milliseconds(250);

struct CompletionOf {
    int type;
    ShmSeg segment;
    unsigned long serial;
};

bool IsCompletion(const XEvent& event, const CompletionOf& of) {
    if (event.type != of.type) return false;
    const auto& done = reinterpret_cast<const XShmCompletionEvent&>(event);
    // Serials grow with every request: a completion of an earlier upload
    // says nothing about the latest.
    return done.shmseg == of.segment && done.serial >= of.serial;
}

Bool MatchCompletion(Display* /*display*/, XEvent* event, XPointer of) {
    return IsCompletion(*event, *reinterpret_cast<const CompletionOf*>(of)) ? True : False;
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
    // In huge pages where it is screen-sized: the frame's damaged rows then
    // share TLB entries (surface_memory.h).
    image_->data = static_cast<char*>(AllocateSurfaceMemory(ImageBytes()));
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
    completion_type_ = XShmGetEventBase(display_) + ShmCompletion;
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
        FreeSurfaceMemory(image_->data, ImageBytes());
        image_->data = nullptr;  // XDestroyImage would free() it
        XDestroyImage(image_);
    }
    if (gc_ != nullptr) XFreeGC(display_, gc_);
}

std::size_t WindowImage::ImageBytes() const {
    return static_cast<std::size_t>(image_->bytes_per_line) * static_cast<std::size_t>(height_);
}

PixelSpan WindowImage::Pixels() const {
    if (image_ == nullptr || format_.colormapped() || !SameLayoutAsBgrx(image_)) return {};
    return {reinterpret_cast<std::uint32_t*>(image_->data), width_, height_, image_->bytes_per_line / 4};
}

void WindowImage::Update(PixelView src, std::span<const Rect> areas) {
    if (image_ == nullptr || src.pixels == reinterpret_cast<const std::uint32_t*>(image_->data)) return;
    WaitUntilRead();
    for (const Rect& area : areas) {
        const Rect r = Clip(area, std::min(width_, src.width), std::min(height_, src.height));
        if (!r.empty()) ConvertArea(format_, src, r, image_);
    }
}

void WindowImage::Send(std::span<const Rect> areas) {
    if (image_ == nullptr) return;
    // One request per rectangle: the damage has joined overlapping ones
    // already, and joining near ones by their price (as Wine's flushes are)
    // cost more to work out each tick than the few requests it saved
    // (docs/performance.md).
    std::size_t last = areas.size();
    for (std::size_t i = 0; i < areas.size(); ++i)
        if (!Clip(areas[i], width_, height_).empty()) last = i;
    if (last == areas.size()) return;
    for (std::size_t i = 0; i <= last; ++i) {
        const Rect r = Clip(areas[i], width_, height_);
        if (r.empty()) continue;
        const auto w = static_cast<unsigned>(r.right - r.left);
        const auto h = static_cast<unsigned>(r.bottom - r.top);
        if (shm_attached_) {
            // The server reads the requests in order: word that it has read
            // the last one covers them all.
            const bool last_one = i == last;
            if (last_one) awaited_serial_ = NextRequest(display_);
            XShmPutImage(display_, window_, gc_, image_, r.left, r.top, r.left, r.top, w, h, last_one ? True : False);
        } else {
            XPutImage(display_, window_, gc_, image_, r.left, r.top, r.left, r.top, w, h);
        }
    }
    // A plain image was copied into the requests already; shared memory is
    // read later, and the completion event says when (no round trip).
    XFlush(display_);
}

bool WindowImage::TakeCompletion(const XEvent& event) {
    if (!shm_attached_ || !IsCompletion(event, CompletionOf{completion_type_, shm_.shmseg, awaited_serial_}))
        return false;
    awaited_serial_ = 0;
    return true;
}

void WindowImage::WaitUntilRead() {
    if (awaited_serial_ == 0) return;
    CompletionOf of{completion_type_, shm_.shmseg, awaited_serial_};
    XEvent event;
    const auto deadline = std::chrono::steady_clock::now() + kCompletionWait;
    // Other events stay queued, in order, for the program's loop.
    while (!XCheckIfEvent(display_, &event, MatchCompletion, reinterpret_cast<XPointer>(&of))) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd watch{ConnectionNumber(display_), POLLIN, 0};
        if (left.count() <= 0 || poll(&watch, 1, static_cast<int>(left.count())) <= 0) {
            // No word in time: a round trip also proves the server has
            // handled every request before it.
            XSync(display_, False);
            break;
        }
    }
    awaited_serial_ = 0;
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
