#pragma once

#include "app/app.h"

namespace nyamo {

// Build IniPath, then read CatNum, SaverType and SaverSpeed, each forced
// into its range. Never writes the file.
void LoadSettings(App& app);

// Build IniPath and write the three values as they stand, one key at a time.
// True when all three writes succeeded.
bool SaveSettings(App& app);

}  // namespace nyamo
