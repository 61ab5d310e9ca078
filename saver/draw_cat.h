#pragma once

#include <cstdint>

#include "base/app.h"

namespace nyamo {

// Stamp frame `frame` of sprite sheet `sheet`, masked, into the composition
// buffer with its top-left corner at cat catIndex's X, Y: first the mask row
// with SRCERASE, then the colour row with SRCINVERT, so that the kitten's
// pixels replace the background and everything around it stays as it was.
// The draw is recorded in app.drawn; the damage path stamps the recorded
// cats with StampCat once it has restored the cells they change.
void DrawCat(App& app, std::int32_t catIndex, std::int32_t sheet, std::int32_t frame, std::int32_t width,
             std::int32_t height);

// The two blits of DrawCat for a recorded draw.
void StampCat(App& app, const DrawRecord& draw);

}  // namespace nyamo
