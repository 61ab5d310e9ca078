#include "saver/saver_window.h"

#include "base/numbers.h"
#include "saver/saver_life.h"
#include "saver/tick.h"
#include "settings/settings_dialog.h"

namespace nyamo {

namespace {

constexpr std::int32_t kDesignTimerInterval = 200;

}  // namespace

void StartSaver(App& app) {
    Platform& p = app.platform;
    Grobal& g = app.g;

    p.LoadSaverWindow(kSaverCaption, kDesignTimerInterval);

    // Placed over the screen while still hidden, and never shown anywhere
    // else: hiding a window that holds the foreground hands the foreground
    // to another program, whose keys would then go unseen under the saver.
    const ScreenMetrics screen = p.Screen();
    const auto width = static_cast<float>(CheckedReal(double{screen.twips_per_pixel_x} * g.ScrW));
    const auto height = static_cast<float>(CheckedReal(double{screen.twips_per_pixel_y} * g.ScrH));
    p.SetSaverWindowRect(static_cast<float>(g.WinLeft), static_cast<float>(g.WinTop), width, height);
    PlaceControl(app, Control::FocusSink, 30, 30, -50, 0);

    SaverInit(app);

    p.SetSaverPointer(PointerShape::Invisible);

    // Still hidden: a desktop copy taken now never shows the saver itself.
    InitCats(app);

    // Shown once, over everything, with the keyboard already on the sink.
    p.MakeSaverTopmost();
    p.FocusSaverSink();
    p.ShowSaverWindow();

    // What the ticks compare with, read once the window is up: a process
    // without a shown window may not know yet where the pointer is (Wine 10
    // says 0, 0 until its first window is mapped).
    p.GetCaretPos(g.CaretNow);
    g.LastCaret = g.CaretNow;
    p.GetCursorPos(g.CursorNow);
    g.LastCursor = g.CursorNow;
}

}  // namespace nyamo
