#include "saver/compose.h"

#include "saver/damage.h"
#include "saver/draw_cat.h"

namespace nyamo {

void ComposeFrame(App& app, const std::array<DrawRecord, kCatSlots>& before) {
    const Grobal& g = app.g;
    Platform& p = app.platform;
    FrameState& f = app.frame;
    if (!p.SaverFrameVisible()) {
        // Nobody can see it: the first frame that can be seen again is whole.
        f.whole_next = true;
        return;
    }

    DamageList damage;
    if (f.whole_next || f.surface != app.saver.scr_work || f.width != g.ScrW || f.height != g.ScrH) {
        damage.Add(Rect{0, 0, g.ScrW, g.ScrH});
    } else {
        // Only the cells a cat leaves or enters change.
        for (std::size_t i = 0; i < kCatSlots; ++i) {
            damage.Add(VisibleCell(before[i], g.ScrW, g.ScrH));
            damage.Add(VisibleCell(app.drawn[i], g.ScrW, g.ScrH));
        }
    }
    f = FrameState{false, app.saver.scr_work, g.ScrW, g.ScrH};

    for (const Rect& r : damage.rects())
        p.BitBlt(app.saver.scr_work, r.left, r.top, r.right - r.left, r.bottom - r.top, app.saver.scr_bkg, r.left,
                 r.top, RasterOp::SrcCopy);
    // Every cat drawn this tick lies wholly inside the damage; stamped in
    // index order, later cats cover earlier ones where they overlap.
    for (const DrawRecord& draw : app.drawn)
        if (!VisibleCell(draw, g.ScrW, g.ScrH).empty()) StampCat(app, draw);
    p.PresentSaverFrame(app.saver.scr_work, damage.rects());
}

}  // namespace nyamo
