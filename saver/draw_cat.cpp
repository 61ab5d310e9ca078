#include "saver/draw_cat.h"

#include "base/numbers.h"
#include "base/runtime_error.h"

namespace nyamo {

void DrawCat(App& app, std::int32_t catIndex, std::int32_t sheet, std::int32_t frame, std::int32_t width,
             std::int32_t height) {
    const std::size_t index = CatIndex(catIndex);
    if (sheet < 0 || sheet > 1) throw RunTimeError(ErrorCode::SubscriptOutOfRange);
    const CatRec& cat = app.g.Cats[index];
    const SurfaceHandle source = app.saver.Pat[static_cast<std::size_t>(sheet)];
    const std::int32_t source_x = Mul32(width, frame);
    Platform& p = app.platform;
    p.BitBlt(app.saver.scr_work, cat.X, cat.Y, width, height, source, source_x, height, RasterOp::SrcErase);
    p.BitBlt(app.saver.scr_work, cat.X, cat.Y, width, height, source, source_x, 0, RasterOp::SrcInvert);
    app.drawn[index] = {sheet, frame};
}

}  // namespace nyamo
