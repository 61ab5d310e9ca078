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

std::int32_t ScaleEdge(std::int32_t edge, double scale) {
    return ToInt32(CheckedReal(static_cast<double>(edge) * scale));
}

// Scaled up, a length is never shorter than its exact product, so that the
// client area holds what the design times the scale needs.
std::int32_t ScaleUp(std::int32_t length, double scale) {
    const double exact = CheckedReal(static_cast<double>(length) * scale);
    // The factor comes from a single-precision twips-per-pixel value: a
    // product within its rounding error of a whole number is that number.
    const double whole = std::nearbyint(exact);
    return ToInt32(std::fabs(exact - whole) < 1e-3 ? whole : std::ceil(exact));
}

}  // namespace

bool ScalesItself(float twips_per_pixel) { return std::nearbyint(twips_per_pixel) < kSmallestDesignedFactor; }

double LayoutScale(float twips_per_pixel) {
    if (!ScalesItself(twips_per_pixel)) return 1.0;
    return CheckedDivide(kDesignTwipsPerPixel, twips_per_pixel);
}

PixelBox ScaledBox(const PixelBox& design, float twips_per_pixel) {
    const double scale = LayoutScale(twips_per_pixel);
    const std::int32_t left = ScaleEdge(design.left, scale), top = ScaleEdge(design.top, scale);
    const std::int32_t right = ScaleEdge(Add32(design.left, design.width), scale);
    const std::int32_t bottom = ScaleEdge(Add32(design.top, design.height), scale);
    return {left, top, Sub32(right, left), Sub32(bottom, top)};
}

std::int32_t ScaledPixels(std::int32_t design, float twips_per_pixel) {
    return ScaleEdge(design, LayoutScale(twips_per_pixel));
}

std::int32_t DialogClientWidthAt(float twips_per_pixel) {
    return ScaleUp(kDialogClientWidth, LayoutScale(twips_per_pixel));
}

std::int32_t DialogClientHeightAt(float twips_per_pixel) {
    return ScaleUp(kDialogClientHeight, LayoutScale(twips_per_pixel));
}

double WindowSizeFactor(float twips_per_pixel) {
    return ScalesItself(twips_per_pixel) ? double{twips_per_pixel} : ToInt32(twips_per_pixel);
}

PixelBox OptionBox(const TwipsBox& design, float twips_per_pixel_x, float twips_per_pixel_y) {
    if (!ScalesItself(twips_per_pixel_x))
        return {TwipsToPixels(design.left, twips_per_pixel_x), TwipsToPixels(design.top, twips_per_pixel_y),
                TwipsToPixels(design.width, twips_per_pixel_x), TwipsToPixels(design.height, twips_per_pixel_y)};
    // The 96-dpi box, scaled where it stands in the client area, so that it
    // stays inside the frame scaled the same way.
    const PixelBox at96 = OptionBox(design, kDesignTwipsPerPixel, kDesignTwipsPerPixel);
    const PixelBox frame = ScaledBox(kFrameDesign, twips_per_pixel_x);
    const PixelBox box = ScaledBox({Add32(kFrameDesign.left, at96.left), Add32(kFrameDesign.top, at96.top),
                                    at96.width, at96.height},
                                   twips_per_pixel_x);
    return {Sub32(box.left, frame.left), Sub32(box.top, frame.top), box.width, box.height};
}

float DialogFontPoints(float twips_per_pixel) {
    return DialogFontSize(ScalesItself(twips_per_pixel) ? ToInt32(kDesignTwipsPerPixel) : ToInt32(twips_per_pixel));
}

std::int32_t FrameCaptionRoom(float twips_per_pixel_x, float twips_per_pixel_y) {
    return OptionBox(kOpt0DesignTwips, twips_per_pixel_x, twips_per_pixel_y).top;
}

}  // namespace nyamo
