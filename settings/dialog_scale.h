// How the settings dialog follows the display's scale.
//
// Up to 120 dots per inch (12 twips per pixel, the smallest factor the dialog
// was drawn for) it keeps its design: a 300 x 200 client area and pixel
// geometry, option buttons in twips, fonts that shrink in points.
//
// Above 120 the program, which declares itself per-monitor DPI aware, is not
// enlarged by the system, so it enlarges itself: the 96-dpi layout with every
// rectangle scaled by dpi / 96 (15 / twips per pixel) and every text at its
// 96-dpi point size, rendered at the real dots per inch. The dialog then has
// the physical size it has at 96 dots per inch.
//
// The core places its controls from here and both backends place the options
// and size the frame's caption from here.
#pragma once

#include <cstdint>

#include "settings/dialog_design.h"

namespace nyamo {

// Twips per pixel at 96 dots per inch, the scale the dialog was drawn at.
inline constexpr float kDesignTwipsPerPixel = 15.0f;

// True where the factor, rounded as the dialog rounds it, is below 12: above
// 120 dots per inch, where the dialog scales its 96-dpi layout itself.
bool ScalesItself(float twips_per_pixel);

// The factor the 96-dpi layout grows by: 1 up to 120 dots per inch, dpi / 96 above.
double LayoutScale(float twips_per_pixel);

// A design box (96-dpi pixels, relative to the client area) at this scale.
// Its edges are scaled and rounded (a half to the even neighbour), so boxes
// that touch, nest or keep apart at 96 dots per inch still do.
PixelBox ScaledBox(const PixelBox& design, float twips_per_pixel);

// A design length in pixels (a font's pixel height, a margin) at this scale.
std::int32_t ScaledPixels(std::int32_t design, float twips_per_pixel);

// The client area's width and height: 300 x 200 up to 120 dots per inch,
// above never less than 300 x 200 times dpi / 96.
std::int32_t DialogClientWidthAt(float twips_per_pixel);
std::int32_t DialogClientHeightAt(float twips_per_pixel);

// The twips-per-pixel factor that sizes the window: the screen's own rounded
// to a whole number up to 120 dots per inch (as designed), and unrounded
// above, where rounding 7.5 to 8 would take a pixel from every 16.
double WindowSizeFactor(float twips_per_pixel);

// An option button's box in pixels, relative to its frame: its twips design
// up to 120 dots per inch, its 96-dpi box scaled above. Decided by the
// horizontal factor, as the fonts are.
PixelBox OptionBox(const TwipsBox& design, float twips_per_pixel_x, float twips_per_pixel_y);

// The font size that ShowSettings gives the controls it sizes: the integer
// part of fx / 15 x 10 (10 points at 96 dots per inch, 8 at 120); above 120
// the 96-dpi size, 10 points, whose pixel height grows with the dots per inch.
float DialogFontPoints(float twips_per_pixel);

// Room in pixels for the frame's caption: from the frame's top to its first
// option, which would cover anything of the caption below that line.
std::int32_t FrameCaptionRoom(float twips_per_pixel_x, float twips_per_pixel_y);

}  // namespace nyamo
