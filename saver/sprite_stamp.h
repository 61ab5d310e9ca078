#pragma once

#include <cstdint>

#include "core/app.h"

namespace nyamo {

// Where each cell_width x cell_height frame of a decoded sheet draws (see
// SheetCover). A pixel is left as it was when its mask is white and its
// colour equals its mask: then mask AND NOT dst, XOR colour, gives back dst
// for every pixel whose top byte is 0, as every background's is. A sheet
// lower than two cells has no frames.
SheetCover MeasureSheet(PixelView sheet, std::int32_t cell_width, std::int32_t cell_height);

// The box, in the cell's own coordinates, outside which a recorded draw
// changes nothing: its frame's measured box, or the whole cell when its
// sheet was not measured for this cell size or has no such frame.
Rect CoverBox(const SheetCovers& cover, const DrawRecord& draw);

// Stamp a recorded draw, masked, into the composition buffer: first the
// mask rows with SRCERASE, then the colour rows with SRCINVERT, so that the
// kitten's pixels replace the background and everything around it stays as
// it was. Only the draw's CoverBox is stamped: the rest of the cell would
// come out as it was.
void StampCat(App& app, const DrawRecord& draw);

}  // namespace nyamo
