// Checks the committed pictures under assets/ against the rules the drawing
// code depends on: the layout of the sprite sheets, the colour/mask pairing
// that the AND/XOR drawing needs, the mirrored sheet, the repeated frames,
// and the sizes and formats of the sample pictures and the icon.

// Static, so this file can be linked next to any other copy of the decoder.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string kAssetDir = NYAMO_ASSET_DIR;

constexpr int kCell = 70;
constexpr int kFrames = 11;
constexpr int kSheetW = kCell * kFrames;
constexpr int kSheetH = 2 * kCell;

// The kitten keeps 13 columns free on the side it faces.
constexpr int kRightFacingLastCol = 56;
constexpr int kLeftFacingFirstCol = 13;

// Frame 8 may differ from frame 0 only here: the eyes of the right-facing
// kitten (frame-local columns and rows, inclusive).  Mirrored for sheet 1.
constexpr int kEyeCol0 = 33, kEyeCol1 = 56;
constexpr int kEyeRow0 = 28, kEyeRow1 = 44;

struct Image {
    int w = 0, h = 0, channels = 0;  // channels: as stored in the file
    int n = 0;                        // channels in px
    std::vector<unsigned char> px;

    const unsigned char* at(int x, int y) const { return &px[(static_cast<size_t>(y) * w + x) * n]; }
};

Image load(const std::string& name, int want) {
    Image img;
    const std::string path = kAssetDir + "/" + name;
    unsigned char* data = stbi_load(path.c_str(), &img.w, &img.h, &img.channels, want);
    if (!data) {
        ADD_FAILURE() << "cannot load " << path << ": " << stbi_failure_reason();
        return img;
    }
    img.n = want;
    img.px.assign(data, data + static_cast<size_t>(img.w) * img.h * want);
    stbi_image_free(data);
    return img;
}

std::vector<unsigned char> read_file(const std::string& name) {
    std::ifstream in(kAssetDir + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool is_rgb(const unsigned char* p, int r, int g, int b) { return p[0] == r && p[1] == g && p[2] == b; }
bool is_white(const unsigned char* p) { return is_rgb(p, 255, 255, 255); }
bool is_black(const unsigned char* p) { return is_rgb(p, 0, 0, 0); }

// Pixel of frame f: colour row when mask == false, mask row otherwise.
const unsigned char* cell(const Image& s, int f, int x, int y, bool mask) {
    return s.at(f * kCell + x, y + (mask ? kCell : 0));
}

bool kitten(const Image& s, int f, int x, int y) { return is_black(cell(s, f, x, y, true)); }

bool frames_equal(const Image& s, int a, int b) {
    for (int y = 0; y < kSheetH; ++y)
        for (int x = 0; x < kCell; ++x)
            for (int c = 0; c < 3; ++c)
                if (s.at(a * kCell + x, y)[c] != s.at(b * kCell + x, y)[c]) return false;
    return true;
}

int count_differences(const Image& s, int a, int b) {
    int n = 0;
    for (int y = 0; y < kSheetH; ++y)
        for (int x = 0; x < kCell; ++x)
            if (!is_rgb(s.at(a * kCell + x, y), s.at(b * kCell + x, y)[0], s.at(b * kCell + x, y)[1],
                        s.at(b * kCell + x, y)[2]))
                ++n;
    return n;
}

int kitten_area(const Image& s, int f) {
    int n = 0;
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) n += kitten(s, f, x, y);
    return n;
}

class SheetTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        sheet = load("sheet" + std::to_string(GetParam()) + ".png", 3);
        ASSERT_EQ(sheet.w, kSheetW);
        ASSERT_EQ(sheet.h, kSheetH);
    }
    Image sheet;
};

TEST_P(SheetTest, StoredAsPlainRgb) {
    EXPECT_EQ(sheet.channels, 3) << "the sheets carry their own mask and must have no alpha";
}

