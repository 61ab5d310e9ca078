// The seam on one Wayland output: surfaces, the output's picture, and the
// frames that go to its layer surface.
#include "platform/wayland/wayland_platform.h"

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/common/profile_save.h"
#include "platform/linux/settings_folder.h"
#include "settings/profile_file.h"
#include "platform/wayland/layer_shell.h"
#include "wlr-screencopy-unstable-v1-client.h"

namespace nyamo::wayland {

namespace {

constexpr float kTwipsPerPixel = 15.0f;
// How long the compositor may take to hand over an output's picture.
constexpr int kCaptureWaitMs = 3000;

// Dispatch the display's events until done() holds or timeout_ms pass;
// false on a timeout or a broken connection. Start-up only.
template <typename Done>
bool DispatchUntil(wl_display* display, Done done, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (wl_display_dispatch_pending(display) < 0) return false;
        if (done()) return true;
        if (wl_display_flush(display) < 0 && errno != EAGAIN) return false;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        if (wl_display_prepare_read(display) != 0) continue;
        pollfd watch{wl_display_get_fd(display), POLLIN, 0};
        if (poll(&watch, 1, static_cast<int>(left.count())) > 0) {
            if (wl_display_read_events(display) < 0) return false;
        } else {
            wl_display_cancel_read(display);
        }
    }
    return true;
}

struct Capture {
    std::uint32_t format = 0;
    std::int32_t width = 0, height = 0, stride = 0;
    bool shm_offered = false;
    bool buffers_done = false;  // version 3: every offer made
    bool y_invert = false;
    bool ready = false;
    bool failed = false;
};

void OnBuffer(void* data, zwlr_screencopy_frame_v1*, std::uint32_t format, std::uint32_t width, std::uint32_t height,
              std::uint32_t stride) {
    auto* c = static_cast<Capture*>(data);
    c->format = format;
    c->width = static_cast<std::int32_t>(width);
    c->height = static_cast<std::int32_t>(height);
    c->stride = static_cast<std::int32_t>(stride);
    c->shm_offered = true;
}
void OnFlags(void* data, zwlr_screencopy_frame_v1*, std::uint32_t flags) {
    static_cast<Capture*>(data)->y_invert = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
}
void OnReady(void* data, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {
    static_cast<Capture*>(data)->ready = true;
}
void OnFailed(void* data, zwlr_screencopy_frame_v1*) { static_cast<Capture*>(data)->failed = true; }
void OnDamage(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
void OnDmabuf(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {}
void OnBufferDone(void* data, zwlr_screencopy_frame_v1*) { static_cast<Capture*>(data)->buffers_done = true; }

constexpr zwlr_screencopy_frame_v1_listener kCaptureListener{&OnBuffer,  &OnFlags,  &OnReady,     &OnFailed,
                                                             &OnDamage, &OnDmabuf, &OnBufferDone};

}  // namespace

bool CaptureOutput(const OutputSurface& output, PixelSpan dst, std::int32_t width, std::int32_t height) {
    if (output.screencopy == nullptr) return false;
    Capture capture;
    zwlr_screencopy_frame_v1* frame = zwlr_screencopy_manager_v1_capture_output(output.screencopy, 0, output.output);
    zwlr_screencopy_frame_v1_add_listener(frame, &kCaptureListener, &capture);
    const bool v3 = zwlr_screencopy_frame_v1_get_version(frame) >= 3;
    const bool offered = DispatchUntil(
        output.display, [&] { return capture.failed || (capture.shm_offered && (!v3 || capture.buffers_done)); },
        kCaptureWaitMs);
    // XRGB/ARGB are the core's BGRX in memory; XBGR/ABGR have red and blue swapped.
    const bool swap = capture.format == WL_SHM_FORMAT_XBGR8888 || capture.format == WL_SHM_FORMAT_ABGR8888;
    const bool usable = swap || capture.format == WL_SHM_FORMAT_XRGB8888 || capture.format == WL_SHM_FORMAT_ARGB8888;
    bool copied = false;
    if (offered && !capture.failed && usable && capture.width > 0 && capture.height > 0 &&
        capture.stride >= capture.width * 4) {
        const std::size_t size = static_cast<std::size_t>(capture.stride) * static_cast<std::size_t>(capture.height);
        const int fd = memfd_create("nyamo-desktop", MFD_CLOEXEC);
        void* memory = MAP_FAILED;
        if (fd >= 0 && ftruncate(fd, static_cast<off_t>(size)) == 0)
            memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (memory != MAP_FAILED) {
            wl_shm_pool* pool = wl_shm_create_pool(output.shm, fd, static_cast<std::int32_t>(size));
            wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, capture.width, capture.height, capture.stride,
                                                          capture.format);
            wl_shm_pool_destroy(pool);
            zwlr_screencopy_frame_v1_copy(frame, buffer);
            if (DispatchUntil(output.display, [&] { return capture.ready || capture.failed; }, kCaptureWaitMs) &&
                capture.ready) {
                const std::int32_t w = std::min(width, std::min(capture.width, dst.width));
                const std::int32_t h = std::min(height, std::min(capture.height, dst.height));
                const auto* base = static_cast<const std::uint8_t*>(memory);
                for (std::int32_t y = 0; y < h; ++y) {
                    const std::int32_t from = capture.y_invert ? capture.height - 1 - y : y;
                    const auto* src = reinterpret_cast<const std::uint32_t*>(base + static_cast<std::size_t>(from) *
                                                                                        static_cast<std::size_t>(capture.stride));
                    std::uint32_t* out = dst.pixels + static_cast<std::ptrdiff_t>(y) * dst.stride;
                    for (std::int32_t x = 0; x < w; ++x) {
                        const std::uint32_t p = src[x];
                        out[x] = swap ? ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu)
                                      : p & 0x00FFFFFFu;
                    }
                }
                copied = true;
            }
            wl_buffer_destroy(buffer);
            munmap(memory, size);
        }
        if (fd >= 0) close(fd);
    }
    zwlr_screencopy_frame_v1_destroy(frame);
    return copied;
}

WaylandPlatform::WaylandPlatform(OutputSurface& output, std::string command_line)
    : output_(output), command_line_(std::move(command_line)) {}

WaylandPlatform::~WaylandPlatform() {
    if (loaded_) UnloadSaverWindow();
}

std::string WaylandPlatform::SettingsFolder() { return linux_program::SettingsFolder(); }

ScreenMetrics WaylandPlatform::Screen() {
    return ScreenMetrics{static_cast<float>(output_.width) * kTwipsPerPixel,
                         static_cast<float>(output_.height) * kTwipsPerPixel, kTwipsPerPixel, kTwipsPerPixel};
}

std::uint64_t WaylandPlatform::ClockReading() {
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

std::int32_t WaylandPlatform::ProfileGetInt(std::string_view section, std::string_view key, std::int32_t fallback,
                                            const std::string& path) {
    return ReadProfileInt(section, key, fallback, path);
}

bool WaylandPlatform::ProfileWriteStrings(std::string_view section, std::span<const ProfileEntry> entries,
                                          const std::string& path) {
    // Only the settings dialog saves, and it runs on X11; kept whole all the same.
    return SaveProfileStrings(section, entries, path, "\n");
}

SurfaceHandle WaylandPlatform::CreateSurface(std::int32_t width, std::int32_t height) {
    return surfaces_.Create(width, height);
}

SurfaceHandle WaylandPlatform::CreateSurfaceFrom(PixelView pixels) { return surfaces_.CreateFrom(pixels); }

void WaylandPlatform::DestroySurface(SurfaceHandle surface) {
    if (surface == frame_) {
        DropBufferSurfaces();
        frame_ = 0;
    }
    surfaces_.Destroy(surface);
}

SurfaceHandle WaylandPlatform::Target(SurfaceHandle surface) {
    if (surface != frame_ || !buffers_.allocated()) return surface;
    // The frame is a buffer the compositor does not hold; 0 (no surface:
    // the blit does nothing) while it holds both, which the core learns
    // from SaverFrameVisible before it draws.
    const std::size_t buffer = buffers_.Draw();
    if (buffer == BufferLedger::kNone) return 0;
    if (buffer_surfaces_[buffer] == 0) buffer_surfaces_[buffer] = surfaces_.Adopt(buffers_.pixels(buffer));
    return buffer_surfaces_[buffer];
}

void WaylandPlatform::DropBufferSurfaces() {
    for (SurfaceHandle& surface : buffer_surfaces_) {
        if (surface != 0 && surface != frame_) surfaces_.Destroy(surface);
        surface = 0;
    }
}

void WaylandPlatform::BitBlt(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width,
                             std::int32_t height, SurfaceHandle src, std::int32_t sx, std::int32_t sy, RasterOp op) {
    // Drawing into the frame draws into a buffer the compositor does not hold.
    surfaces_.Blit(Target(dst), dx, dy, width, height, Target(src), sx, sy, op);
}

void WaylandPlatform::CopyDesktop(SurfaceHandle dst, std::int32_t width, std::int32_t height) {
    const PixelSpan* target = surfaces_.Find(dst);
    if (target == nullptr || output_.no_desktop) return;
    // Taken while the surface has no buffer, so the picture never holds the saver.
    // Said once for the run, however many outputs go without.
    static bool told = false;
    if (!CaptureOutput(output_, *target, width, height) && !told) {
        told = true;
        std::fprintf(stderr, "nyamo: the compositor %s no picture of the output (screencopy); the kittens walk over black\n",
                     output_.screencopy == nullptr ? "offers" : "gave");
    }
}

void WaylandPlatform::LoadSaverWindow(std::string_view /*caption*/, std::int32_t timer_ms) {
    loaded_ = output_.layer != nullptr;
    SetTimerInterval(timer_ms);
}

SurfaceHandle WaylandPlatform::CreateSaverFrame(std::int32_t width, std::int32_t height) {
    // The frame is the output's wl_shm buffers themselves: its handle names
    // the first, and drawing goes to whichever the compositor does not hold
    // (Target). Where they cannot be had, a surface of its own that nothing shows.
    if (!loaded_ || width != output_.width || height != output_.height ||
        !buffers_.Allocate(output_.shm, width, height)) {
        const SurfaceHandle frame = surfaces_.Create(width, height);
        if (loaded_) frame_ = frame;
        return frame;
    }
    frame_ = buffer_surfaces_[0] = surfaces_.Adopt(buffers_.pixels(0));
    return frame_;
}

void WaylandPlatform::PresentSaverFrame(SurfaceHandle src, std::span<const Rect> areas) {
    if (!loaded_ || src != frame_) return;
    buffers_.Damage(areas);
    if (shown_) Flush();
}

bool WaylandPlatform::SaverFrameVisible() {
    if (!loaded_ || !shown_ || !buffers_.allocated()) return true;
    // Frame events stopped: the output is off or the surface covered. The
    // core then draws nothing, and draws the whole frame once they come back.
    if (buffers_.Unseen()) return false;
    // A frame must have a buffer to go in (the loop ticks only when one is
    // free); with none, the core draws the whole frame at the next tick.
    return buffers_.Draw() != BufferLedger::kNone;
}

void WaylandPlatform::ShowSaverWindow() {
    // Shown once, with the first frame (whole), which maps the surface; the
    // layer surface takes the keyboard as it maps.
    if (!loaded_ || frame_ == 0 || shown_) return;
    shown_ = true;
    Flush();
}

void WaylandPlatform::Retry() {
    if (buffers_.TakeRetry() && shown_) Flush();
}

void WaylandPlatform::Flush() {
    if (output_.surface == nullptr) return;
    // The blits still held (a mask waiting for its colour) land before the commit.
    surfaces_.Find(frame_);
    buffers_.Flush(output_.surface);
}

void WaylandPlatform::UnloadSaverWindow() {
    if (!loaded_) return;
    loaded_ = false;
    shown_ = false;
    timer_.Stop();
    // The surface goes first, so the compositor holds no buffer that goes.
    if (output_.layer != nullptr) zwlr_layer_surface_v1_destroy(output_.layer);
    if (output_.surface != nullptr) wl_surface_destroy(output_.surface);
    output_.layer = nullptr;
    output_.surface = nullptr;
    // The buffers' memory goes: so do the surfaces over it (the frame's
    // handle then names nothing, and the core's DestroySurface of it does nothing).
    DropBufferSurfaces();
    if (frame_ != 0 && surfaces_.FindOwned(frame_) == nullptr) surfaces_.Destroy(frame_);
    buffers_.Release();
    wl_display_flush(output_.display);
}

void WaylandPlatform::ShowError(std::string_view caption, std::string_view text) {
    std::fprintf(stderr, "nyamo: %.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
}

}  // namespace nyamo::wayland
