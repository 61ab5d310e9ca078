#include "platform/x11/x11_loop.h"

#include <poll.h>

namespace nyamo::x11 {

void RunLoop(X11Platform& platform, const std::function<void()>& on_tick,
             const std::function<void(SaverInput)>& on_input) {
    Display* display = platform.display();
    const int fd = ConnectionNumber(display);
    while (platform.AnyWindowLoaded()) {
        XFlush(display);
        if (XPending(display) == 0) {
            pollfd watch{fd, POLLIN, 0};
            const int timeout = platform.MillisecondsToTick();
            if (timeout != 0) poll(&watch, 1, timeout);
        }
        // Events first, one at a time, each handler finishing before the next.
        while (platform.AnyWindowLoaded() && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            const SaverInput input = platform.Translate(event);
            if (input != SaverInput::Nothing) on_input(input);
        }
        if (platform.AnyWindowLoaded() && platform.TakeDueTick()) on_tick();
    }
}

}  // namespace nyamo::x11
