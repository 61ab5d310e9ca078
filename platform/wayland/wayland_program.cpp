// The Wayland program: the lock that keeps one saver, the globals, one layer
// surface and one App per output, the input that ends the saver, and the
// loop. The surfaces are made and configured before Main runs on each
// output, so that the core learns the output's size from Screen(); a
// surface maps only with its first frame, after the output's picture.
#include "platform/wayland/wayland_program.h"

#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "app/main.h"
#include "ext-image-capture-source-v1-client.h"
#include "ext-image-copy-capture-v1-client.h"
#include "platform/linux/backend_choice.h"
#include "platform/linux/daemonize.h"
#include "platform/wayland/seat_devices.h"
#include "platform/wayland/wayland_dispatch.h"
#include "platform/wayland/layer_shell.h"
#include "viewporter-client.h"
#include "wlr-screencopy-unstable-v1-client.h"

namespace nyamo::wayland {

namespace {

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
void OutputDone(void* data, wl_output*) {
    auto* output = static_cast<Output*>(data);
    if (output->started_as && *output->started_as != output->Shape()) output->changed = true;
}
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
    if (output->configured) {
        // The kittens and the buffers keep the first size for the run: a
        // new one once they run leaves part of the output to the session.
        if (output->started_as && (width != output->configured_width || height != output->configured_height))
            output->changed = true;
        return;
    }
    // A size of zero is the compositor's to choose: the next configure brings it.
    if (width == 0 || height == 0) return;
    output->configured = true;
    output->configured_width = width;
    output->configured_height = height;
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

void Shown(void* data, wl_callback* callback, std::uint32_t) {
    auto* output = static_cast<Output*>(data);
    wl_callback_destroy(callback);
    output->shown_callback = nullptr;
    output->shown = true;
}
constexpr wl_callback_listener kShownListener{&Shown};

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
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0) {
        // Every seat, also one that comes while the saver runs: any hand on
        // any of them ends it.
        AddSeat(*s, static_cast<wl_seat*>(bind(&wl_seat_interface, 5)), name);
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
    for (auto seat = s->seats.begin(); seat != s->seats.end(); ++seat) {
        if ((*seat)->global != name) continue;
        ReleaseSeat(**seat);
        s->seats.erase(seat);
        break;
    }
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
        if (output->shown_callback != nullptr) wl_callback_destroy(output->shown_callback);
        output->app.reset();
        output->platform.reset();
        if (output->surface.viewport != nullptr) wp_viewport_destroy(output->surface.viewport);
        if (output->surface.layer != nullptr) zwlr_layer_surface_v1_destroy(output->surface.layer);
        if (output->surface.surface != nullptr) wl_surface_destroy(output->surface.surface);
        if (output->surface.output != nullptr) wl_output_destroy(output->surface.output);
    }
    s.outputs.clear();
    for (auto& seat : s.seats) ReleaseSeat(*seat);
    s.seats.clear();
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

// Why the connection to the compositor ended, in one line; status 1.
int LostDisplay(wl_display* display) {
    const int code = wl_display_get_error(display);
    if (code == EPROTO) {
        const wl_interface* interface = nullptr;
        std::uint32_t id = 0;
        const std::uint32_t error = wl_display_get_protocol_error(display, &interface, &id);
        std::fprintf(stderr, "nyamo: the compositor ended the connection: protocol error %u on %s@%u\n", error,
                     interface != nullptr ? interface->name : "the display", id);
    } else {
        std::fprintf(stderr, "nyamo: lost the Wayland compositor: %s\n", std::strerror(code != 0 ? code : EPIPE));
    }
    return 1;
}

// How long the compositor has to show the saver's surfaces and hand them
// the keyboard.
constexpr auto kShowLimit = std::chrono::milliseconds(1500);

// Whether the saver shows on every output it runs on.
bool EveryOutputShown(const Session& s) {
    for (const auto& output : s.outputs)
        if (output->platform && output->platform->SaverLoaded() && !output->shown) return false;
    return true;
}

// Once the saver shows everywhere, a start with --daemonize may return.
// True, with a line, when the saver must end (status 0): not shown by the
// limit (a locked session draws only its lock: sway 1.8 and later), or
// shown while no seat's keyboard came to it (sway 1.7's lock keeps them).
// It never runs unseen below a lock nor stays over one.
bool EndsUnseen(Session& s, std::chrono::steady_clock::time_point limit, bool& reported) {
    const bool shown = EveryOutputShown(s);
    if (shown && !reported) {
        reported = true;
        linux_program::ReportSaverShown();
    }
    if (std::chrono::steady_clock::now() < limit) return false;
    if (!shown) {
        std::fprintf(stderr, "nyamo: the compositor shows no saver (is the session locked?); the saver ends\n");
        return true;
    }
    bool keyboard = false, on_ours = false;
    for (const auto& seat : s.seats) {
        keyboard = keyboard || seat->input.HasKeyboard();
        on_ours = on_ours || seat->input.KeyboardOnOurs();
    }
    if (!keyboard || on_ours) return false;
    std::fprintf(stderr, "nyamo: another surface holds the keyboard (a lock screen?); the saver ends\n");
    return true;
}

// The loop: Wayland events, the ticks of every output's timer and the
// signals, until no output's saver is left. Nothing in it waits for the
// compositor: requests go out with wl_display_flush, events come in as the
// socket has them. 0 when the saver ended, 1 (and a line) when the
// connection did.
int RunLoop(Session& s, int signals) {
    const int fd = wl_display_get_fd(s.display);
    const auto show_limit = std::chrono::steady_clock::now() + kShowLimit;
    bool show_asked = s.background, reported = false;
    while (AnySaverLoaded(s)) {
        // A display with an error fails every dispatch: that ends the loop.
        while (wl_display_prepare_read(s.display) != 0)
            if (wl_display_dispatch_pending(s.display) < 0) return LostDisplay(s.display);
        // EAGAIN: the socket is full, the rest goes next time; EPIPE: the
        // compositor closed it, and the read below says why.
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
            if (wl_display_read_events(s.display) < 0) return LostDisplay(s.display);
        } else {
            wl_display_cancel_read(s.display);
        }
        if (wl_display_dispatch_pending(s.display) < 0) return LostDisplay(s.display);
        bool stop = false;
        if (signals >= 0 && (watch[1].revents & POLLIN) != 0) {
            signalfd_siginfo info{};
            if (read(signals, &info, sizeof info) > 0) stop = true;
        }
        if (!s.background) {
            for (const auto& seat : s.seats)
                if (seat->input.KeyboardTaken(NowMs())) s.end = true;
            for (const auto& output : s.outputs)
                if (output->changed || output->surface.closed) s.end = true;
            // Asked on every turn until the limit, and once at it.
            if (!show_asked) {
                if (EndsUnseen(s, show_limit, reported)) s.end = true;
                show_asked = std::chrono::steady_clock::now() >= show_limit;
            }
        }
        for (const auto& output : s.outputs) {
            WaylandPlatform* platform = output->platform.get();
            if (platform == nullptr || !platform->SaverLoaded()) continue;
            // A closed surface ends the saver everywhere, as nothing must
            // show the session; the background just loses that output.
            if (stop || s.end || output->surface.closed) {
                Deliver([&] { Form_Click(*output->app); });
                continue;
            }
            platform->Retry();
            if (platform->CanDraw() && platform->timer().TakeDueTick()) Deliver([&] { Timer1_Timer(*output->app); });
        }
    }
    wl_display_flush(s.display);
    return 0;
}

