// How the settings dialog follows the display's scale. Up to 120 dots per
// inch (12 twips per pixel) the option buttons keep their design geometry in
// twips and the fonts shrink in points, as designed. Above that the design
// breaks (the options grow over OK and キャンセル and out of their frame), so
// the dialog is laid out exactly as at 96 dots per inch, in pixels: the
// options take their 96-dpi boxes and every text its 96-dpi pixel height.
// Both backends place the options and size the frame's caption from here.
#pragma once

#include <cstdint>

#include "settings/dialog_design.h"

namespace nyamo {

// Twips per pixel at 96 dots per inch, the scale the dialog was drawn at.
inline constexpr float kDesignTwipsPerPixel = 15.0f;

// True where the factor, rounded as the dialog rounds it, is below 12.
bool LaidOutAsAt96Dpi(float twips_per_pixel);

// The twips per pixel that the dialog's geometry and text follow: the
// screen's own, or 15 where the dialog is laid out as at 96 dots per inch.
float LayoutTwipsPerPixel(float twips_per_pixel);

struct PixelBox {
    std::int32_t left, top, width, height;
    friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

// An option button's box in pixels, relative to its frame.
PixelBox OptionBox(const TwipsBox& design, float twips_per_pixel_x, float twips_per_pixel_y);

// The font size that ShowSettings gives the controls it sizes: the integer
// part of fx / 15 x 10 (10 points at 96 dots per inch, 8 at 120); above 120
// dots per inch, the points that give the pixel height of 10 points at 96.
float DialogFontPoints(float twips_per_pixel);

// Room in pixels for the frame's caption: from the frame's top to its first
// option, which would cover anything of the caption below that line.
std::int32_t FrameCaptionRoom(float twips_per_pixel_x, float twips_per_pixel_y);

}  // namespace nyamo
