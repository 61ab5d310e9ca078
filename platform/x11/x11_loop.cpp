#include "platform/x11/x11_loop.h"

#include <poll.h>

namespace nyamo::x11 {

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