TEST_P(SheetTest, MaskIsPureBlackOrWhiteAndClearMaskMeansWhiteColour) {
    int bad_mask = 0, bad_colour = 0;
    for (int f = 0; f < kFrames; ++f)
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x) {
                const unsigned char* m = cell(sheet, f, x, y, true);
                if (!is_black(m) && !is_white(m)) ++bad_mask;
                if (is_white(m) && !is_white(cell(sheet, f, x, y, false))) ++bad_colour;
            }
    EXPECT_EQ(bad_mask, 0) << "mask pixels other than pure black or white";
    EXPECT_EQ(bad_colour, 0) << "pixels outside the kitten that are not pure white";
}

TEST_P(SheetTest, EveryFrameHasAKittenWithColour) {
    for (int f = 0; f < kFrames; ++f) {
        EXPECT_GT(kitten_area(sheet, f), 600) << "frame " << f;
        // the kitten is not drawn all in white: grey fur shows in the colour row
        int grey = 0;
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x) {
                const unsigned char* c = cell(sheet, f, x, y, false);
                if (kitten(sheet, f, x, y) && c[0] > 120 && c[0] < 220 && c[1] > 120 && c[1] < 220) ++grey;
            }
        EXPECT_GT(grey, 300) << "frame " << f << " has little grey fur";
    }
}

TEST_P(SheetTest, KittenKeepsClearOfTheSideItFaces) {
    const bool right = GetParam() == 0;
    for (int f = 0; f < kFrames; ++f)
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x)
                if (kitten(sheet, f, x, y)) {
                    if (right)
                        ASSERT_LE(x, kRightFacingLastCol) << "frame " << f << " row " << y;
                    else
                        ASSERT_GE(x, kLeftFacingFirstCol) << "frame " << f << " row " << y;
                }
}

TEST_P(SheetTest, FeetStandOnTheBottomRows) {
    for (int f = 0; f < kFrames; ++f) {
        int lowest = -1;
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x)
                if (kitten(sheet, f, x, y)) lowest = y;
        EXPECT_GE(lowest, 65) << "frame " << f << " floats above the ground";
        EXPECT_LE(lowest, 69) << "frame " << f;
    }
}

TEST_P(SheetTest, SilhouetteEdgeIsDark) {
    // The mask is hard, so the outermost kitten pixels are drawn as they are
    // over any background; light ones would show as a halo on a dark screen.
    for (int f = 0; f < kFrames; ++f)
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x) {
                if (!kitten(sheet, f, x, y)) continue;
                const bool edge = x == 0 || y == 0 || x == kCell - 1 || y == kCell - 1 ||
                                  !kitten(sheet, f, x - 1, y) || !kitten(sheet, f, x + 1, y) ||
                                  !kitten(sheet, f, x, y - 1) || !kitten(sheet, f, x, y + 1);
                if (!edge) continue;
                const unsigned char* c = cell(sheet, f, x, y, false);
                const int luma = (299 * c[0] + 587 * c[1] + 114 * c[2]) / 1000;
                EXPECT_LT(luma, 128) << "frame " << f << " edge pixel " << x << "," << y;
            }
}

TEST_P(SheetTest, RepeatedAndNearlyRepeatedFrames) {
    EXPECT_TRUE(frames_equal(sheet, 1, 7)) << "frames 1 and 7 must be the same picture";
    const int d26 = count_differences(sheet, 2, 6);
    EXPECT_GT(d26, 0) << "frames 2 and 6 are meant to be near, not exact, copies";
    EXPECT_LT(d26, kitten_area(sheet, 2) / 3) << "frames 2 and 6 should be nearly the same";
}

TEST_P(SheetTest, WalkAndWashAnimate) {
    const int walk[] = {1, 2, 3, 4, 5, 6, 7, 0};
    for (int i = 0; i < 8; ++i) {
        const int a = walk[i], b = walk[(i + 1) % 8];
        EXPECT_FALSE(frames_equal(sheet, a, b)) << "walk step " << a << " -> " << b << " does not move";
    }
    EXPECT_FALSE(frames_equal(sheet, 9, 10)) << "washing frames are identical";
    EXPECT_FALSE(frames_equal(sheet, 0, 4)) << "the two strides should use different legs";
}

