#pragma once

#include "app/app.h"

namespace nyamo {

inline constexpr std::int32_t kCellSize = 70;

// Timer interval for a speed of 1 to 10: 182 ms down to 20 ms.
std::int32_t TimerInterval(std::int32_t saver_speed);
// Height of one of the CatNum + 1 lanes, rounded half to even.
std::int32_t LaneHeight(std::int32_t screen_height, std::int32_t cat_num);

// Once per saver run: interval, steps and rest lengths, background, first
// placement and first frame.
void InitCats(App& app);
// Place every cat that is waiting (Pose 0) at a screen edge in its lane.
void SpawnCats(App& app);
// Advance every cat one step, each saying in app.drawn what it draws, and
// show the new frame (ComposeFrame). While the window cannot be seen the
// cats step all the same.
void StepCats(App& app);

}  // namespace nyamo
