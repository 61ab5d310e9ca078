#include "saver/tick.h"

#include "saver/compose.h"
#include "saver/flock.h"
#include "saver/saver_life.h"

namespace nyamo {

namespace {

// Reads the caret and the pointer, keeps the readings for the next tick, and
// says whether the user woke the machine: the flag is 1 (a click or a key)
// or either has moved since the last readings. Where the saver is not a
// window of the program's own desktop, neither is read and neither moves.
bool WakeCheck(App& app, const std::int16_t& flag) {
    Grobal& g = app.g;
    ReadCaretAndCursor(app);
    const bool woken = flag == 1 || g.LastCaret != g.CaretNow || g.LastCursor != g.CursorNow;
    g.LastCaret = g.CaretNow;
    g.LastCursor = g.CursorNow;
    return woken;
}

void EndSaver(App& app) {
    // The pointer is visible again before the window goes.
    if (SaverDesktop* desktop = app.platform.saver_desktop) desktop->SetSaverPointer(PointerShape::Default);
    if (SaverWindow* window = app.platform.saver_window) window->UnloadSaverWindow();
    SaverFree(app);
}

// Only the full-screen mode ticks, and nothing of the saver is touched once
// its window is gone, even if the platform still delivers a late event.
bool SaverRunning(const App& app) { return app.g.IsSaver == kTrue && app.saver.scr_work != 0; }

}  // namespace

void ReadCaretAndCursor(App& app) {
    if (SaverDesktop* desktop = app.platform.saver_desktop) {
        desktop->GetCaretPos(app.g.CaretNow);
        desktop->GetCursorPos(app.g.CursorNow);
    }
}

void FlockTick(App& app) {
    SpawnCats(app);
    StepCats(app);
    ComposeFrame(app);
}

void InitCats(App& app) {
    Grobal& g = app.g;
    app.rng.Reseed(app.platform.system.ClockReading());
    app.platform.frames.SetTimerInterval(TimerInterval(g.SaverSpeed));
    ResetCats(app);
    if (g.SaverType == 1) app.platform.frames.CopyDesktop(app.saver.scr_bkg, g.ScrW, g.ScrH);
    FlockTick(app);
}

void SaverTick(App& app, const std::int16_t& flag) {
    FlockTick(app);
    if (WakeCheck(app, flag)) EndSaver(app);
}

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
