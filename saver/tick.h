#pragma once

#include <cstdint>

#include "app/app.h"

namespace nyamo {

// One tick of the full-screen saver: place, step and show, then end the
// saver if the flag is 1 (a click or a key) or the caret or the pointer has
// moved since the previous reading.
void SaverTick(App& app, const std::int16_t& flag);

}  // namespace nyamo
