#pragma once

#include "core/app.h"

namespace nyamo {

inline constexpr std::int32_t kCellSize = 70;

// Timer interval for a speed of 1 to 10: 182 ms down to 20 ms.
std::int32_t TimerInterval(std::int32_t saver_speed);
// Height of one of the CatNum + 1 lanes, rounded half to even.
std::int32_t LaneHeight(std::int32_t screen_height, std::int32_t cat_num);

// Every cat of the run waits to be placed (Pose 0), with the walking step
// and the rest length it keeps for the whole run.
void ResetCats(App& app);
// Place every cat that is waiting (Pose 0) at a screen edge in its lane.
void SpawnCats(App& app);
// Advance every cat one step, each saying in app.drawn what it draws this
// tick. Nothing is drawn: ComposeFrame does that.
void StepCats(App& app);

}  // namespace nyamo
