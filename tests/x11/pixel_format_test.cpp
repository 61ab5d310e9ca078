// The conversion of BGRX pixels into the pixels of X visuals and back,
// without a display: the masks of 24-bit, 16-bit (5-6-5) and 30-bit
// (10-10-10) TrueColor, a visual with red and blue the other way round, the
// colour cube of an 8-bit colormap, and images in the other byte order. The
// suite's pictures count black and grey pixels, which a swap of red and blue
// or a wrong scaling leaves unchanged; these checks see it.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/common/software_blitter.h"
#include "platform/x11/x11_pixel_format.h"

namespace nyamo::x11 {
namespace {

// A channel of 8 bits scaled to the nearest value of a field of `bits` bits,
// and back: written as the plain arithmetic, not as the conversion does it.
unsigned long Nearest(std::uint32_t value8, int bits) {
    const double top = static_cast<double>((1UL << bits) - 1);
    return static_cast<unsigned long>(std::lround(value8 * top / 255.0));
}
std::uint32_t Back(unsigned long field, int bits) {
    const double top = static_cast<double>((1UL << bits) - 1);
    return static_cast<std::uint32_t>(std::lround(static_cast<double>(field) * 255.0 / top));
}

struct Masks {
    const char* name;
    unsigned long red, green, blue;
};

int Bits(unsigned long mask) { return std::popcount(mask); }
int Shift(unsigned long mask) { return std::countr_zero(mask); }

const Masks kTrueColours[] = {
    {"24-bit RGB", 0xFF0000, 0x00FF00, 0x0000FF},
    {"24-bit BGR", 0x0000FF, 0x00FF00, 0xFF0000},
    {"16-bit 5-6-5", 0xF800, 0x07E0, 0x001F},
    {"15-bit 5-5-5", 0x7C00, 0x03E0, 0x001F},
    {"30-bit 10-10-10", 0x3FF00000, 0x000FFC00, 0x000003FF},
    {"30-bit 10-10-10 BGR", 0x000003FF, 0x000FFC00, 0x3FF00000},
};

TEST(PixelFormat, EveryChannelValueGoesToTheNearestFieldValueInItsOwnField) {
    for (const Masks& m : kTrueColours) {
        const PixelFormat format(m.red, m.green, m.blue);
        ASSERT_FALSE(format.colormapped());
        for (std::uint32_t v = 0; v < 256; ++v) {
            // One channel at a time, the others zero: a swapped or shifted
            // mask puts the value into the wrong field.
            EXPECT_EQ(format.Pixel(v << 16), Nearest(v, Bits(m.red)) << Shift(m.red)) << m.name << " red " << v;
            EXPECT_EQ(format.Pixel(v << 8), Nearest(v, Bits(m.green)) << Shift(m.green)) << m.name << " green " << v;
            EXPECT_EQ(format.Pixel(v), Nearest(v, Bits(m.blue)) << Shift(m.blue)) << m.name << " blue " << v;
        }
        EXPECT_EQ(format.Pixel(0xFFFFFF), m.red | m.green | m.blue) << m.name;
        EXPECT_EQ(format.Pixel(0x000000), 0UL) << m.name;
    }
}

TEST(PixelFormat, EveryFieldValueReadsBackAsTheNearestChannelValue) {
    for (const Masks& m : kTrueColours) {
        const PixelFormat format(m.red, m.green, m.blue);
        for (const unsigned long mask : {m.red, m.green, m.blue}) {
            const int channel_shift = mask == m.red ? 16 : mask == m.green ? 8 : 0;
            for (unsigned long field = 0; field <= (mask >> Shift(mask)); ++field) {
                const std::uint32_t expected = Back(field, Bits(mask)) << channel_shift;
                ASSERT_EQ(format.Bgrx(field << Shift(mask)), expected) << m.name << " field " << field;
            }
        }
        // Bits outside the masks (the X of a 32-bit pixel) are no colour.
        EXPECT_EQ(format.Bgrx(~(m.red | m.green | m.blue) & 0xFFFFFFFFUL), 0u) << m.name;
    }
}

TEST(PixelFormat, AGreyKittenKeepsItsShadeAndTheDesktopItsHue) {
    // Colours that differ only in red and blue tell a swap apart, which a
    // grey never does.
    std::mt19937 rng(7);
    for (const Masks& m : kTrueColours) {
        const PixelFormat format(m.red, m.green, m.blue);
        const int worst = 255 / ((1 << std::min({Bits(m.red), Bits(m.green), Bits(m.blue)})) - 1) / 2 + 1;
        for (int i = 0; i < 2000; ++i) {
            const std::uint32_t bgrx = rng() & 0xFFFFFF;
            const std::uint32_t back = format.Bgrx(format.Pixel(bgrx));
            for (int shift : {16, 8, 0}) {
                const int want = static_cast<int>((bgrx >> shift) & 0xFF), got = static_cast<int>((back >> shift) & 0xFF);
                ASSERT_LE(std::abs(want - got), worst) << m.name << std::hex << " 0x" << bgrx << " -> 0x" << back;
            }
        }
        // 10 bits per channel and 8 hold every 8-bit value exactly.
        if (Bits(m.blue) >= 8) {
            for (std::uint32_t bgrx : {0x123456u, 0xFEDCBAu, 0x010203u, 0x808080u})
                EXPECT_EQ(format.Bgrx(format.Pixel(bgrx)), bgrx) << m.name;
        }
    }
    const PixelFormat rgb565(0xF800, 0x07E0, 0x001F);
    EXPECT_EQ(rgb565.Pixel(0xFF0000), 0xF800UL);
    EXPECT_EQ(rgb565.Pixel(0x0000FF), 0x001FUL);
    EXPECT_EQ(rgb565.Pixel(0x808080), 0x8410UL);
    EXPECT_EQ(rgb565.Bgrx(0x8410), 0x848284u);
}

// An XImage made by hand (no display), its own memory zeroed.
struct HandImage {
    HandImage(int width, int height, int depth, int bits_per_pixel, int byte_order, const Masks& m)
        : bytes(static_cast<std::size_t>(width * bits_per_pixel / 8 * height), 0) {
        image.width = width;
        image.height = height;
        image.format = ZPixmap;
        image.data = bytes.data();
        image.byte_order = byte_order;
        image.bitmap_unit = 32;
        image.bitmap_bit_order = MSBFirst;
        image.bitmap_pad = 32;
        image.depth = depth;
        image.bits_per_pixel = bits_per_pixel;
        image.bytes_per_line = width * bits_per_pixel / 8;
        image.red_mask = m.red;
        image.green_mask = m.green;
        image.blue_mask = m.blue;
        EXPECT_NE(XInitImage(&image), 0);
    }
    std::vector<char> bytes;
    XImage image{};
};

constexpr int kHostOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
constexpr int kOtherOrder = kHostOrder == LSBFirst ? MSBFirst : LSBFirst;

TEST(PixelFormat, ConvertAreaWritesEachPixelInTheImagesOwnLayoutAndNothingElse) {
    std::mt19937 rng(11);
    PixelBuffer source(12, 9);
    for (auto& p : source.pixels) p = rng() & 0xFFFFFF;
    const Rect area{3, 2, 10, 7};
    struct Case {
        Masks masks;
        int depth, bits_per_pixel, byte_order;
    };
    const Case cases[] = {
        {kTrueColours[0], 24, 32, kHostOrder},   // copied row by row
        {kTrueColours[0], 24, 32, kOtherOrder},  // the same masks, bytes the other way
        {kTrueColours[1], 24, 32, kHostOrder},
        {kTrueColours[2], 16, 16, kHostOrder},
        {kTrueColours[2], 16, 16, kOtherOrder},
        {kTrueColours[4], 30, 32, kHostOrder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.masks.name + std::string(c.byte_order == kHostOrder ? ", host order" : ", other order"));
        HandImage hand(12, 9, c.depth, c.bits_per_pixel, c.byte_order, c.masks);
        const PixelFormat format(c.masks.red, c.masks.green, c.masks.blue);
        EXPECT_EQ(SameLayoutAsBgrx(&hand.image), &c == &cases[0]);
        ConvertArea(format, source.view(), area, &hand.image);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 12; ++x) {
                const bool inside = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
                // The pixel as the server reads it, from the bytes in the
                // image's own order.
                const auto* at = reinterpret_cast<const unsigned char*>(hand.bytes.data()) +
                                 y * hand.image.bytes_per_line + x * c.bits_per_pixel / 8;
                unsigned long stored = 0;
                const int size = c.bits_per_pixel / 8;
                for (int b = 0; b < size; ++b) {
                    const int byte = c.byte_order == MSBFirst ? b : size - 1 - b;
                    stored = stored << 8 | at[byte];
                }
                const unsigned long expected = inside ? format.Pixel(source.at(x, y)) : 0;
                ASSERT_EQ(stored, expected) << "at " << x << "," << y;
            }
    }
}

// An 8-bit colormap of 256 cells, of which `free_cells` may still be allocated.
struct Colormap8 {
    explicit Colormap8(std::size_t free_cells) : colours(256), free(free_cells) {
        // What the colormap holds already: black, white, pure red and pure
        // blue, a mid grey; the rest a dark green that no cube cell is near.
        for (auto& c : colours) c.red = 0, c.green = 0x3000, c.blue = 0;
        colours[0] = XColor{0, 0, 0, 0, 0, 0};
        colours[1] = XColor{0, 0xFFFF, 0xFFFF, 0xFFFF, 0, 0};
        colours[2] = XColor{0, 0xFFFF, 0, 0, 0, 0};
        colours[3] = XColor{0, 0, 0, 0xFFFF, 0, 0};
        colours[4] = XColor{0, 0x8000, 0x8000, 0x8000, 0, 0};
    }
    // Gives the next free cell from the top, the colour as asked but for the
    // low byte a real colormap drops.
    bool Allocate(XColor& want) {
        if (given >= free) return false;
        want.pixel = 255 - given++;
        want.red &= 0xFF00;
        want.green &= 0xFF00;
        want.blue &= 0xFF00;
        return true;
    }
    std::vector<XColor> colours;
    std::size_t free;
    std::size_t given = 0;
};

TEST(PixelFormat, TheColourCubeGivesEachColourItsNearestLevelPerChannel) {
    Colormap8 colormap(256);
    const PixelFormat format(colormap.colours, PixelDirection::ToServer,
                             [&](XColor& want) { return colormap.Allocate(want); });
    ASSERT_TRUE(format.colormapped());
    EXPECT_EQ(colormap.given, 216u);  // the 6 x 6 x 6 cube, every cell its own
    std::mt19937 rng(3);
    std::vector<unsigned long> seen;
    for (int i = 0; i < 3000; ++i) {
        const std::uint32_t bgrx = i < 6 ? std::array<std::uint32_t, 6>{0, 0xFFFFFF, 0xFF0000, 0x0000FF, 0x00FF00, 0x808080}[i]
                                         : rng() & 0xFFFFFF;
        const unsigned long pixel = format.Pixel(bgrx);
        ASSERT_GE(pixel, 256u - 216u);
        const std::uint32_t shown = format.Bgrx(pixel);
        for (int shift : {16, 8, 0}) {
            const int want = static_cast<int>((bgrx >> shift) & 0xFF);
            const int level = static_cast<int>(std::lround(want * 5 / 255.0));
            // The level's colour as the colormap keeps it (51 per level).
            EXPECT_EQ(static_cast<int>((shown >> shift) & 0xFF), level * 51)
                << std::hex << "0x" << bgrx << " channel " << shift;
        }
    }
    EXPECT_EQ(format.Bgrx(format.Pixel(0xFF0000)), 0xFF0000u);
    EXPECT_EQ(format.Bgrx(format.Pixel(0x0000FF)), 0x0000FFu);
    EXPECT_EQ(format.Bgrx(format.Pixel(0x808080)), 0x999999u);
    EXPECT_NE(format.Pixel(0x330000), format.Pixel(0x000033));
}

TEST(PixelFormat, AFullColormapGivesTheNearestColourItHolds) {
    Colormap8 colormap(0);
    const PixelFormat format(colormap.colours, PixelDirection::ToServer,
                             [&](XColor& want) { return colormap.Allocate(want); });
    EXPECT_EQ(format.Pixel(0x000000), 0UL);
    EXPECT_EQ(format.Pixel(0xF0F0F0), 1UL);
    EXPECT_EQ(format.Pixel(0xE01010), 2UL);  // red stays red
    EXPECT_EQ(format.Pixel(0x1010E0), 3UL);  // and blue blue
    EXPECT_EQ(format.Pixel(0x7A7A7A), 4UL);  // a kitten's grey, the grey cell
    EXPECT_EQ(format.Bgrx(2), 0xFF0000u);
    EXPECT_EQ(format.Bgrx(4), 0x808080u);
}

TEST(PixelFormat, PixelsReadFromTheServerShowTheColormapsColours) {
    Colormap8 colormap(256);
    const PixelFormat format(colormap.colours, PixelDirection::FromServer,
                             [&](XColor&) -> bool { ADD_FAILURE() << "reading allocates nothing"; return false; });
    EXPECT_EQ(colormap.given, 0u);
    EXPECT_EQ(format.Bgrx(0), 0x000000u);
    EXPECT_EQ(format.Bgrx(2), 0xFF0000u);
    EXPECT_EQ(format.Bgrx(3), 0x0000FFu);
    EXPECT_EQ(format.Bgrx(200), 0x003000u);
    // A pixel the colormap has no cell for reads as black, not as memory past its end.
    EXPECT_EQ(format.Bgrx(256), 0u);
    EXPECT_EQ(format.Bgrx(~0UL), 0u);
}

}  // namespace
}  // namespace nyamo::x11
