// The program's entry into the core and the event handlers the backends call.
#pragma once

#include <cstdint>

#include "app/app.h"

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

// Handlers of the saver window; they act only in the full-screen mode.
void Timer1_Timer(App& app);
void Form_Click(App& app);
void picfocus_KeyDown(App& app, std::int32_t key_code, std::int32_t shift);

// Handlers of the settings dialog.
void But_Click(App& app, std::int16_t index);
void HScroll1_Change(App& app, std::int16_t index);

}  // namespace nyamo
