// The upload wait on a real X server (the X11 suite's Xvfb); skipped without a display.
#include <X11/Xatom.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/x11/x11_image.h"

namespace nyamo::x11 {
namespace {

// A completion event lost while another client keeps events coming (a
// pointer in motion) must not hold the wait past its deadline.
TEST(WindowImage, WaitForALostCompletionEndsWhileEventsKeepComing) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) GTEST_SKIP() << "no X display";
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 64, 64, 0, 0, 0);
    XSelectInput(display, window, PropertyChangeMask);
    WindowImage image(display, window, DefaultVisual(display, screen), DefaultDepth(display, screen),
                      DefaultColormap(display, screen), 64, 64);
    ASSERT_TRUE(image.uses_shm()) << "the X11 suite's server offers MIT-SHM";
    const Rect whole{0, 0, 64, 64};
    image.Send({&whole, 1});
    XSync(display, False);
    XEvent lost;
    while (XCheckTypedEvent(display, XShmGetEventBase(display) + ShmCompletion, &lost)) {}
    std::atomic<bool> waited{false}, events_ended{false};
    std::thread other([&] {
        Display* d = XOpenDisplay(nullptr);
        for (long i = 0; i < 1000 && !waited; ++i, usleep(10000)) {  // ten seconds at most
            XChangeProperty(d, window, XA_CARDINAL, XA_CARDINAL, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(&i), 1);
            XFlush(d);
        }
        events_ended = true;
        XCloseDisplay(d);
    });
    image.WaitUntilRead();
    EXPECT_FALSE(events_ended) << "the wait lasted as long as the events came";
    waited = true;
    other.join();
}

}  // namespace
}  // namespace nyamo::x11
