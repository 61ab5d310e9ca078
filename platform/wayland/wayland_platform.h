// The Wayland backend of the seam: one WaylandPlatform, with an App of its
// own, for each output. Its saver window is the output's layer-shell
// surface, which the program (wayland_program.cpp) makes and configures before
// Main runs, so that the core learns the output's size from Screen().
//
// Implemented:
// - System: the command line the program gives ("/s"), the Linux
//   program's settings folder, screen metrics of the output in device
//   pixels at 15 twips a pixel, a monotonic clock, profile files through the
//   portable reader and writer;
// - SaverFrames: surfaces in memory, composed with the software blitter;
//   the desktop from the compositor's picture of the output
//   (output_capture.h), taken before the surface shows (black, with one
//   line on stderr, where the compositor offers none or refuses); the two
//   wl_shm buffers (wayland_buffers.h), which are also the frame; the timer;
// - SaverWindow: the layer surface.
// Not offered: SaverDesktop (the compositor places the layer surface above
// everything, and input is the program's, which ends every output's saver
// at once); OtherWindows (one instance is the program's lock in
// $XDG_RUNTIME_DIR); the preview and the settings dialog, which no Wayland
// host needs (the X11 backend shows both, through XWayland).
#pragma once

#include <wayland-client.h>

#include <array>
#include <cstdint>
#include <string>

#include "platform/common/loop_support.h"
#include "platform/common/surface_table.h"
#include "platform/platform.h"
#include "platform/wayland/wayland_buffers.h"

struct zwlr_layer_surface_v1;
struct wp_viewport;
struct zwlr_screencopy_manager_v1;
struct ext_image_copy_capture_manager_v1;
struct ext_output_image_capture_source_manager_v1;

namespace nyamo::wayland {

// What the program knows of one output and of the globals every output uses.
struct OutputSurface {
    wl_display* display = nullptr;
    wl_shm* shm = nullptr;
    wl_output* output = nullptr;
    // The ways to the output's picture; null where not offered.
    zwlr_screencopy_manager_v1* screencopy = nullptr;
    ext_image_copy_capture_manager_v1* image_copy = nullptr;
    ext_output_image_capture_source_manager_v1* output_sources = nullptr;
    std::string name;  // wl_output's name (version 4), empty before
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    std::int32_t scale = 1;  // wl_output's whole-number scale
    // The output's current mode and how it is turned (wl_output.transform).
    std::int32_t mode_width = 0, mode_height = 0, transform = 0;
    // Where the compositor offers wp_viewporter: the buffer is sized to the
    // output's device pixels and shown at the surface's size, which is right
    // at fractional scales too. Without it the buffer is the surface size
    // times the whole-number scale.
    wp_viewport* viewport = nullptr;
    // The configured size in device pixels.
    std::int32_t width = 0, height = 0;
    bool closed = false;
    // Black instead of the output's picture (the lock-screen background).
    bool no_desktop = false;
};

class WaylandPlatform : public System, public SaverFrames, public SaverWindow {
public:
    WaylandPlatform(OutputSurface& output, std::string command_line);
    ~WaylandPlatform() override;
    WaylandPlatform(const WaylandPlatform&) = delete;
    WaylandPlatform& operator=(const WaylandPlatform&) = delete;

    // What the output's App runs on.
    Platform roles() { return {.system = *this, .frames = *this, .saver_window = this}; }

    // --- For the program's loop ------------------------------------------------
    bool SaverLoaded() const { return loaded_; }
    TickTimer& timer() { return timer_; }
    // A buffer came back or the compositor caught up: send a frame held back.
    void Retry();
    // Whether a tick can draw now: false while the compositor holds both
    // buffers; the tick then waits for one to come back.
    bool CanDraw() const { return !buffers_.allocated() || buffers_.CanDraw(); }

    // --- System ----------------------------------------------------------------
    std::string CommandLine() override { return command_line_; }
    std::string SettingsFolder() override;
    char PathSeparator() override { return '/'; }
    ScreenMetrics Screen() override;
    std::uint64_t ClockReading() override;
    std::int32_t ProfileGetInt(std::string_view section, std::string_view key, std::int32_t fallback,
                               const std::string& path) override;
    bool ProfileWriteStrings(std::string_view section, std::span<const ProfileEntry> entries,
                             const std::string& path) override;
    // --- SaverFrames -----------------------------------------------------------
    SurfaceHandle CreateSurface(std::int32_t width, std::int32_t height) override;
    SurfaceHandle CreateSurfaceFrom(PixelView pixels) override;
    void DestroySurface(SurfaceHandle surface) override;
    void BitBlt(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width, std::int32_t height,
                SurfaceHandle src, std::int32_t sx, std::int32_t sy, RasterOp op) override;
    void CopyDesktop(SurfaceHandle dst, std::int32_t width, std::int32_t height) override;
    SurfaceHandle CreateSaverFrame(std::int32_t width, std::int32_t height) override;
    void PresentSaverFrame(SurfaceHandle src, std::span<const Rect> areas) override;
    bool SaverFrameVisible() override;
    void SetTimerInterval(std::int32_t milliseconds) override { timer_.Start(milliseconds); }
    // --- SaverWindow -----------------------------------------------------------
    void LoadSaverWindow(std::string_view caption, std::int32_t timer_ms) override;
    void ShowSaverWindow() override;
    void UnloadSaverWindow() override;

private:
    void Flush();
    // The surface a blit draws in: for the frame, the buffer to draw in.
    SurfaceHandle Target(SurfaceHandle surface);
    void DropBufferSurfaces();

    OutputSurface& output_;
    std::string command_line_;
    SurfaceTable surfaces_;
    OutputBuffers buffers_;
    SurfaceHandle frame_ = 0;
    // A surface over each buffer's pixels, made as it is first drawn in.
    std::array<SurfaceHandle, BufferLedger::kBuffers> buffer_surfaces_{};
    bool loaded_ = false;
    bool shown_ = false;
    TickTimer timer_;
};

}  // namespace nyamo::wayland
