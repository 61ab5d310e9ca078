// What one MIT-SHM upload request costs beyond its pixels, expressed in
// pixels: the price the X11 saver uses to decide when near rectangles go up
// together as their bounding box. Runs against a running X server whose
// process id is given, and counts the CPU time of this client and of the
// server together (user + system), so that the figure holds on a loaded
// machine better than wall time would.
//
//   nyamo-put-price SERVER_PID
//
// Prints the cost of one request, of one pixel, and their ratio.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/resource.h>
#include <sys/shm.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// CPU seconds of a process from /proc (fields 14 and 15, after the name).
double ProcessSeconds(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i == 14 || i == 15) ticks += std::atof(field.c_str());
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double OwnSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: nyamo-put-price SERVER_PID\n");
        return 2;
    }
    const long server = std::atol(argv[1]);
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr || !XShmQueryExtension(d)) {
        std::fprintf(stderr, "nyamo-put-price: no display with MIT-SHM\n");
        return 1;
    }
    const int screen = DefaultScreen(d);
    constexpr int kSide = 512;
    const Window window = XCreateSimpleWindow(d, RootWindow(d, screen), 0, 0, kSide, kSide, 0, 0, 0);
    XMapWindow(d, window);
    XShmSegmentInfo shm{};
    XImage* image = XShmCreateImage(d, DefaultVisual(d, screen), static_cast<unsigned>(DefaultDepth(d, screen)),
                                    ZPixmap, nullptr, &shm, kSide, kSide);
    shm.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * kSide, IPC_CREAT | 0600);
    shm.shmaddr = image->data = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
    XShmAttach(d, &shm);
    shmctl(shm.shmid, IPC_RMID, nullptr);
    for (int i = 0; i < image->bytes_per_line * kSide; ++i) image->data[i] = static_cast<char>(i * 7);
    const GC gc = XCreateGC(d, window, 0, nullptr);
    XSync(d, False);

    // Seconds of client + server per request, for requests of side x side pixels.
    const auto per_request = [&](int side, int requests) {
        const double before = OwnSeconds() + ProcessSeconds(server);
        for (int i = 0; i < requests; ++i) {
            const int x = (i * 37) % (kSide - side + 1), y = (i * 91) % (kSide - side + 1);
            XShmPutImage(d, window, gc, image, x, y, x, y, static_cast<unsigned>(side), static_cast<unsigned>(side), False);
            if (i % 64 == 63) XSync(d, False);
        }
        XSync(d, False);
        return (OwnSeconds() + ProcessSeconds(server) - before) / requests;
    };
    per_request(8, 2000);  // warm-up
    const double tiny = per_request(1, 200000);
    const double large = per_request(kSide, 4000);
    const double per_pixel = (large - tiny) / (double{kSide} * kSide - 1);
    std::printf("request %.2f us, pixel %.3f ns, price %.0f pixels\n", tiny * 1e6, per_pixel * 1e9, tiny / per_pixel);
    XShmDetach(d, &shm);
    XCloseDisplay(d);
    return 0;
}