TEST_P(SheetTest, BlinkFrameChangesOnlyTheEyes) {
    const bool right = GetParam() == 0;
    const int c0 = right ? kEyeCol0 : kCell - 1 - kEyeCol1;
    const int c1 = right ? kEyeCol1 : kCell - 1 - kEyeCol0;
    int inside = 0, outside = 0;
    for (int y = 0; y < kSheetH; ++y)
        for (int x = 0; x < kCell; ++x) {
            const unsigned char* a = sheet.at(0 * kCell + x, y);
            const unsigned char* b = sheet.at(8 * kCell + x, y);
            if (is_rgb(a, b[0], b[1], b[2])) continue;
            const int fy = y % kCell;
            if (x >= c0 && x <= c1 && fy >= kEyeRow0 && fy <= kEyeRow1)
                ++inside;
            else
                ++outside;
        }
    EXPECT_EQ(outside, 0) << "frame 8 differs from frame 0 away from the eyes";
    EXPECT_GT(inside, 10) << "frame 8 should shut the eyes of frame 0";
}

INSTANTIATE_TEST_SUITE_P(BothSheets, SheetTest, ::testing::Values(0, 1));

TEST(Sheets, LeftFacingSheetMirrorsTheRightFacingOne) {
    const Image right = load("sheet0.png", 3);
    const Image left = load("sheet1.png", 3);
    ASSERT_EQ(right.w, kSheetW);
    ASSERT_EQ(left.w, kSheetW);
    ASSERT_EQ(right.h, left.h);
    int mismatches = 0;
    for (int f = 0; f < kFrames; ++f)
        for (int y = 0; y < kSheetH; ++y)
            for (int x = 0; x < kCell; ++x) {
                const unsigned char* a = right.at(f * kCell + x, y);
                const unsigned char* b = left.at(f * kCell + (kCell - 1 - x), y);
                if (!is_rgb(a, b[0], b[1], b[2])) ++mismatches;
            }
    EXPECT_EQ(mismatches, 0);
}

// --- sample pictures ------------------------------------------------------

// PNG colour type from the IHDR chunk (3 = palette).
int png_colour_type(const std::vector<unsigned char>& bytes) { return bytes.size() > 25 ? bytes[25] : -1; }

struct PreviewStats {
    int distinct = 0, black = 0, bluish = 0, total = 0;
};

PreviewStats stats(const Image& img) {
    PreviewStats s;
    std::set<uint32_t> colours;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            const unsigned char* p = img.at(x, y);
            colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
            s.black += is_black(p);
            s.bluish += p[2] > p[0] + 40 && p[2] > 100;
            ++s.total;
        }
    s.distinct = static_cast<int>(colours.size());
    return s;
}

TEST(Previews, SizeAndPaletteOfBoth) {
    for (const char* name : {"preview_desktop.png", "preview_blank.png"}) {
        const Image img = load(name, 3);
        EXPECT_EQ(img.w, 240) << name;
        EXPECT_EQ(img.h, 180) << name;
        EXPECT_EQ(png_colour_type(read_file(name)), 3) << name << " should be a palette PNG";
        EXPECT_LE(stats(img).distinct, 256) << name;
    }
}

TEST(Previews, DesktopIsBlueWithAGreyTaskbarAndBlankIsBlack) {
    const Image desk = load("preview_desktop.png", 3);
    ASSERT_EQ(desk.h, 180);
    const PreviewStats d = stats(desk);
    EXPECT_GT(d.bluish, d.total / 2) << "the desktop should be mostly blue";
    // the bottom row belongs to the taskbar: light and neutral
    int grey = 0;
    for (int x = 0; x < desk.w; ++x) {
        const unsigned char* p = desk.at(x, desk.h - 1);
        grey += p[0] == p[1] && p[1] == p[2] && p[0] > 150;
    }
    EXPECT_GT(grey, desk.w * 3 / 4);

    const Image blank = load("preview_blank.png", 3);
    ASSERT_EQ(blank.h, 180);
    const PreviewStats b = stats(blank);
    EXPECT_GT(b.black, b.total * 8 / 10) << "the blank screen should be mostly black";
    EXPECT_GT(b.total - b.black, 1000) << "the kittens are missing from the blank screen";
}

