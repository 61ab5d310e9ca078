// The event loop of the X11 program and of the xscreensaver hack: X events
// delivered one at a time, and the ticks of a timer between them.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "platform/common/loop_support.h"

namespace nyamo::x11 {

using nyamo::Deliver;
using nyamo::TickTimer;

// Wait for X events and the timer's ticks while running() holds: each
// event goes to on_event, each one finishing before the next, and a tick
// due once the events that came are handled goes to on_tick.
void RunLoop(Display* display, TickTimer& timer, const std::function<bool()>& running,
                  const std::function<void(const XEvent&)>& on_event, const std::function<void()>& on_tick);

}  // namespace nyamo::x11
