#include "saver/saver_window.h"

#include "base/numbers.h"
#include "base/runtime_error.h"
#include "saver/saver_life.h"
#include "saver/tick.h"

namespace nyamo {

namespace {

constexpr std::int32_t kDesignTimerInterval = 200;

}  // namespace

void StartSaver(App& app) {
    // Main starts the saver only where the program has a window of its own.
    if (app.platform.saver_window == nullptr) throw RunTimeError(ErrorCode::InvalidOperation);
    SaverWindow& window = *app.platform.saver_window;
    // Null where the compositor places the window and the shell watches
    // input (Wayland): then none of the desktop's steps is taken.
    SaverDesktop* desktop = app.platform.saver_desktop;
    Grobal& g = app.g;

    window.LoadSaverWindow(kSaverCaption, kDesignTimerInterval);

    // Placed over the screen while still hidden, and never shown anywhere
    // else: hiding a window that holds the foreground hands the foreground
    // to another program, whose keys would then go unseen under the saver.
    if (desktop != nullptr) {
        const ScreenMetrics screen = app.platform.system.Screen();
        const auto width = static_cast<float>(CheckedReal(double{screen.twips_per_pixel_x} * g.ScrW));
        const auto height = static_cast<float>(CheckedReal(double{screen.twips_per_pixel_y} * g.ScrH));
        desktop->SetSaverWindowRect(static_cast<float>(g.WinLeft), static_cast<float>(g.WinTop), width, height);
        desktop->SetControlBounds(Control::FocusSink, 30, 30, -50, 0);
    }

    SaverInit(app);

    if (desktop != nullptr) desktop->SetSaverPointer(PointerShape::Invisible);

    // Still hidden: a desktop copy taken now never shows the saver itself.
    InitCats(app);

    // Shown once, over everything, with the keyboard already on the sink.
    if (desktop != nullptr) {
        desktop->MakeSaverTopmost();
        desktop->FocusSaverSink();
    }
    window.ShowSaverWindow();

    // What the ticks compare with, read once the window is up: a process
    // without a shown window may not know yet where the pointer is (Wine 10
    // says 0, 0 until its first window is mapped).
    ReadCaretAndCursor(app);
    g.LastCaret = g.CaretNow;
    g.LastCursor = g.CursorNow;
}

}  // namespace nyamo
