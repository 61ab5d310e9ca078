// The saver's ticks. Each one, the first frame's and the xscreensaver hack's
// included, runs one pipeline (FlockTick): the waiting cats are placed, every
// cat steps, and the frame is composed from what they draw. Only the
// full-screen saver's ticks then check whether the user woke the machine.
#pragma once

#include <cstdint>

#include "core/app.h"

namespace nyamo {

// One tick of the flock: SpawnCats, StepCats, ComposeFrame. While the window
// cannot be seen the cats step all the same.
void FlockTick(App& app);

// Once per saver run (and per new size of the hack's window): the timer's
// interval, every cat's step and rest length, the background (the desktop,
// copied now, when SaverType is 1), then the first tick.
void InitCats(App& app);

// One tick of the full-screen saver: FlockTick, then the wake check: the
// caret and the pointer are read and compared with the last readings, and
// the saver ends if the flag is 1 (a click or a key) or either has moved.
void SaverTick(App& app, const std::int16_t& flag);

// CaretNow and CursorNow as the desktop reads them now, for the wake check;
// left as they are where the saver is not a window of the program's own
// desktop (the backend then ends the saver on input itself).
void ReadCaretAndCursor(App& app);

// Handlers of the saver window; they act only in the full-screen mode.
void Timer1_Timer(App& app);
void Form_Click(App& app);
void picfocus_KeyDown(App& app, std::int32_t key_code, std::int32_t shift);

}  // namespace nyamo
