// The Wayland shell: the lock that keeps one saver, the globals, one layer
// surface and one App per output, the input that ends the saver, and the
// loop. The surfaces are made and configured before Main runs on each
// output, so that the core learns the output's size from Screen(); a
// surface maps only with its first frame, after the output's picture.
#include "platform/wayland/wayland_saver.h"

#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/main.h"
#include "ext-image-capture-source-v1-client.h"
#include "ext-image-copy-capture-v1-client.h"
#include "platform/linux/backend_choice.h"
#include "platform/wayland/wayland_dispatch.h"
#include "platform/wayland/wayland_platform.h"
#include "platform/wayland/layer_shell.h"
#include "viewporter-client.h"
#include "wlr-screencopy-unstable-v1-client.h"

namespace nyamo::wayland {

namespace {

struct Output {
    std::uint32_t global = 0;
    OutputSurface surface;
    std::unique_ptr<WaylandPlatform> platform;
    std::unique_ptr<App> app;
    bool configured = false;
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
    wl_seat* seat = nullptr;
    wl_pointer* pointer = nullptr;
    wl_keyboard* keyboard = nullptr;
    wl_touch* touch = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;
    bool background = false;
    // The surfaces are made: an output that comes or goes from now on
    // would show the session beside the kittens.
    bool started = false;
    // Input that ends the saver on every output.
    bool end = false;
    // Which of our surfaces the pointer entered last, and where (surface
    // coordinates); it stays known after the pointer left.
    bool pointer_in = false;
    const wl_surface* enter_surface = nullptr;
    double enter_x = 0, enter_y = 0;
    // The keyboard left our surfaces and no enter on another of ours came
    // with it: another surface has it.
    bool keyboard_lost = false;

