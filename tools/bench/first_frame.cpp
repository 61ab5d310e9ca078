// nyamo-first-frame: how long a program takes from its start to its first
// frame on screen, seen from outside as any user would see it. It paints the
// root window one colour, starts the program and reads the middle pixel of
// the screen until it shows anything else. Run the saver over the blank
// background: its first frame is black there, as no kitten has walked in yet.
//
// Usage: nyamo-first-frame TIMEOUT_MS PROGRAM [ARGS...]
// Prints the milliseconds with one decimal, then ends the program (SIGTERM).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

constexpr unsigned long kRootColour = 0x336699;

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

unsigned long MiddlePixel(Display* d, Window root, int x, int y) {
    XImage* image = XGetImage(d, root, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return ~0UL;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFFUL;
    XDestroyImage(image);
    return pixel;
}

int Fail(const char* what, pid_t child) {
    std::fprintf(stderr, "nyamo-first-frame: %s\n", what);
    if (child > 0) {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: nyamo-first-frame TIMEOUT_MS PROGRAM [ARGS...]\n");
        return 2;
    }
    const double timeout_ms = std::atof(argv[1]);
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return Fail("cannot open the display", 0);
    const Window root = DefaultRootWindow(d);
    const int x = DisplayWidth(d, DefaultScreen(d)) / 2;
    const int y = DisplayHeight(d, DefaultScreen(d)) / 2;
    if (DefaultDepth(d, DefaultScreen(d)) != 24) return Fail("the screen must be 24 bits deep", 0);
    XSetWindowBackground(d, root, kRootColour);
    XClearWindow(d, root);
    XSync(d, False);
    if (MiddlePixel(d, root, x, y) != kRootColour) return Fail("a window covers the middle of the root window", 0);

    const double start = Now();
    const pid_t child = fork();
    if (child < 0) return Fail("cannot start the program", 0);
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    // A short nap between reads: the program needs the cores more than we do,
    // and half a millisecond is fine grain against a goal of a hundred.
    const timespec nap{0, 250000};
    for (;;) {
        const double elapsed = Now() - start;
        if (MiddlePixel(d, root, x, y) != kRootColour) {
            std::printf("%.1f\n", Now() - start);
            std::fflush(stdout);
            break;
        }
        if (elapsed > timeout_ms) return Fail("no frame before the time-out", child);
        if (waitpid(child, nullptr, WNOHANG) == child) return Fail("the program ended before its first frame", 0);
        nanosleep(&nap, nullptr);
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(d);
    return 0;
}
