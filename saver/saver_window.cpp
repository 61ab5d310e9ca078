#include "saver/saver_window.h"

#include "base/numbers.h"
#include "assets/embedded.h"
#include "assets/pictures.h"
#include "saver/draw_cat.h"
#include "saver/flock.h"
#include "saver/tick.h"
#include "settings/settings_dialog.h"

namespace nyamo {

namespace {

constexpr std::int32_t kDesignTimerInterval = 200;

}  // namespace

void CreateSaverSurfaces(App& app) {
    Platform& p = app.platform;
    for (int sheet = 0; sheet < 2; ++sheet) {
        const Picture picture = DecodePicture(SpriteSheetPng(sheet));
        app.saver.Pat[static_cast<std::size_t>(sheet)] = p.CreateSurfaceFrom(picture.view());
        app.saver.cover[static_cast<std::size_t>(sheet)] = MeasureSheet(picture.view(), kCellSize, kCellSize);
    }
    app.saver.scr_work = p.CreateSaverFrame(app.g.ScrW, app.g.ScrH);
    app.saver.scr_bkg = p.CreateSurface(app.g.ScrW, app.g.ScrH);
}

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

    CreateSaverSurfaces(app);

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

void ReleaseSaverSurfaces(App& app) {
    SaverSurfaces& s = app.saver;
    for (SurfaceHandle* surface : {&s.scr_work, &s.scr_bkg, &s.Pat[0], &s.Pat[1]}) {
        if (*surface != 0) app.platform.DestroySurface(*surface);
        *surface = 0;
    }
}

}  // namespace nyamo
