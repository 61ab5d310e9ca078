// The Windows saver's floor under Wine: what its tick's wake-up watch costs
// alone. Reads the caret and the pointer, as every saver tick does, 50 times
// a second (the tick of speed 10) for the given seconds, and nothing else;
// tools/bench/wine-watch-floor.sh measures the CPU this takes in the
// process, the wineserver and the X server.
//
//   nyamo-watch-floor.exe [SECONDS]
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 12;
    if (seconds <= 0 || seconds > 3600) return 2;
    // Give the thread a message queue, as the saver's has.
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    POINT caret{}, cursor{};
    for (long tick = 0; tick < seconds * 50; ++tick) {
        GetCaretPos(&caret);
        GetCursorPos(&cursor);
        Sleep(20);
    }
    return 0;
}
