#pragma once

#include "base/app.h"

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
// Advance every cat one step and show the new frame: recomposed and
// presented whole on the first frame, after a change of size or surface,
// after ticks that drew nothing and always with app.frame.full_recompose;
// otherwise only the cells that changed. While the window cannot be seen,
// the cats step and nothing is drawn.
void StepCats(App& app);

}  // namespace nyamo
