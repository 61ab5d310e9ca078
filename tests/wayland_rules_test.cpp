// The Wayland saver's rules without a compositor: which input ends it, and
// how an output's captured panel picture is turned to the way it shows.
#include <gtest/gtest.h>

#include <vector>

#include "platform/wayland/input_rules.h"
#include "platform/wayland/output_picture.h"

namespace nyamo::wayland {
namespace {

TEST(SeatInput, MovesEndTheSaverDevicesThatComeAndGoDoNot) {
    const int a = 0, b = 0;  // two of our surfaces, by address
    SeatInput seat;
    EXPECT_FALSE(seat.PointerEnter(&a, true, 10, 10));  // the first enter is where the pointer is
    EXPECT_FALSE(seat.PointerMotion(10.5, 9.2));        // under a pixel
    EXPECT_TRUE(seat.PointerMotion(11, 10));
    seat.PointerLeave(true);
    EXPECT_FALSE(seat.PointerMotion(50, 50));           // outside: not ours to judge
    EXPECT_FALSE(seat.PointerEnter(&a, true, 10, 10));  // a leave and an enter in place: rearranged outputs
    EXPECT_TRUE(seat.PointerEnter(&a, true, 12, 10));   // back elsewhere on it
    EXPECT_TRUE(seat.PointerEnter(&b, true, 12, 10));   // on another output
    EXPECT_FALSE(seat.PointerEnter(nullptr, false, 0, 0));
    seat.PointerGone();  // a pointer back where it went is no hand; elsewhere it is
    EXPECT_FALSE(seat.PointerEnter(&b, true, 12, 10));
    seat.PointerGone();
    EXPECT_TRUE(seat.PointerEnter(&b, true, 300, 10));

    seat.KeyboardCame();
    EXPECT_FALSE(seat.KeyboardOnOurs());  // not yet: a lock screen may hold it
    seat.KeyboardEnter(true);
    EXPECT_TRUE(seat.KeyboardOnOurs());
    seat.KeyboardLeave(false, 0);  // another client's surface
    seat.KeyboardLeave(true, 1000);
    EXPECT_FALSE(seat.KeyboardTaken(1100));  // a moment for the seat to say the keyboard went
    EXPECT_TRUE(seat.KeyboardTaken(1200));
    seat.KeyboardEnter(true);  // back on another of ours
    EXPECT_FALSE(seat.KeyboardTaken(1300));
    seat.KeyboardLeave(true, 2000);  // a keyboard that goes sends its leave first
    seat.KeyboardGone();
    EXPECT_FALSE(seat.KeyboardTaken(3000));
    EXPECT_FALSE(seat.HasKeyboard());
}

// A 3 x 2 panel whose pixels are 1..6, row by row. 90: the compositor turns
// the picture a quarter counter-clockwise onto the panel, so the panel's
// left column, bottom up, is the shown top row; flipped mirrors left to
// right, then turns. (sway's "transform 90" is wl_output's 270, and the
// suite sees it the right way up.) Unturned, a turned capture is refused.
TEST(OutputPicture, EveryTransformTurnsThePanelAsTheOutputShows) {
    std::vector<std::uint32_t> panel{1, 2, 3, 4, 5, 6};
    const RawPicture picture{reinterpret_cast<const std::uint8_t*>(panel.data()), 3, 2, 12, false, false};
    const std::vector<std::vector<std::uint32_t>> shown{
        {1, 2, 3, 4, 5, 6}, {4, 1, 5, 2, 6, 3}, {6, 5, 4, 3, 2, 1}, {3, 6, 2, 5, 1, 4},
        {3, 2, 1, 6, 5, 4}, {1, 4, 2, 5, 3, 6}, {4, 5, 6, 1, 2, 3}, {6, 3, 5, 2, 4, 1}};
    for (int transform = 0; transform < 8; ++transform) {
        const int width = transform % 2 == 0 ? 3 : 2, height = 6 / width;
        std::vector<std::uint32_t> out(6, 0xDEAD);
        EXPECT_EQ(PlaceOutputPicture(picture, transform, PixelSpan{out.data(), width, height, width}, width, height), "");
        EXPECT_EQ(out, shown[transform]) << "transform " << transform;
        EXPECT_NE(PlaceOutputPicture(picture, transform, PixelSpan{out.data(), height, width, height}, height, width), "");
    }
    // Rows bottom first, red in the low byte.
    std::vector<std::uint32_t> rgb{0x000000FF, 0x0000FF00, 0x00FF0000, 1, 2, 3};
    const RawPicture flipped{reinterpret_cast<const std::uint8_t*>(rgb.data()), 3, 2, 12, true, true};
    std::vector<std::uint32_t> out(6, 0);
    EXPECT_EQ(PlaceOutputPicture(flipped, 0, PixelSpan{out.data(), 3, 2, 3}, 3, 2), "");
    EXPECT_EQ(out, (std::vector<std::uint32_t>{0x010000, 0x020000, 0x030000, 0xFF0000, 0x00FF00, 0x0000FF}));
}

}  // namespace
}  // namespace nyamo::wayland