// The output's layer surface, configured but without a buffer: unmapped,
// so that the pictures the platforms take next never hold the saver.
void MakeLayerSurface(Session& s, Output& output) {
    OutputSurface& o = output.surface;
    o.display = s.display;
    o.shm = s.shm;
    o.screencopy = s.screencopy;
    o.image_copy = s.image_copy;
    o.output_sources = s.output_sources;
    o.no_desktop = s.background;
    o.surface = wl_compositor_create_surface(s.compositor);
    o.layer = zwlr_layer_shell_v1_get_layer_surface(
        s.layer_shell, o.surface, o.output,
        s.background ? ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "nyamo");
    zwlr_layer_surface_v1_set_anchor(o.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                  ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                  ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(o.layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(o.layer, s.background ? 0 : 1);
    if (s.background) {
        // An empty input region: clicks go to whatever is below.
        wl_region* none = wl_compositor_create_region(s.compositor);
        wl_surface_set_input_region(o.surface, none);
        wl_region_destroy(none);
    }
    if (s.viewporter != nullptr) o.viewport = wp_viewporter_get_viewport(s.viewporter, o.surface);
    zwlr_layer_surface_v1_add_listener(o.layer, &kLayerListener, &output);
    wl_surface_commit(o.surface);
}

// SIGTERM and SIGINT as a descriptor the loop polls, or -1 when there is
// none: then the signals keep their default and end the process.
int SignalDescriptor() {
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    const int signals = signalfd(-1, &mask, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signals < 0) sigprocmask(SIG_UNBLOCK, &mask, nullptr);
    return signals;
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
    if (wl_display_roundtrip(s.display) < 0 || wl_display_roundtrip(s.display) < 0) {
        const int status = LostDisplay(s.display);
        Disconnect(s);
        return status;
    }
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
    for (auto& output : s.outputs) MakeLayerSurface(s, *output);
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
        output->app = std::make_unique<App>(output->platform->roles());
        MainOutcome outcome = MainOutcome::Ignored;
        Deliver([&] { outcome = Main(*output->app); });
        if (outcome != MainOutcome::SaverStarted) {
            // Not the saver (a switch other than /s): nothing to run here.
            Disconnect(s);
            return 0;
        }
    }
    for (auto& output : s.outputs) {
        output->started_as = output->Shape();
        // Every first frame is committed; a frame callback on a commit of
        // its own (no new buffer) says when the compositor draws it.
        if (!output->platform || !output->platform->SaverLoaded() || s.background) continue;
        output->shown_callback = wl_surface_frame(output->surface.surface);
        wl_callback_add_listener(output->shown_callback, &kShownListener, output.get());
        wl_surface_commit(output->surface.surface);
    }
    // Start-up decodes pictures and frees them again; glibc keeps such freed
    // memory in the heap unless asked, and the saver then lives for hours.
    malloc_trim(0);

    const int signals = SignalDescriptor();
    const int status = RunLoop(s, signals);
    if (signals >= 0) close(signals);
    Disconnect(s);
    if (lock >= 0) close(lock);
    return status;
}

}  // namespace nyamo::wayland
