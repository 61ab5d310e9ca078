#include "platform/wayland/wayland_buffers.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace nyamo::wayland {

namespace {

// A frame callback this late means nobody sees the surface: a compositor
// sends them for every frame of an output it shows, at 30 Hz and less only
// when very busy, and holds them back for an output switched off or a
// surface covered whole.
constexpr std::uint64_t kUnseenAfterNs = 250'000'000;

std::uint64_t Now() {
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

std::size_t Bytes(std::int32_t width, std::int32_t height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

}  // namespace

OutputBuffers::~OutputBuffers() { Release(); }

bool OutputBuffers::MakeBuffer(Buffer& b) {
    const std::size_t size = Bytes(width_, height_);
    const int fd = memfd_create("nyamo-frame", MFD_CLOEXEC);
    void* memory = MAP_FAILED;
    if (fd >= 0 && ftruncate(fd, static_cast<off_t>(size)) == 0)
        memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        std::fprintf(stderr, "nyamo: no shared memory for a %dx%d frame: %s\n", width_, height_, std::strerror(errno));
        if (fd >= 0) close(fd);
        return false;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm_, fd, static_cast<std::int32_t>(size));
    b.buffer = wl_shm_pool_create_buffer(pool, 0, width_, height_, width_ * 4, WL_SHM_FORMAT_XRGB8888);
    static const wl_buffer_listener kListener{&OnRelease};
    wl_buffer_add_listener(b.buffer, &kListener, this);
    b.pixels = static_cast<std::uint32_t*>(memory);  // a new memfd is all zeros: black
    // The pool may go once the buffer exists; the memory stays the buffer's.
    wl_shm_pool_destroy(pool);
    close(fd);
    return true;
}

bool OutputBuffers::Allocate(wl_shm* shm, std::int32_t width, std::int32_t height) {
    Release();
    shm_ = shm;
    width_ = width;
    height_ = height;
    ledger_.Reset(width, height);
    for (Buffer& b : buffers_)
        if (!MakeBuffer(b)) {
            Release();
            return false;
        }
    return true;
}

void OutputBuffers::Release() {
    if (frame_callback_ != nullptr) wl_callback_destroy(frame_callback_);
    frame_callback_ = nullptr;
    for (Buffer& b : buffers_) {
        if (b.buffer != nullptr) wl_buffer_destroy(b.buffer);
        if (b.pixels != nullptr) munmap(b.pixels, Bytes(width_, height_));
        b = Buffer{};
    }
    ledger_.Reset(0, 0);
    width_ = height_ = 0;
}

PixelSpan OutputBuffers::pixels(std::size_t buffer) const {
    return PixelSpan{buffers_[buffer].pixels, width_, height_, width_};
}

void OutputBuffers::Damage(std::span<const Rect> areas) {
    const std::size_t from = ledger_.source(), to = ledger_.drawing();
    const std::span<const Rect> copies = ledger_.TakeCatchUp(areas);
    ledger_.Drawn(areas);
    if (from == BufferLedger::kNone || to == BufferLedger::kNone || from == to) return;
    // The compositor may read the buffer shown last while this copies from it.
    const std::uint32_t* src = buffers_[from].pixels;
    std::uint32_t* dst = buffers_[to].pixels;
    for (const Rect& r : copies) {
        const auto row_bytes = static_cast<std::size_t>(r.right - r.left) * 4;
        for (std::int32_t y = r.top; y < r.bottom; ++y) {
            const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(y) * width_ + r.left;
            std::memcpy(dst + at, src + at, row_bytes);
        }
    }
}

bool OutputBuffers::Flush(wl_surface* surface) {
    if (!allocated() || !ledger_.CanHandOver()) return false;
    wl_surface_attach(surface, buffers_[ledger_.drawing()].buffer, 0, 0);
    for (const Rect& r : ledger_.HandOver(Now()))
        wl_surface_damage_buffer(surface, r.left, r.top, r.right - r.left, r.bottom - r.top);
    frame_callback_ = wl_surface_frame(surface);
    static const wl_callback_listener kFrameListener{&OnFrameDone};
    wl_callback_add_listener(frame_callback_, &kFrameListener, this);
    wl_surface_commit(surface);
    return true;
}

bool OutputBuffers::Unseen() const { return ledger_.Waited(Now(), kUnseenAfterNs); }

void OutputBuffers::OnRelease(void* data, wl_buffer* buffer) {
    auto* self = static_cast<OutputBuffers*>(data);
    for (std::size_t i = 0; i < self->buffers_.size(); ++i)
        if (self->buffers_[i].buffer == buffer) self->ledger_.Released(i);
    self->retry_ = true;
}

void OutputBuffers::OnFrameDone(void* data, wl_callback* callback, std::uint32_t /*time*/) {
    auto* self = static_cast<OutputBuffers*>(data);
    wl_callback_destroy(callback);
    if (callback == self->frame_callback_) {
        self->frame_callback_ = nullptr;
        self->ledger_.FrameDone();
    }
    self->retry_ = true;
}

}  // namespace nyamo::wayland
