// The program's entry into the core. The event handlers the backends call
// are declared beside their modules and come in with this header.
#pragma once

#include <cstdint>

#include "app/app.h"
#include "saver/tick.h"
#include "settings/settings_dialog.h"

namespace nyamo {

// What Main left behind, so the backend knows whether to run its loop.
enum class MainOutcome {
    AnotherInstance,  // a saver or settings dialog already runs: end at once
    Ignored,          // an unrecognised switch: no window, end now
    SaverStarted,
    PreviewStarted,
    SettingsShown,
};

// Guard, settings, command line, dispatch. Raises RunTimeError on an
// overflow (for instance a host handle beyond 32 bits).
MainOutcome Main(App& app);

}  // namespace nyamo
