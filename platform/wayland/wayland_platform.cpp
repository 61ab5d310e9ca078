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
    surfaces_.Destroy(surface);
    if (surface == frame_) frame_ = 0;
}

void WaylandPlatform::BitBlt(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width,
                             std::int32_t height, SurfaceHandle src, std::int32_t sx, std::int32_t sy, RasterOp op) {
    // The frame is ours alone (the buffers get copies): no wait before writing.
    surfaces_.Blit(dst, dx, dy, width, height, src, sx, sy, op);
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
    const SurfaceHandle frame = surfaces_.Create(width, height);
    if (loaded_) {
        frame_ = frame;
        if (width == output_.width && height == output_.height && buffers_.Allocate(output_.shm, width, height))
            buffers_.DamageAll();
    }
    return frame;
}

void WaylandPlatform::PresentSaverFrame(SurfaceHandle src, std::span<const Rect> areas) {
    if (!loaded_ || src != frame_) return;
    buffers_.Damage(areas);
    if (shown_) Flush();
}

void WaylandPlatform::ShowSaverWindow() {
    // Shown once, with the first frame, which maps the surface; the layer
    // surface takes the keyboard as it maps.
    if (!loaded_ || frame_ == 0 || shown_) return;
    shown_ = true;
    buffers_.DamageAll();
    Flush();
}

void WaylandPlatform::Retry() {
    if (buffers_.TakeRetry() && shown_) Flush();
}

void WaylandPlatform::Flush() {
    const PixelSpan* frame = surfaces_.Find(frame_);
    if (frame == nullptr || output_.surface == nullptr) return;
    buffers_.Flush(output_.surface, frame->view());
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
    buffers_.Release();
    wl_display_flush(output_.display);
}

void WaylandPlatform::ShowError(std::string_view caption, std::string_view text) {
    std::fprintf(stderr, "nyamo: %.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
}

}  // namespace nyamo::wayland
