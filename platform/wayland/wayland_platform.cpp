// The seam on one Wayland output: surfaces, the output's picture, and the
// frames that go to its layer surface.
#include "platform/wayland/wayland_platform.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "platform/common/profile_store.h"
#include "platform/linux/settings_folder.h"
#include "platform/wayland/layer_shell.h"
#include "platform/wayland/output_capture.h"

namespace nyamo::wayland {

namespace {

constexpr float kTwipsPerPixel = 15.0f;

}  // namespace

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
    return PosixProfileGetInt(section, key, fallback, path);
}

bool WaylandPlatform::ProfileWriteStrings(std::string_view section, std::span<const ProfileEntry> entries,
                                          const std::string& path) {
    // Only the settings dialog saves, and it runs on X11; kept whole all the same.
    return PosixProfileWriteStrings(section, entries, path, "\n");
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
    const std::string why = CaptureOutput(output_, *target, width, height);
    if (!why.empty() && !told) {
        told = true;
        std::fprintf(stderr, "nyamo: %s; the kittens walk over black\n", why.c_str());
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

}  // namespace nyamo::wayland
