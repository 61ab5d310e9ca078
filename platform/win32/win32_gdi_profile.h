// Where a saver tick's time goes under Wine or Windows: with the environment
// variable NYAMO_GDI_PROFILE naming a file, the Win32 backend counts and times
// (QueryPerformanceCounter) its GDI calls by kind and appends one line per
// 500 ticks to that file. Off, each probe is one test of a flag.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

namespace nyamo {

enum class GdiWork : std::uint8_t { Restore, Stamp, PresentBlit, PresentPush, WakeWatch, Tick, Count };

class GdiProfile {
public:
    static GdiProfile& Get();
    bool on() const { return on_; }
    void Add(GdiWork work, LONGLONG ticks, std::int64_t pixels);
    // Called at the end of every saver tick; writes a line every 500 ticks.
    void EndTick(LONGLONG tick_ticks);

private:
    GdiProfile();
    struct Sum {
        std::int64_t calls = 0;
        LONGLONG ticks = 0;
        std::int64_t pixels = 0;
    };
    bool on_ = false;
    wchar_t path_[MAX_PATH] = {};
    LONGLONG frequency_ = 1;
    std::int64_t ticks_seen_ = 0;
    std::array<Sum, static_cast<std::size_t>(GdiWork::Count)> sums_{};
};

// Times one piece of work while it is in scope, when the profile is on.
class GdiTimer {
public:
    GdiTimer(GdiWork work, std::int64_t pixels) : work_(work), pixels_(pixels) {
        if (GdiProfile::Get().on()) QueryPerformanceCounter(&start_);
    }
    ~GdiTimer();
    GdiTimer(const GdiTimer&) = delete;
    GdiTimer& operator=(const GdiTimer&) = delete;

private:
    GdiWork work_;
    std::int64_t pixels_;
    LARGE_INTEGER start_{};
};

}  // namespace nyamo
