// nyamo-soak: the full-screen saver on the headless backend for many ticks,
// started as the host starts it ("/s", settings from a file: 50 cats, the
// desktop background, speed 10), with resident memory measured as it runs.
//
//   nyamo-soak --ticks N --width W --height H [--max-growth-kb K] [--baseline-tick B]
//
// Prints the resident memory at tick B (default N / 10: the saver has made
// its buffers and the headless log has filled its rings by then) and at the
// end; exits 1 when the saver ended early or memory grew by more than K kB
// (default 1024) after tick B. The baseline is a tick, not a time, so that a
// short run measures the same stretch of work on a fast machine as on a
// slow one.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/headless/headless_program.h"
#include "platform/headless/headless_world.h"

namespace {

// Read without touching the heap: under AddressSanitizer every freed block
// waits in its quarantine, so a measurement that allocated (a stream and its
// buffer, 64 times a second) would itself look like growth.
long ResidentKb() {
    char text[128] = {};
    const int fd = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    const ssize_t got = read(fd, text, sizeof text - 1);
    close(fd);
    if (got <= 0) return 0;
    long pages = 0, resident = 0;
    if (std::sscanf(text, "%ld %ld", &pages, &resident) != 2) return 0;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

int main(int argc, char** argv) {
    long ticks = 100000, max_growth_kb = 1024, baseline_tick = -1;
    int width = 1024, height = 768;
    for (int i = 1; i + 1 < argc; i += 2) {
        const long v = std::strtol(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--ticks") == 0) ticks = v;
        else if (std::strcmp(argv[i], "--width") == 0) width = static_cast<int>(v);
        else if (std::strcmp(argv[i], "--height") == 0) height = static_cast<int>(v);
        else if (std::strcmp(argv[i], "--max-growth-kb") == 0) max_growth_kb = v;
        else if (std::strcmp(argv[i], "--baseline-tick") == 0) baseline_tick = v;
        else return std::fprintf(stderr, "nyamo-soak: unknown option %s\n", argv[i]), 2;
    }
    if (baseline_tick < 0) baseline_tick = ticks / 10;
    if (ticks < 1 || width < 1 || height < 1 || baseline_tick >= ticks)
        return std::fprintf(stderr, "nyamo-soak: bad numbers\n"), 2;

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("nyamo-soak-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Nyamo_07.ini") << "[Nyamo Saver]\r\nCatNum=50\r\nSaverType=1\r\nSaverSpeed=10\r\n";

    nyamo::HeadlessWorld world(width, height);
    nyamo::HeadlessProgram shell(world, "/s", folder.string());
    shell.Start();

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    long first_kb = -1, first_tick = 0, peak_kb = 0;
    long tick = 0;
    for (; tick < ticks && shell.running(); ++tick) {
        shell.Tick();
        if ((tick & 63) == 0 || tick == baseline_tick) {
            const long kb = ResidentKb();
            if (first_kb < 0 && tick >= baseline_tick) {
                first_kb = kb;
                first_tick = tick;
            }
            if (first_kb >= 0 && kb > peak_kb) peak_kb = kb;
        }
        // A line now and then, so that a run stopped early still tells.
        if (tick % 10000 == 0 && tick > 0) {
            std::printf("  tick %ld: resident %ld kB\n", tick, ResidentKb());
            std::fflush(stdout);
        }
    }
    const long last_kb = ResidentKb();
    if (first_kb >= 0 && last_kb > peak_kb) peak_kb = last_kb;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::filesystem::remove_all(folder);

    std::printf("soak %dx%d, 50 cats, speed 10: %ld ticks in %.1f s; resident %ld kB at tick %ld, "
                "%ld kB at the end, peak %ld kB, growth %ld kB\n",
                width, height, tick, seconds, first_kb, first_tick, last_kb, peak_kb, peak_kb - first_kb);
    if (tick < ticks) return std::fprintf(stderr, "nyamo-soak: the saver ended at tick %ld\n", tick), 1;
    return peak_kb - first_kb > max_growth_kb ? 1 : 0;
}
