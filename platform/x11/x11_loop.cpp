#include "platform/x11/x11_loop.h"

#include <poll.h>

namespace nyamo::x11 {

void TickTimer::Start(std::int32_t milliseconds) {
    interval_ = std::chrono::milliseconds(milliseconds > 0 ? milliseconds : 1);
    next_ = std::chrono::steady_clock::now() + interval_;
}

int TickTimer::MillisecondsLeft() const {
    if (interval_.count() == 0) return -1;
    // Rounded up: a wait rounded down to 0 would spin on the connection for
    // the last fraction of a millisecond before every tick.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(next_ - std::chrono::steady_clock::now());
    return left.count() <= 0 ? 0 : static_cast<int>(left.count());
}

bool TickTimer::TakeDueTick() {
    if (interval_.count() == 0) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now < next_) return false;
    next_ = now + interval_;
    return true;
}

void RunLoop(Display* display, TickTimer& timer, const std::function<bool()>& running,
                  const std::function<void(const XEvent&)>& on_event, const std::function<void()>& on_tick) {
    const int fd = ConnectionNumber(display);
    while (running()) {
        // Hand the requests made so far to the server before waiting.
        XFlush(display);
        if (XPending(display) == 0) {
            pollfd watch{fd, POLLIN, 0};
            const int timeout = timer.MillisecondsLeft();
            if (timeout != 0) poll(&watch, 1, timeout);
        }
        while (running() && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            on_event(event);
        }
        if (running() && timer.TakeDueTick()) on_tick();
    }
}

}  // namespace nyamo::x11
