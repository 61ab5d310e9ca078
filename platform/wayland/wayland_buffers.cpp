#include "platform/wayland/wayland_buffers.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace nyamo::wayland {

void RectList::Add(const Rect& rect) {
    if (all_ || rect.empty()) return;
    if (rects_.size() == kCapacity) {
        AddAll();
        return;
    }
    rects_.push_back(rect);  // within the reserved capacity: no allocation
}

OutputBuffers::~OutputBuffers() { Release(); }

bool OutputBuffers::Allocate(wl_shm* shm, std::int32_t width, std::int32_t height) {
    Release();
    const std::size_t one = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    const int fd = memfd_create("nyamo-frame", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(one * 2)) != 0) {
        std::fprintf(stderr, "nyamo: no shared memory for a %dx%d frame: %s\n", width, height, std::strerror(errno));
        if (fd >= 0) close(fd);
        return false;
    }
    void* memory = mmap(nullptr, one * 2, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        std::fprintf(stderr, "nyamo: cannot map a %dx%d frame: %s\n", width, height, std::strerror(errno));
        close(fd);
        return false;
    }
    memory_ = memory;
    size_ = one * 2;
    width_ = width;
    height_ = height;
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(one * 2));
    for (std::size_t i = 0; i < buffers_.size(); ++i) {
        Buffer& b = buffers_[i];
        b.buffer = wl_shm_pool_create_buffer(pool, static_cast<std::int32_t>(one * i), width, height, width * 4,
                                             WL_SHM_FORMAT_XRGB8888);
        static const wl_buffer_listener kListener{&OnRelease};
        wl_buffer_add_listener(b.buffer, &kListener, this);
        b.pixels = static_cast<std::uint32_t*>(memory) + (one / 4) * i;
        b.held = false;
        b.lacks.Clear();  // a new memfd is all zeros: black, as the frame starts
    }
    // The pool may go once the buffers exist; the memory stays theirs.
    wl_shm_pool_destroy(pool);
    close(fd);
    fresh_.Clear();
    return true;
}

void OutputBuffers::Release() {
    if (frame_callback_ != nullptr) wl_callback_destroy(frame_callback_);
    frame_callback_ = nullptr;
    for (Buffer& b : buffers_) {
        if (b.buffer != nullptr) wl_buffer_destroy(b.buffer);
        b = Buffer{};
    }
    if (memory_ != nullptr) munmap(memory_, size_);
    memory_ = nullptr;
    size_ = 0;
    width_ = height_ = 0;
}

void OutputBuffers::Damage(std::span<const Rect> areas) {
    for (const Rect& area : areas) {
        const Rect clipped{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, width_),
                           std::min(area.bottom, height_)};
        fresh_.Add(clipped);
        for (Buffer& b : buffers_) b.lacks.Add(clipped);
    }
}

void OutputBuffers::DamageAll() {
    fresh_.AddAll();
    for (Buffer& b : buffers_) b.lacks.AddAll();
}

bool OutputBuffers::Flush(wl_surface* surface, PixelView frame) {
    if (!allocated() || fresh_.empty() || frame_callback_ != nullptr) return false;
    if (frame.width != width_ || frame.height != height_) return false;
    Buffer* free_buffer = nullptr;
    for (Buffer& b : buffers_)
        if (!b.held) {
            free_buffer = &b;
            break;
        }
    if (free_buffer == nullptr) return false;
    Buffer& b = *free_buffer;
    const auto copy = [&](const Rect& r) {
        const auto row_bytes = static_cast<std::size_t>(r.right - r.left) * 4;
        for (std::int32_t y = r.top; y < r.bottom; ++y)
            std::memcpy(b.pixels + static_cast<std::ptrdiff_t>(y) * width_ + r.left,
                        frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.stride + r.left, row_bytes);
    };
    // What a buffer lacks is the last two frames' damage, which overlaps
    // where a kitten moved a step: rectangles joined where that saves
    // pixels, the overlap is copied once (half the rows at 50 kittens).
    if (b.lacks.all()) copy(Rect{0, 0, width_, height_});
    else
        for (const Rect& r : grouping_.Group(b.lacks.rects(), 0)) copy(r);
    b.lacks.Clear();
    wl_surface_attach(surface, b.buffer, 0, 0);
    if (fresh_.all()) wl_surface_damage_buffer(surface, 0, 0, width_, height_);
    else
        for (const Rect& r : fresh_.rects()) wl_surface_damage_buffer(surface, r.left, r.top, r.right - r.left, r.bottom - r.top);
    fresh_.Clear();
    frame_callback_ = wl_surface_frame(surface);
    static const wl_callback_listener kFrameListener{&OnFrameDone};
    wl_callback_add_listener(frame_callback_, &kFrameListener, this);
    wl_surface_commit(surface);
    b.held = true;
    return true;
}

void OutputBuffers::OnRelease(void* data, wl_buffer* buffer) {
    auto* self = static_cast<OutputBuffers*>(data);
    for (Buffer& b : self->buffers_)
        if (b.buffer == buffer) b.held = false;
    self->retry_ = true;
}

void OutputBuffers::OnFrameDone(void* data, wl_callback* callback, std::uint32_t /*time*/) {
    auto* self = static_cast<OutputBuffers*>(data);
    wl_callback_destroy(callback);
    if (callback == self->frame_callback_) self->frame_callback_ = nullptr;
    self->retry_ = true;
}

}  // namespace nyamo::wayland