    bool Ours(const wl_surface* surface) const {
        for (const auto& output : outputs)
            if (surface != nullptr && output->surface.surface == surface) return true;
        return false;
    }
};

// --- Outputs -------------------------------------------------------------------

void OutputGeometry(void* data, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    const char*, const char*, std::int32_t transform) {
    static_cast<Output*>(data)->surface.transform = transform;
}
void OutputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t) {
    if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
    static_cast<Output*>(data)->surface.mode_width = width;
    static_cast<Output*>(data)->surface.mode_height = height;
}
void OutputDone(void*, wl_output*) {}
void OutputScale(void* data, wl_output*, std::int32_t factor) {
    static_cast<Output*>(data)->surface.scale = factor > 0 ? factor : 1;
}
// Version 4 names the output, as KWin's screenshot interface names it.
void OutputName(void* data, wl_output*, const char* name) { static_cast<Output*>(data)->surface.name = name; }
void OutputDescription(void*, wl_output*, const char*) {}
constexpr wl_output_listener kOutputListener{&OutputGeometry, &OutputMode, &OutputDone,
                                             &OutputScale,    &OutputName, &OutputDescription};

// --- Layer surfaces ------------------------------------------------------------

void LayerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                    std::uint32_t height) {
    auto* output = static_cast<Output*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    // The size is the output's; it stays for the run. A size of zero is the
    // compositor's to choose: the next configure brings it.
    if (output->configured || width == 0 || height == 0) return;
    output->configured = true;
    OutputSurface& o = output->surface;
    if (o.viewport != nullptr && o.mode_width > 0 && o.mode_height > 0 && width > 0 && height > 0) {
        // The mode is the panel's; a turned output shows it on its side.
        const bool turned = (o.transform & 1) != 0;
        o.width = turned ? o.mode_height : o.mode_width;
        o.height = turned ? o.mode_width : o.mode_height;
        wp_viewport_set_destination(o.viewport, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
        return;
    }
    // The buffer is in the output's device pixels: surface size times scale.
    wl_surface_set_buffer_scale(o.surface, o.scale);
    o.width = static_cast<std::int32_t>(width) * o.scale;
    o.height = static_cast<std::int32_t>(height) * o.scale;
}
void LayerClosed(void* data, zwlr_layer_surface_v1*) { static_cast<Output*>(data)->surface.closed = true; }
constexpr zwlr_layer_surface_v1_listener kLayerListener{&LayerConfigure, &LayerClosed};

// --- Input ---------------------------------------------------------------------

// One pixel or more from where it came in, in surface units: what the
// pointer moves by on every output, whatever its scale.
bool MovedFromEnter(const Session& s, wl_fixed_t x, wl_fixed_t y) {
    return std::fabs(wl_fixed_to_double(x) - s.enter_x) >= 1.0 || std::fabs(wl_fixed_to_double(y) - s.enter_y) >= 1.0;
}

void PointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
                  wl_fixed_t y) {
    auto* s = static_cast<Session*>(data);
    if (!s->Ours(surface)) return;
    // Coming back after leaving one of ours is a move when it comes in on
    // another output or elsewhere on this one. A compositor that rearranges
    // its outputs (one unplugged, say) sends a leave and an enter at the very
    // same place, and that is nobody's hand.
    if (s->enter_surface != nullptr && (surface != s->enter_surface || MovedFromEnter(*s, x, y))) s->end = true;
    s->pointer_in = true;
    s->enter_surface = surface;
    s->enter_x = wl_fixed_to_double(x);
    s->enter_y = wl_fixed_to_double(y);
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);  // no pointer over the kittens
}
void PointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface* surface) {
    auto* s = static_cast<Session*>(data);
    if (!s->Ours(surface)) return;
    s->pointer_in = false;
}
void PointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
    auto* s = static_cast<Session*>(data);
    if (s->pointer_in && MovedFromEnter(*s, x, y)) s->end = true;
}
void PointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
    if (state == WL_POINTER_BUTTON_STATE_PRESSED) static_cast<Session*>(data)->end = true;
}
void PointerAxis(void* data, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {
    static_cast<Session*>(data)->end = true;
}
void PointerFrame(void*, wl_pointer*) {}
void PointerAxisSource(void*, wl_pointer*, std::uint32_t) {}
void PointerAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void PointerAxisDiscrete(void* data, wl_pointer*, std::uint32_t, std::int32_t) {
    static_cast<Session*>(data)->end = true;
}
// Named members, the rest zero: newer libwayland versions add events at the
// end (axis_value120, axis_relative_direction) that the seat version bound
// here never sends.
const wl_pointer_listener kPointerListener = [] {
    wl_pointer_listener listener{};
    listener.enter = &PointerEnter;
    listener.leave = &PointerLeave;
    listener.motion = &PointerMotion;
    listener.button = &PointerButton;
    listener.axis = &PointerAxis;
    listener.frame = &PointerFrame;
    listener.axis_source = &PointerAxisSource;
    listener.axis_stop = &PointerAxisStop;
    listener.axis_discrete = &PointerAxisDiscrete;
    return listener;
}();

void KeyboardKeymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); }
void KeyboardEnter(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
    auto* s = static_cast<Session*>(data);
    if (s->Ours(surface)) s->keyboard_lost = false;
}
void KeyboardLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface) {
    auto* s = static_cast<Session*>(data);
    if (s->Ours(surface)) s->keyboard_lost = true;
}
void KeyboardKey(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED) static_cast<Session*>(data)->end = true;
}
void KeyboardModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                       std::uint32_t) {}
void KeyboardRepeat(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
constexpr wl_keyboard_listener kKeyboardListener{&KeyboardKeymap, &KeyboardEnter,     &KeyboardLeave,
                                                 &KeyboardKey,    &KeyboardModifiers, &KeyboardRepeat};

void TouchDown(void* data, wl_touch*, std::uint32_t, std::uint32_t, wl_surface*, std::int32_t, wl_fixed_t,
               wl_fixed_t) {
    static_cast<Session*>(data)->end = true;
}
void TouchUp(void*, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t) {}
void TouchMotion(void*, wl_touch*, std::uint32_t, std::int32_t, wl_fixed_t, wl_fixed_t) {}
void TouchFrame(void*, wl_touch*) {}
void TouchCancel(void*, wl_touch*) {}
void TouchShape(void*, wl_touch*, std::int32_t, wl_fixed_t, wl_fixed_t) {}
void TouchOrientation(void*, wl_touch*, std::int32_t, wl_fixed_t) {}
constexpr wl_touch_listener kTouchListener{&TouchDown,   &TouchUp,    &TouchMotion,     &TouchFrame,
                                           &TouchCancel, &TouchShape, &TouchOrientation};

void SeatCapabilities(void* data, wl_seat* seat, std::uint32_t caps) {
    auto* s = static_cast<Session*>(data);
    if (s->background) return;  // the lock screen's background takes no input
    if ((caps & WL_SEAT_CAPABILITY_POINTER) != 0 && s->pointer == nullptr) {
        s->pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(s->pointer, &kPointerListener, s);
    }
    if ((caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0 && s->keyboard == nullptr) {
        s->keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(s->keyboard, &kKeyboardListener, s);
    }
    if ((caps & WL_SEAT_CAPABILITY_TOUCH) != 0 && s->touch == nullptr) {
        s->touch = wl_seat_get_touch(seat);
        wl_touch_add_listener(s->touch, &kTouchListener, s);
    }
}
void SeatName(void*, wl_seat*, const char*) {}
constexpr wl_seat_listener kSeatListener{&SeatCapabilities, &SeatName};

// --- Globals -------------------------------------------------------------------

void RegistryGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                    std::uint32_t version) {
    auto* s = static_cast<Session*>(data);
    const auto bind = [&](const wl_interface* type, std::uint32_t most) {
        return wl_registry_bind(registry, name, type, std::min(version, most));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        s->compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        s->shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
        s->layer_shell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 3));
    } else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0) {
        s->screencopy = static_cast<zwlr_screencopy_manager_v1*>(bind(&zwlr_screencopy_manager_v1_interface, 3));
    } else if (std::strcmp(interface, ext_image_copy_capture_manager_v1_interface.name) == 0) {
        s->image_copy =
            static_cast<ext_image_copy_capture_manager_v1*>(bind(&ext_image_copy_capture_manager_v1_interface, 1));
    } else if (std::strcmp(interface, ext_output_image_capture_source_manager_v1_interface.name) == 0) {
        s->output_sources = static_cast<ext_output_image_capture_source_manager_v1*>(
            bind(&ext_output_image_capture_source_manager_v1_interface, 1));
    } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0) {
        s->viewporter = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && s->seat == nullptr) {
        s->seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
        wl_seat_add_listener(s->seat, &kSeatListener, s);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        // A new screen ends the saver, as a changed screen ends it on X11.
        if (s->started) {
            if (!s->background) s->end = true;
            return;
        }
        auto output = std::make_unique<Output>();
        output->global = name;
        output->surface.output = static_cast<wl_output*>(bind(&wl_output_interface, 4));
        wl_output_add_listener(output->surface.output, &kOutputListener, output.get());
        s->outputs.push_back(std::move(output));
    }
}
void RegistryRemove(void* data, wl_registry*, std::uint32_t name) {
    // An output that goes changes the screens, as a new one does; its
    // surface is closed too.
    auto* s = static_cast<Session*>(data);
    for (const auto& output : s->outputs)
        if (output->global == name && !s->background) s->end = true;
}
constexpr wl_registry_listener kRegistryListener{&RegistryGlobal, &RegistryRemove};

