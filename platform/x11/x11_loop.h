// The event loop of the X11 program and of the xscreensaver hack: X events
// delivered one at a time, and the ticks of a timer between them.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "base/runtime_error.h"

namespace nyamo::x11 {

// Run one entry into the core; a run-time error ends the process with the
// error's number as its status, as it would end the program on Windows.
template <typename Handler>
void Deliver(Handler handler) {
    try {
        handler();
    } catch (const RunTimeError& error) {
        std::fflush(stdout);
        std::exit(error.exit_status());
    }
}

// The loop's timer, as the core's SetTimerInterval sets it. A late tick is
// not made up for: like a system timer, the next one comes a whole interval
// after the one taken.
class TickTimer {
public:
    // A tick every interval (at least 1 ms), the first one interval from now.
    void Start(std::int32_t milliseconds);
    void Stop() { interval_ = {}; }
    // Milliseconds until the next tick (0 if due), or -1 when stopped.
    int MillisecondsLeft() const;
    // True once per due tick; the next is then one interval later.
    bool TakeDueTick();

private:
    std::chrono::milliseconds interval_{};
    std::chrono::steady_clock::time_point next_{};
};

// Wait for X events and the timer's ticks while running() holds: each
// event goes to on_event, each one finishing before the next, and a tick
// due once the events that came are handled goes to on_tick.
void RunLoop(Display* display, TickTimer& timer, const std::function<bool()>& running,
                  const std::function<void(const XEvent&)>& on_event, const std::function<void()>& on_tick);

}  // namespace nyamo::x11
