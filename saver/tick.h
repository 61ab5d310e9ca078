#pragma once

#include <cstdint>

#include "app/app.h"

namespace nyamo {

// One tick of the full-screen saver: place, step and show, then end the
// saver if the flag is 1 (a click or a key) or the caret or the pointer has
// moved since the previous reading.
void SaverTick(App& app, const std::int16_t& flag);

// Handlers of the saver window; they act only in the full-screen mode.
void Timer1_Timer(App& app);
void Form_Click(App& app);
void picfocus_KeyDown(App& app, std::int32_t key_code, std::int32_t shift);

}  // namespace nyamo
