#include "saver/tick.h"

#include "saver/flock.h"
#include "saver/saver_window.h"

namespace nyamo {

void SaverTick(App& app, const std::int16_t& flag) {
    Grobal& g = app.g;
    Platform& p = app.platform;
    SpawnCats(app);
    StepCats(app);
    p.GetCaretPos(g.CaretNow);
    p.GetCursorPos(g.CursorNow);
    if (flag == 1 || g.LastCaret != g.CaretNow || g.LastCursor != g.CursorNow) {
        // The pointer is visible again before the window goes.
        p.SetSaverPointer(PointerShape::Default);
        p.UnloadSaverWindow();
        ReleaseSaverSurfaces(app);
    }
    g.LastCaret = g.CaretNow;
    g.LastCursor = g.CursorNow;
}

namespace {

// Only the full-screen mode ticks, and nothing of the saver is touched once
// its window is gone, even if the platform still delivers a late event.
bool SaverRunning(const App& app) { return app.g.IsSaver == kTrue && app.saver.scr_work != 0; }

}  // namespace

void Timer1_Timer(App& app) {
    if (SaverRunning(app)) SaverTick(app, 0);
}

void Form_Click(App& app) {
    if (SaverRunning(app)) SaverTick(app, 1);
}

void picfocus_KeyDown(App& app, std::int32_t /*key_code*/, std::int32_t /*shift*/) {
    if (SaverRunning(app)) SaverTick(app, 1);
}

}  // namespace nyamo
