#include "saver/saver_window.h"

#include "base/numbers.h"
#include "assets/embedded.h"
#include "assets/pictures.h"
#include "saver/draw_cat.h"
#include "saver/flock.h"
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

    // Sized to the screen but placed wholly beyond its bottom-right corner,
    // so the window can be shown to give the focus sink the keyboard focus
    // without ever being seen.
    const ScreenMetrics screen = p.Screen();
    const auto width = static_cast<float>(CheckedReal(double{screen.twips_per_pixel_x} * g.ScrW));
    const auto height = static_cast<float>(CheckedReal(double{screen.twips_per_pixel_y} * g.ScrH));
    p.SetSaverWindowRect(width, height, width, height);
    PlaceControl(app, Control::FocusSink, 30, 30, -50, 0);
    p.ShowSaverWindow();
    p.FocusSaverSink();
    p.HideSaverWindow();
    p.SetSaverWindowRect(static_cast<float>(g.WinLeft), static_cast<float>(g.WinTop), width, height);

    CreateSaverSurfaces(app);

    p.SetSaverPointer(PointerShape::Invisible);
    p.GetCaretPos(g.CaretNow);
    g.LastCaret = g.CaretNow;
    p.GetCursorPos(g.CursorNow);
    g.LastCursor = g.CursorNow;

    // Still hidden: a desktop copy taken now never shows the saver itself.
    InitCats(app);

    p.ShowSaverWindow();
    p.MakeSaverTopmost();
}

void ReleaseSaverSurfaces(App& app) {
    SaverSurfaces& s = app.saver;
    for (SurfaceHandle* surface : {&s.scr_work, &s.scr_bkg, &s.Pat[0], &s.Pat[1]}) {
        if (*surface != 0) app.platform.DestroySurface(*surface);
        *surface = 0;
    }
}

}  // namespace nyamo
