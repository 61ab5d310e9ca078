// Which monitors of an every-screen saver need a window of their own, next to
// the one Main put on the primary screen.
#pragma once

#include <span>
#include <vector>

#include "base/geometry.h"

namespace nyamo {

// The monitors, in the system's order, that no window covers yet: a monitor
// wholly inside the primary one's rectangle or a rectangle taken before it
// (a mirror, a duplicate entry) is skipped, and so are empty ones.
inline std::vector<Rect> OtherScreens(const Rect& primary, std::span<const Rect> monitors) {
    const auto inside = [](const Rect& a, const Rect& b) {
        return a.left >= b.left && a.top >= b.top && a.right <= b.right && a.bottom <= b.bottom;
    };
    std::vector<Rect> others;
    for (const Rect& monitor : monitors) {
        if (monitor.empty() || inside(monitor, primary)) continue;
        bool covered = false;
        for (const Rect& taken : others) covered = covered || inside(monitor, taken);
        if (!covered) others.push_back(monitor);
    }
    return others;
}

}  // namespace nyamo
