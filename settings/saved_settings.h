#pragma once

#include "core/app.h"

namespace nyamo {

// Build IniPath, then read CatNum, SaverType, SaverSpeed and SaverScreens, each forced
// into its range. Never writes the file.
void LoadSettings(App& app);

// Build IniPath and write the four values as they stand, in one update of
// the file. True when the file holds them.
bool SaveSettings(App& app);

}  // namespace nyamo