// --- One instance --------------------------------------------------------------

// -1: another saver holds the lock. Otherwise the lock's descriptor (or -2
// when there is no runtime folder to hold one), kept open until the exit:
// the kernel lets the lock go with the process, however it ends.
int TakeLock() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] != '/') {
        std::fprintf(stderr, "nyamo: XDG_RUNTIME_DIR is not set; a second saver cannot be kept from starting\n");
        return -2;
    }
    const std::string path = std::string(runtime) + "/nyamo.lock";
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::fprintf(stderr, "nyamo: cannot open the lock %s: %s\n", path.c_str(), std::strerror(errno));
        return -2;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        if (errno == EWOULDBLOCK) {
            std::fprintf(stderr, "nyamo: a saver already runs (it holds %s)\n", path.c_str());
            return -1;
        }
        std::fprintf(stderr, "nyamo: cannot lock %s: %s\n", path.c_str(), std::strerror(errno));
        return -2;
    }
    return fd;
}

void Disconnect(Session& s) {
    for (auto& output : s.outputs) {
        output->app.reset();
        output->platform.reset();
        if (output->surface.viewport != nullptr) wp_viewport_destroy(output->surface.viewport);
        if (output->surface.layer != nullptr) zwlr_layer_surface_v1_destroy(output->surface.layer);
        if (output->surface.surface != nullptr) wl_surface_destroy(output->surface.surface);
        if (output->surface.output != nullptr) wl_output_destroy(output->surface.output);
    }
    s.outputs.clear();
    if (s.pointer != nullptr) wl_pointer_destroy(s.pointer);
    if (s.keyboard != nullptr) wl_keyboard_destroy(s.keyboard);
    if (s.touch != nullptr) wl_touch_destroy(s.touch);
    if (s.seat != nullptr) wl_seat_destroy(s.seat);
    if (s.screencopy != nullptr) zwlr_screencopy_manager_v1_destroy(s.screencopy);
    if (s.image_copy != nullptr) ext_image_copy_capture_manager_v1_destroy(s.image_copy);
    if (s.output_sources != nullptr) ext_output_image_capture_source_manager_v1_destroy(s.output_sources);
    if (s.viewporter != nullptr) wp_viewporter_destroy(s.viewporter);
    if (s.layer_shell != nullptr) zwlr_layer_shell_v1_destroy(s.layer_shell);
    if (s.shm != nullptr) wl_shm_destroy(s.shm);
    if (s.compositor != nullptr) wl_compositor_destroy(s.compositor);
    if (s.registry != nullptr) wl_registry_destroy(s.registry);
    wl_display_disconnect(s.display);
}

