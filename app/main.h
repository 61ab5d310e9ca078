// The program's entry into the core. The event handlers the backends call
// are declared beside their modules and come in with this header.
#pragma once

#include <cstdint>

#include "core/app.h"
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

// The saver on one more screen of a run whose Main started it and read
// SaverScreens 2: the settings, then the saver as Main starts it, over the
// screen the backend gave this App's platform. No instance check: the run's
// own first window would fail it.
MainOutcome StartSaverOnAnotherScreen(App& app);

}  // namespace nyamo
