#include "saver/draw_record.h"

#include "base/numbers.h"
#include "base/runtime_error.h"

namespace nyamo {

void DrawCat(App& app, std::int32_t catIndex, std::int32_t sheet, std::int32_t frame, std::int32_t width,
             std::int32_t height) {
    const std::size_t index = CatIndex(catIndex);
    if (sheet < 0 || sheet > 1) throw RunTimeError(ErrorCode::SubscriptOutOfRange);
    const CatRec& cat = app.g.Cats[index];
    Mul32(width, frame);  // the source column, checked as the blit's argument
    app.drawn[index] = DrawRecord{sheet, frame, cat.X, cat.Y, width, height};
}

}  // namespace nyamo
