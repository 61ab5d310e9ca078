// How the BGRX pixels of the backend's surfaces become pixels of an X
// visual, and back: TrueColor and DirectColor of any depth (15, 16, 24, 30
// bits) through their channel masks; colormapped visuals (8-bit
// PseudoColor, StaticColor, GrayScale) through a 6 x 6 x 6 colour cube
// allocated on the window's colormap, with the nearest existing colour for
// any cell the colormap cannot give.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/platform.h"

namespace nyamo::x11 {

// Which way pixels go: only pixels sent to the server need the colour cube.
enum class PixelDirection { ToServer, FromServer };

class PixelFormat {
public:
    // The format of drawables of visual on colormap. For pixels sent to the
    // server a colormapped visual allocates its cube here and frees it in
    // the destructor.
    PixelFormat(Display* display, Visual* visual, Colormap colormap, PixelDirection direction);
    // A TrueColor or DirectColor format with these channel masks.
    PixelFormat(unsigned long red_mask, unsigned long green_mask, unsigned long blue_mask);
    // A colormapped format over a colormap that holds colours (pixel i is
    // colours[i]). For pixels sent to the server, allocate asks the
    // colormap for one more colour: it fills in the pixel and the colour the
    // colormap really gives, or returns false when the colormap is full. The
    // colours allocated are not given back (there is no colormap to give
    // them to).
    PixelFormat(std::vector<XColor> colours, PixelDirection direction, const std::function<bool(XColor&)>& allocate);
    ~PixelFormat();
    PixelFormat(const PixelFormat&) = delete;
    PixelFormat& operator=(const PixelFormat&) = delete;

    bool colormapped() const { return colormapped_; }
    // The visual's pixel for one BGRX pixel.
    unsigned long Pixel(std::uint32_t bgrx) const;
    // The BGRX pixel that a pixel of the visual shows.
    std::uint32_t Bgrx(unsigned long pixel) const;

private:
    void BuildColormapped(std::vector<XColor> existing, PixelDirection direction,
                          const std::function<bool(XColor&)>& allocate);

    Display* display_ = nullptr;
    Colormap colormap_ = 0;
    bool colormapped_ = false;
    unsigned long masks_[3] = {0, 0, 0};  // red, green, blue
    std::array<unsigned long, 216> cube_{};  // cube cell (r * 36 + g * 6 + b) -> pixel
    std::vector<unsigned long> allocated_;  // cells to give back
    std::vector<std::uint32_t> palette_;    // pixel -> BGRX, for reading back
};

// True when the image's pixels are BGRX as they are in memory.
bool SameLayoutAsBgrx(const XImage* image);

// Convert the area of src (in src's coordinates) into image at the same
// coordinates. The area must lie inside both.
void ConvertArea(const PixelFormat& format, PixelView src, Rect area, XImage* image);

}  // namespace nyamo::x11
