// Waiting for the compositor at start-up: the display's events dispatched
// until a condition holds or a time limit passes. Never used once the
// saver's loop runs, which waits for nothing.
#pragma once

#include <poll.h>
#include <wayland-client.h>

#include <cerrno>
#include <chrono>

namespace nyamo::wayland {

// Dispatch until done() holds or timeout_ms pass; false on a timeout or a
// broken connection.
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

}  // namespace nyamo::wayland
