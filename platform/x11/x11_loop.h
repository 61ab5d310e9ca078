// The X11 program's event loop: the timer, X events delivered one at a time,
// and the end of the process when no window of the program remains.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "base/runtime_error.h"
#include "platform/x11/x11_platform.h"

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

// Wait for X events and timer ticks until no window of the program is left.
// on_tick runs at each due tick, on_input for each event the core must see.
void RunLoop(X11Platform& platform, const std::function<void()>& on_tick,
             const std::function<void(SaverInput)>& on_input);

}  // namespace nyamo::x11
