#include "settings/dialog_scale.h"

#include <cmath>

#include "base/numbers.h"
#include "settings/settings_dialog.h"

namespace nyamo {

namespace {

constexpr float kSmallestDesignedFactor = 12.0f;  // 120 dots per inch

std::int32_t TwipsToPixels(std::int32_t twips, float twips_per_pixel) {
    return static_cast<std::int32_t>(std::nearbyint(double{static_cast<float>(twips)} / double{twips_per_pixel}));
}

}  // namespace

bool LaidOutAsAt96Dpi(float twips_per_pixel) { return std::nearbyint(twips_per_pixel) < kSmallestDesignedFactor; }

float LayoutTwipsPerPixel(float twips_per_pixel) {
    return LaidOutAsAt96Dpi(twips_per_pixel) ? kDesignTwipsPerPixel : twips_per_pixel;
}

PixelBox OptionBox(const TwipsBox& design, float twips_per_pixel_x, float twips_per_pixel_y) {
    const float tx = LaidOutAsAt96Dpi(twips_per_pixel_x) ? kDesignTwipsPerPixel : twips_per_pixel_x;
    // One rule for both axes, decided by the horizontal factor as the fonts are.
    const float ty = LaidOutAsAt96Dpi(twips_per_pixel_x) ? kDesignTwipsPerPixel : twips_per_pixel_y;
    return {TwipsToPixels(design.left, tx), TwipsToPixels(design.top, ty), TwipsToPixels(design.width, tx),
            TwipsToPixels(design.height, ty)};
}

float DialogFontPoints(float twips_per_pixel) {
    if (!LaidOutAsAt96Dpi(twips_per_pixel)) return DialogFontSize(ToInt32(twips_per_pixel));
    // Points become pixels at 1440 / twips_per_pixel dots per inch.
    return static_cast<float>(CheckedReal(10.0 * twips_per_pixel / kDesignTwipsPerPixel));
}

std::int32_t FrameCaptionRoom(float twips_per_pixel_x, float twips_per_pixel_y) {
    return OptionBox(kOpt0DesignTwips, twips_per_pixel_x, twips_per_pixel_y).top;
}

}  // namespace nyamo
