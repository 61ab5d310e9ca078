// What the loops of the POSIX programs share, whatever they wait on (an X
// connection, a Wayland display): the way into the core and the timer that
// paces the saver's ticks.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "base/runtime_error.h"

namespace nyamo {

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

}  // namespace nyamo
