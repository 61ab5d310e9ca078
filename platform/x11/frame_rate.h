// The frame rate as xscreensaver's hacks show it with --fps: frames counted
// over about a second, then shown as "FPS: 12.5" until the next reading.
#pragma once

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

namespace nyamo::x11 {

class FrameRate {
public:
    using Clock = std::chrono::steady_clock;

    // One frame drawn at now; a new text once a second has passed since the
    // last reading (or since the first frame).
    std::optional<std::string> Tick(Clock::time_point now) {
        if (!started_) {
            started_ = true;
            since_ = now;
            return std::nullopt;
        }
        ++frames_;
        const std::chrono::duration<double> elapsed = now - since_;
        if (elapsed.count() < 1.0) return std::nullopt;
        char text[32];
        std::snprintf(text, sizeof text, "FPS: %.1f", frames_ / elapsed.count());
        frames_ = 0;
        since_ = now;
        return std::string(text);
    }

private:
    bool started_ = false;
    int frames_ = 0;
    Clock::time_point since_{};
};

}  // namespace nyamo::x11
