// The program's shared state: what one run of Nyamo knows, in one struct that
// is handed to the code that uses it. Two instances in one process do not
// disturb each other.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/geometry.h"

namespace nyamo {

// One kitten. X, Y: top-left of its 70 x 70 cell in the saver window.
// Dir: 1 walks leftwards, 2 rightwards, 0 before the first placement.
// Pose: 0 waiting to be placed, 1..8 walking cycle, 9 and 10 resting.
// Step: pixels per walking tick (1..3). RestLen: ticks a rest lasts (5..9).
struct CatRec {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Dir = 0;
    std::int32_t Pose = 0;
    std::int32_t Step = 0;
    std::int32_t RestLen = 0;
    friend bool operator==(const CatRec&, const CatRec&) = default;
};

inline constexpr std::int32_t kMaxCats = 50;
inline constexpr std::size_t kCatSlots = 51;  // indices 0 to 50

// Truth values held in integers: -1 is true, 0 false.
inline constexpr std::int32_t kTrue = -1;
inline constexpr std::int32_t kFalse = 0;

// The program-wide variables, under the names the rest of the code knows
// them by. All zero at process start.
struct Grobal {
    // Mode and geometry, filled at start-up.
    std::int32_t IsSaver = 0;
    std::int32_t WinLeft = 0;
    std::int32_t WinTop = 0;
    std::int32_t ScrW = 0;  // pixels full screen, twips in the preview
    std::int32_t ScrH = 0;

    // Settings.
    std::string IniPath;
    std::int32_t CatNum = 0;
    std::int32_t SaverType = 0;  // 1 desktop background, 2 blank
    std::int32_t SaverSpeed = 0;
    std::int32_t SaverScreens = 0;  // 1 primary screen only, 2 every screen

    // Wake-up watch.
    Point CaretNow;
    Point CursorNow;
    Point LastCaret;
    Point LastCursor;

    // The flock.
    std::array<CatRec, kCatSlots> Cats{};
    std::array<std::int32_t, kCatSlots> RestCount{};
};

}  // namespace nyamo