// --- icon -----------------------------------------------------------------

TEST(Icon, PngIsThirtyTwoSquareWithTransparency) {
    const Image img = load("icon.png", 4);
    ASSERT_EQ(img.w, 32);
    ASSERT_EQ(img.h, 32);
    EXPECT_EQ(img.channels, 4) << "icon.png needs an alpha channel";
    int clear = 0, solid = 0;
    long top_g = 0, top_n = 0, bottom_g = 0, bottom_n = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const unsigned char* p = img.at(x, y);
            clear += p[3] == 0;
            solid += p[3] == 255;
            // warm glyph pixels: red well above blue
            const bool warm = p[3] == 255 && p[0] > 180 && p[0] > p[2] + 80;
            if (warm && y < 12) {
                top_g += p[1];
                ++top_n;
            } else if (warm && y > 20) {
                bottom_g += p[1];
                ++bottom_n;
            }
        }
    EXPECT_GT(clear, 100) << "background should be transparent";
    EXPECT_GT(solid, 150) << "the glyph should be solid";
    ASSERT_GT(top_n, 0);
    ASSERT_GT(bottom_n, 0);
    // yellow at the top, red at the bottom: green falls off downwards
    EXPECT_GT(top_g / top_n, bottom_g / bottom_n + 60);
}

uint16_t le16(const std::vector<unsigned char>& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t le32(const std::vector<unsigned char>& b, size_t at) {
    return le16(b, at) | static_cast<uint32_t>(le16(b, at + 2)) << 16;
}

TEST(Icon, IcoListsA256ColourThirtyTwoSquareImage) {
    const std::vector<unsigned char> ico = read_file("icon.ico");
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(le16(ico, 0), 0);
    EXPECT_EQ(le16(ico, 2), 1) << "not an icon resource";
    const int count = le16(ico, 4);
    ASSERT_GE(ico.size(), 6u + 16u * count);
    std::set<int> sizes_8bit;
    bool found = false;
    for (int i = 0; i < count; ++i) {
        const size_t e = 6 + 16 * i;
        const int w = ico[e] ? ico[e] : 256, h = ico[e + 1] ? ico[e + 1] : 256;
        const int bits = le16(ico, e + 6);
        const uint32_t size = le32(ico, e + 8), offset = le32(ico, e + 12);
        ASSERT_LE(static_cast<size_t>(offset) + size, ico.size()) << "entry " << i << " runs past the file";
        ASSERT_GE(size, 40u);
        // the image itself starts with a bitmap header that must agree with the entry
        EXPECT_EQ(le32(ico, offset), 40u) << "entry " << i;
        EXPECT_EQ(static_cast<int>(le32(ico, offset + 4)), w) << "entry " << i;
        EXPECT_EQ(static_cast<int>(le32(ico, offset + 8)), 2 * h) << "entry " << i;
        EXPECT_EQ(le16(ico, offset + 14), bits) << "entry " << i;
        if (bits == 8) {
            sizes_8bit.insert(w);
            if (w == 32 && h == 32) {
                found = true;
                EXPECT_EQ(ico[e + 2], 0) << "a 256-colour entry records its colour count as 0";
                // header + 256 palette entries + 32x32 indices + 32 rows of 4-byte AND mask
                EXPECT_EQ(size, 40u + 256 * 4 + 32 * 32 + 32 * 4);
            }
        }
    }
    EXPECT_TRUE(found) << "no 32x32 8-bit image in icon.ico";
    EXPECT_EQ(sizes_8bit, (std::set<int>{16, 32, 48}));
}

}  // namespace
