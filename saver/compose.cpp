#include "saver/compose.h"

#include "saver/damage.h"
#include "saver/sprite_stamp.h"

namespace nyamo {

void ComposeFrame(App& app) {
    const Grobal& g = app.g;
    SaverFrames& p = app.platform.frames;
    FrameState& f = app.frame;
    if (!p.SaverFrameVisible()) {
        // Nobody can see it: the first frame that can be seen again is whole.
        f.whole_next = true;
        return;
    }

    std::array<Rect, kCatSlots> drawn;
    for (std::size_t i = 0; i < kCatSlots; ++i) drawn[i] = VisibleBox(app.drawn[i], app.saver.cover, g.ScrW, g.ScrH);
    DamageList damage;
    if (f.whole_next || f.surface != app.saver.scr_work || f.width != g.ScrW || f.height != g.ScrH) {
        damage.Add(Rect{0, 0, g.ScrW, g.ScrH});
    } else {
        // Only what a cat leaves or enters changes.
        for (std::size_t i = 0; i < kCatSlots; ++i) {
            damage.Add(VisibleBox(f.drawn[i], app.saver.cover, g.ScrW, g.ScrH));
            damage.Add(drawn[i]);
        }
    }
    f = FrameState{false, app.saver.scr_work, g.ScrW, g.ScrH, app.drawn};

    for (const Rect& r : damage.rects())
        p.BitBlt(app.saver.scr_work, r.left, r.top, r.right - r.left, r.bottom - r.top, app.saver.scr_bkg, r.left,
                 r.top, RasterOp::SrcCopy);
    // Every box drawn this tick lies wholly inside the damage; stamped in
    // index order, later cats cover earlier ones where they overlap.
    // (Stamping each rectangle's cats right after restoring it, to find its
    // rows still in the cache, was measured: no fewer cache misses, since a
    // restore alone streams more than the first-level cache holds, and
    // slower by the search for each rectangle's cats.)
    for (std::size_t i = 0; i < kCatSlots; ++i)
        if (!drawn[i].empty()) StampCat(app, app.drawn[i]);
    p.PresentSaverFrame(app.saver.scr_work, damage.rects());
}

}  // namespace nyamo
