#pragma once

#include <cstdint>

#include "core/app.h"

namespace nyamo {

// Cat catIndex shows frame `frame` of sprite sheet `sheet` this tick, its
// top-left corner at the cat's X, Y: recorded in app.drawn, for the
// composer to stamp once it has restored the cells that change.
void DrawCat(App& app, std::int32_t catIndex, std::int32_t sheet, std::int32_t frame, std::int32_t width,
             std::int32_t height);

}  // namespace nyamo
