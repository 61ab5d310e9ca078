#include "platform/win32/win32_gdi_profile.h"

#include <cstdio>

namespace nyamo {

namespace {

constexpr std::int64_t kTicksPerLine = 500;
constexpr const char* kNames[] = {"restore", "stamp", "present-blit", "present-push", "wake-watch", "tick"};

}  // namespace

GdiProfile& GdiProfile::Get() {
    static GdiProfile profile;
    return profile;
}

GdiProfile::GdiProfile() {
    // 0 when unset, more than the buffer when too long: both leave it off.
    on_ = GetEnvironmentVariableW(L"NYAMO_GDI_PROFILE", path_, MAX_PATH) - 1u < MAX_PATH - 1u;
    LARGE_INTEGER f;
    if (QueryPerformanceFrequency(&f) && f.QuadPart > 0) frequency_ = f.QuadPart;
}

void GdiProfile::Add(GdiWork work, LONGLONG ticks, std::int64_t pixels) {
    Sum& s = sums_[static_cast<std::size_t>(work)];
    ++s.calls;
    s.ticks += ticks;
    s.pixels += pixels;
}

// One line: for each kind, calls, microseconds and pixels per saver tick.
void GdiProfile::EndTick(LONGLONG tick_ticks) {
    Add(GdiWork::Tick, tick_ticks, 0);
    if (++ticks_seen_ < kTicksPerLine) return;
    FILE* out = _wfopen(path_, L"a");
    if (out != nullptr) {
        const double n = static_cast<double>(ticks_seen_);
        for (std::size_t i = 0; i < sums_.size(); ++i)
            std::fprintf(out, "%s %.1f calls %.1f us %.0f px; ", kNames[i], sums_[i].calls / n,
                         1e6 * static_cast<double>(sums_[i].ticks) / static_cast<double>(frequency_) / n,
                         static_cast<double>(sums_[i].pixels) / n);
        std::fprintf(out, "per tick over %lld ticks\n", static_cast<long long>(ticks_seen_));
        std::fclose(out);
    }
    ticks_seen_ = 0;
    sums_.fill(Sum{});
}

GdiTimer::~GdiTimer() {
    GdiProfile& profile = GdiProfile::Get();
    if (!profile.on()) return;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&end);
    if (work_ == GdiWork::Tick)
        profile.EndTick(end.QuadPart - start_.QuadPart);
    else
        profile.Add(work_, end.QuadPart - start_.QuadPart, pixels_);
}

}  // namespace nyamo
