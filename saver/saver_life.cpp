#include "saver/saver_life.h"

#include "assets/embedded.h"
#include "assets/pictures.h"
#include "saver/sprite_stamp.h"
#include "saver/flock.h"
#include "saver/tick.h"

namespace nyamo {

void SaverInit(App& app) {
    SaverFrames& p = app.platform.frames;
    for (int sheet = 0; sheet < 2; ++sheet) {
        const Picture picture = DecodePicture(SpriteSheetPng(sheet));
        app.saver.Pat[static_cast<std::size_t>(sheet)] = p.CreateSurfaceFrom(picture.view());
        app.saver.cover[static_cast<std::size_t>(sheet)] = MeasureSheet(picture.view(), kCellSize, kCellSize);
    }
    app.saver.scr_work = p.CreateSaverFrame(app.g.ScrW, app.g.ScrH);
    app.saver.scr_bkg = p.CreateSurface(app.g.ScrW, app.g.ScrH);
}

void SaverReshape(App& app, std::int32_t width, std::int32_t height) {
    SaverFree(app);
    app.g.ScrW = width;
    app.g.ScrH = height;
    for (CatRec& cat : app.g.Cats) cat = CatRec{};
    app.g.RestCount.fill(0);
    SaverInit(app);
    InitCats(app);
}

void SaverFree(App& app) {
    SaverSurfaces& s = app.saver;
    for (SurfaceHandle* surface : {&s.scr_work, &s.scr_bkg, &s.Pat[0], &s.Pat[1]}) {
        if (*surface != 0) app.platform.frames.DestroySurface(*surface);
        *surface = 0;
    }
}

}  // namespace nyamo
