// What the Wayland program holds: its outputs, each with a layer surface,
// a platform and an App, its seats, and the globals they all use.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/app.h"
#include "platform/wayland/input_rules.h"
#include "platform/wayland/layer_shell.h"
#include "platform/wayland/wayland_platform.h"
#include "viewporter-client.h"

namespace nyamo::wayland {

// What an output was as the saver started on it.
struct OutputShape {
    std::int32_t mode_width = 0, mode_height = 0, scale = 1, transform = 0;
    bool operator==(const OutputShape&) const = default;
};

struct Output {
    std::uint32_t global = 0;
    OutputSurface surface;
    std::unique_ptr<WaylandPlatform> platform;
    std::unique_ptr<App> app;
    bool configured = false;
    std::uint32_t configured_width = 0, configured_height = 0;
    // Set once the saver runs on it: a new mode, scale or turn from then on
    // leaves the kittens sized to what the output no longer is (sway 1.7
    // keeps an unscaled surface where part of the session may show).
    std::optional<OutputShape> started_as;
    bool changed = false;
    // A frame callback asked for once the saver started: when it comes
    // back, the compositor draws the saver on this output. A locked
    // session draws only its lock, and it never comes.
    wl_callback* shown_callback = nullptr;
    bool shown = false;

    OutputShape Shape() const {
        return {surface.mode_width, surface.mode_height, surface.scale, surface.transform};
    }
};

struct Session;

// One seat and its devices, each made while the seat has it and released
// when it goes (a mouse that sleeps, a keyboard behind a KVM switch).
struct Seat {
    Session* session = nullptr;
    std::uint32_t global = 0;
    wl_seat* seat = nullptr;
    wl_pointer* pointer = nullptr;
    wl_keyboard* keyboard = nullptr;
    wl_touch* touch = nullptr;
    SeatInput input;
};

struct Session {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* layer_shell = nullptr;
    zwlr_screencopy_manager_v1* screencopy = nullptr;
    ext_image_copy_capture_manager_v1* image_copy = nullptr;
    ext_output_image_capture_source_manager_v1* output_sources = nullptr;
    wp_viewporter* viewporter = nullptr;
    std::vector<std::unique_ptr<Seat>> seats;
    std::vector<std::unique_ptr<Output>> outputs;
    bool background = false;
    // The surfaces are made: an output that comes or goes from now on
    // would show the session beside the kittens.
    bool started = false;
    // Input that ends the saver on every output.
    bool end = false;

    bool Ours(const wl_surface* surface) const {
        for (const auto& output : outputs)
            if (surface != nullptr && output->surface.surface == surface) return true;
        return false;
    }
};

}  // namespace nyamo::wayland