// Start-up waits for every output's first configure with a size: some
// compositors (KWin 6) send it only after the round trip that made the
// surfaces. An output left uncovered would show the session, so a surface
// that gets no size in time, or is closed, ends the start with one line.
constexpr int kConfigureWaitMs = 2000;
bool AwaitSurfaceSizes(Session& s) {
    const auto settled = [&] {
        for (const auto& output : s.outputs)
            if (!output->configured && !output->surface.closed) return false;
        return true;
    };
    const bool answered = DispatchUntil(s.display, settled, kConfigureWaitMs);
    for (const auto& output : s.outputs) {
        if (output->configured && !output->surface.closed) continue;
        const std::string name =
            output->surface.name.empty() ? "#" + std::to_string(output->global) : output->surface.name;
        std::fprintf(stderr, "nyamo: the compositor %s the saver's surface on output %s; nothing is shown\n",
                     !answered && !output->surface.closed ? "gave no size within 2 s to" : "closed", name.c_str());
        return false;
    }
    return true;
}

bool AnySaverLoaded(const Session& s) {
    for (const auto& output : s.outputs)
        if (output->platform && output->platform->SaverLoaded()) return true;
    return false;
}

// The loop: Wayland events, the ticks of every output's timer and the
// signals, until no output's saver is left. Nothing in it waits for the
// compositor: requests go out with wl_display_flush, events come in as the
// socket has them.
void RunLoop(Session& s, int signals) {
    const int fd = wl_display_get_fd(s.display);
    while (AnySaverLoaded(s)) {
        while (wl_display_prepare_read(s.display) != 0) wl_display_dispatch_pending(s.display);
        wl_display_flush(s.display);
        int timeout = -1;
        for (const auto& output : s.outputs) {
            // An output whose buffers the compositor holds both ticks when one comes back.
            if (!output->platform || !output->platform->SaverLoaded() || !output->platform->CanDraw()) continue;
            const int left = output->platform->timer().MillisecondsLeft();
            if (left >= 0 && (timeout < 0 || left < timeout)) timeout = left;
        }
        pollfd watch[2]{{fd, POLLIN, 0}, {signals, POLLIN, 0}};
        const int ready = poll(watch, signals >= 0 ? 2 : 1, timeout);
        if (ready > 0 && (watch[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
            if (wl_display_read_events(s.display) < 0) return;  // the compositor went
        } else {
            wl_display_cancel_read(s.display);
        }
        if (wl_display_dispatch_pending(s.display) < 0) return;
        bool stop = false;
        if (signals >= 0 && (watch[1].revents & POLLIN) != 0) {
            signalfd_siginfo info{};
            if (read(signals, &info, sizeof info) > 0) stop = true;
        }
        const bool end = stop || (!s.background && (s.end || s.keyboard_lost));
        for (const auto& output : s.outputs) {
            WaylandPlatform* platform = output->platform.get();
            if (platform == nullptr || !platform->SaverLoaded()) continue;
            // A closed surface ends the saver everywhere, as nothing must
            // show the session; the background just loses that output.
            if (end || output->surface.closed) {
                if (output->surface.closed && !s.background) s.end = true;
                Deliver([&] { Form_Click(*output->app); });
                continue;
            }
            platform->Retry();
            if (platform->CanDraw() && platform->timer().TakeDueTick()) Deliver([&] { Timer1_Timer(*output->app); });
        }
        if (s.end && !s.background)
            for (const auto& output : s.outputs)
                if (output->platform && output->platform->SaverLoaded()) Deliver([&] { Form_Click(*output->app); });
    }
    wl_display_flush(s.display);
}

}  // namespace

int RunSaver(const std::vector<std::string>& args, bool background) {
    int lock = -2;
    if (!background) {
        lock = TakeLock();
        if (lock == -1) return 0;
    }
    Session s;
    s.background = background;
    s.display = wl_display_connect(nullptr);
    if (s.display == nullptr) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        std::fprintf(stderr, "nyamo: cannot connect to the Wayland display %s\n", name != nullptr ? name : "wayland-0");
        return 1;
    }
    s.registry = wl_display_get_registry(s.display);
    wl_registry_add_listener(s.registry, &kRegistryListener, &s);
    // Start-up: the globals, then each output's scale and the seat's devices.
    wl_display_roundtrip(s.display);
    wl_display_roundtrip(s.display);
    if (s.layer_shell == nullptr || s.compositor == nullptr || s.shm == nullptr) {
        std::fprintf(stderr,
                     "nyamo: this Wayland compositor offers no layer-shell (zwlr_layer_shell_v1%s), which the saver "
                     "needs; GNOME has none\n",
                     s.compositor == nullptr || s.shm == nullptr ? ", or no wl_compositor or wl_shm" : "");
        Disconnect(s);
        return 1;
    }
    if (s.outputs.empty()) {
        std::fprintf(stderr, "nyamo: the Wayland compositor has no output to show the saver on\n");
        Disconnect(s);
        return 1;
    }
    // One surface per output, configured but without a buffer: unmapped,
    // so that the pictures the platforms take next never hold the saver.
    for (auto& output : s.outputs) {
        OutputSurface& o = output->surface;
        o.display = s.display;
        o.shm = s.shm;
        o.screencopy = s.screencopy;
        o.image_copy = s.image_copy;
        o.output_sources = s.output_sources;
        o.no_desktop = background;
        o.surface = wl_compositor_create_surface(s.compositor);
        o.layer = zwlr_layer_shell_v1_get_layer_surface(
            s.layer_shell, o.surface, o.output,
            background ? ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "nyamo");
        zwlr_layer_surface_v1_set_anchor(o.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                      ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                      ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        zwlr_layer_surface_v1_set_exclusive_zone(o.layer, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(o.layer, background ? 0 : 1);
        if (background) {
            // An empty input region: clicks go to whatever is below.
            wl_region* none = wl_compositor_create_region(s.compositor);
            wl_surface_set_input_region(o.surface, none);
            wl_region_destroy(none);
        }
        if (s.viewporter != nullptr) o.viewport = wp_viewporter_get_viewport(s.viewporter, o.surface);
        zwlr_layer_surface_v1_add_listener(o.layer, &kLayerListener, output.get());
        wl_surface_commit(o.surface);
    }
    if (!AwaitSurfaceSizes(s)) {
        Disconnect(s);
        if (lock >= 0) close(lock);
        return 1;
    }
    s.started = true;

    const std::string command_line = linux_program::JoinArguments(background ? std::vector<std::string>{"/s"} : args);
    for (auto& output : s.outputs) {
        if (!output->configured || output->surface.width <= 0 || output->surface.height <= 0) continue;
        output->platform = std::make_unique<WaylandPlatform>(output->surface, command_line);
        output->app = std::make_unique<App>(*output->platform);
        MainOutcome outcome = MainOutcome::Ignored;
        Deliver([&] { outcome = Main(*output->app); });
        if (outcome != MainOutcome::SaverStarted) {
            // Not the saver (a switch other than /s): nothing to run here.
            Disconnect(s);
            return 0;
        }
    }
    // Start-up decodes pictures and frees them again; glibc keeps such freed
    // memory in the heap unless asked, and the saver then lives for hours.
    malloc_trim(0);

    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    const int signals = signalfd(-1, &mask, SFD_CLOEXEC | SFD_NONBLOCK);
    RunLoop(s, signals);
    if (signals >= 0) close(signals);
    Disconnect(s);
    if (lock >= 0) close(lock);
    return 0;
}

}  // namespace nyamo::wayland
