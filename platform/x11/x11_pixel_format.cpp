#include "platform/x11/x11_pixel_format.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace nyamo::x11 {

namespace {

constexpr int kCubeLevels = 6;
constexpr int kMaxPaletteEntries = 4096;

int CubeLevel(std::uint32_t value8) { return static_cast<int>((value8 * (kCubeLevels - 1) + 127) / 255); }

unsigned short CubeIntensity(int level) { return static_cast<unsigned short>(level * 65535 / (kCubeLevels - 1)); }

// An 8-bit channel value scaled to a mask of any width and placed in it.
unsigned long PackChannel(std::uint32_t value8, unsigned long mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long top = mask >> shift;
    return ((value8 * top + 127) / 255) << shift;
}

std::uint32_t UnpackChannel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long top = mask >> shift;
    return static_cast<std::uint32_t>((((pixel & mask) >> shift) * 255 + top / 2) / top);
}

std::uint32_t Bgrx16(const XColor& colour) {
    return static_cast<std::uint32_t>((colour.red >> 8) << 16 | (colour.green >> 8) << 8 | (colour.blue >> 8));
}

}  // namespace

// The common case on every desktop today: 32 bits per pixel in the host's
// byte order with the channels where BGRX keeps them, so rows copy as they are.
bool SameLayoutAsBgrx(const XImage* image) {
    const int host_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    return image->bits_per_pixel == 32 && image->byte_order == host_order && image->red_mask == 0xFF0000 &&
           image->green_mask == 0x00FF00 && image->blue_mask == 0x0000FF;
}

PixelFormat::PixelFormat(Display* display, Visual* visual, Colormap colormap, PixelDirection direction)
    : display_(display), colormap_(colormap) {
    const int kind = visual->c_class;
    colormapped_ = kind == PseudoColor || kind == StaticColor || kind == GrayScale || kind == StaticGray;
    if (!colormapped_) {
        masks_[0] = visual->red_mask;
        masks_[1] = visual->green_mask;
        masks_[2] = visual->blue_mask;
        return;
    }
    // What the colormap holds now: the nearest colours for cells the cube
    // cannot get, and the way back from a pixel to its colour.
    const int entries = std::min(visual->map_entries, kMaxPaletteEntries);
    std::vector<XColor> existing(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i) existing[static_cast<std::size_t>(i)].pixel = static_cast<unsigned long>(i);
    XQueryColors(display_, colormap_, existing.data(), entries);
    BuildColormapped(std::move(existing), direction, [this](XColor& want) {
        if (XAllocColor(display_, colormap_, &want) == 0) return false;
        allocated_.push_back(want.pixel);
        return true;
    });
}

PixelFormat::PixelFormat(unsigned long red_mask, unsigned long green_mask, unsigned long blue_mask)
    : masks_{red_mask, green_mask, blue_mask} {}

PixelFormat::PixelFormat(std::vector<XColor> colours, PixelDirection direction,
                         const std::function<bool(XColor&)>& allocate)
    : colormapped_(true) {
    if (colours.size() > kMaxPaletteEntries) colours.resize(kMaxPaletteEntries);
    for (std::size_t i = 0; i < colours.size(); ++i) colours[i].pixel = i;
    BuildColormapped(std::move(colours), direction, allocate);
}

void PixelFormat::BuildColormapped(std::vector<XColor> existing, PixelDirection direction,
                                   const std::function<bool(XColor&)>& allocate) {
    if (direction == PixelDirection::FromServer) {
        for (const XColor& have : existing) palette_.push_back(Bgrx16(have));
        return;
    }

    for (int r = 0; r < kCubeLevels; ++r)
        for (int g = 0; g < kCubeLevels; ++g)
            for (int b = 0; b < kCubeLevels; ++b) {
                XColor want{};
                want.red = CubeIntensity(r);
                want.green = CubeIntensity(g);
                want.blue = CubeIntensity(b);
                want.flags = DoRed | DoGreen | DoBlue;
                unsigned long pixel = 0;
                if (allocate(want)) {
                    pixel = want.pixel;
                    if (pixel < existing.size()) existing[pixel] = want;
                } else {
                    // A full colormap: the nearest colour it already has.
                    long best = std::numeric_limits<long>::max();
                    for (const XColor& have : existing) {
                        const long dr = (long{have.red} - CubeIntensity(r)) >> 8;
                        const long dg = (long{have.green} - CubeIntensity(g)) >> 8;
                        const long db = (long{have.blue} - CubeIntensity(b)) >> 8;
                        const long distance = dr * dr + dg * dg + db * db;
                        if (distance < best) {
                            best = distance;
                            pixel = have.pixel;
                        }
                    }
                }
                cube_[static_cast<std::size_t>((r * kCubeLevels + g) * kCubeLevels + b)] = pixel;
            }
    palette_.resize(existing.size());
    for (std::size_t i = 0; i < existing.size(); ++i) palette_[i] = Bgrx16(existing[i]);
}

PixelFormat::~PixelFormat() {
    if (display_ != nullptr && !allocated_.empty()) XFreeColors(display_, colormap_, allocated_.data(), static_cast<int>(allocated_.size()), 0);
}

unsigned long PixelFormat::Pixel(std::uint32_t bgrx) const {
    const std::uint32_t r = (bgrx >> 16) & 0xFF, g = (bgrx >> 8) & 0xFF, b = bgrx & 0xFF;
    if (colormapped_)
        return cube_[static_cast<std::size_t>((CubeLevel(r) * kCubeLevels + CubeLevel(g)) * kCubeLevels + CubeLevel(b))];
    return PackChannel(r, masks_[0]) | PackChannel(g, masks_[1]) | PackChannel(b, masks_[2]);
}

std::uint32_t PixelFormat::Bgrx(unsigned long pixel) const {
    if (colormapped_) return pixel < palette_.size() ? palette_[pixel] : 0;
    return UnpackChannel(pixel, masks_[0]) << 16 | UnpackChannel(pixel, masks_[1]) << 8 |
           UnpackChannel(pixel, masks_[2]);
}

void ConvertArea(const PixelFormat& format, PixelView src, Rect area, XImage* image) {
    const auto src_stride = static_cast<std::size_t>(src.stride);
    if (!format.colormapped() && SameLayoutAsBgrx(image)) {
        const auto row_bytes = static_cast<std::size_t>(area.right - area.left) * 4;
        for (int y = area.top; y < area.bottom; ++y) {
            const std::uint32_t* from = src.pixels + static_cast<std::size_t>(y) * src_stride + area.left;
            char* to = image->data + static_cast<std::size_t>(y) * static_cast<std::size_t>(image->bytes_per_line) +
                       static_cast<std::size_t>(area.left) * 4;
            std::memcpy(to, from, row_bytes);
        }
        return;
    }
    // Frames repeat few colours side by side (black, the kittens' greys):
    // remember the last conversion.
    bool converted_any = false;
    std::uint32_t last_in = 0;
    unsigned long last_out = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const std::uint32_t p =
                src.pixels[static_cast<std::size_t>(y) * src_stride + static_cast<std::size_t>(x)] & 0xFFFFFF;
            if (!converted_any || p != last_in) {
                converted_any = true;
                last_in = p;
                last_out = format.Pixel(p);
            }
            XPutPixel(image, x, y, last_out);
        }
}

}  // namespace nyamo::x11
