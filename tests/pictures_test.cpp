#include <gtest/gtest.h>

#include "assets/embedded.h"
#include "assets/pictures.h"

namespace nyamo {
namespace {

TEST(BuiltInPictures, DecodeToTheirSizesInTheSeamFormat) {
    for (int sheet : {0, 1}) {
        const Picture p = DecodePicture(SpriteSheetPng(sheet));
        EXPECT_EQ(p.width, 770);
        EXPECT_EQ(p.height, 140);
        // Opaque pictures leave the top byte zero, so the raster operations
        // never carry stray bits into it.
        for (std::uint32_t px : p.pixels) ASSERT_EQ(px >> 24, 0u);
        // The top-left corner of every sheet is outside the kitten: white
        // colour over a white mask.
        EXPECT_EQ(p.pixels[0], 0x00FFFFFFu);
        EXPECT_EQ(p.pixels[70 * 770], 0x00FFFFFFu);
    }
    for (int sample : {0, 1}) {
        const Picture p = DecodePicture(PreviewPng(sample));
        EXPECT_EQ(p.width, 240);
        EXPECT_EQ(p.height, 180);
    }
    const Picture icon = DecodePicture(IconPng());
    EXPECT_EQ(icon.width, 32);
    EXPECT_EQ(icon.pixels[0] >> 24, 0u);  // transparent corner
}

TEST(BuiltInPictures, DamagedDataGivesAnEmptyPicture) {
    const std::vector<std::uint8_t> garbage(100, 0x42);
    EXPECT_EQ(DecodePicture(garbage).width, 0);
    EXPECT_TRUE(DecodePicture({}).pixels.empty());
    const auto png = SpriteSheetPng(0);
    const std::vector<std::uint8_t> truncated(png.begin(), png.begin() + 60);
    EXPECT_EQ(DecodePicture(truncated).width, 0);
}

}  // namespace
}  // namespace nyamo
