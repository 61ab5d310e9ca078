#include "platform/common/software_blitter.h"
#include "platform/common/surface_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <tuple>

#include "platform/headless/headless_platform.h"
#include "saver/draw_record.h"
#include "saver/sprite_stamp.h"

namespace nyamo {
namespace {

PixelBuffer RandomBuffer(std::int32_t w, std::int32_t h, std::mt19937& rng) {
    PixelBuffer b(w, h);
    for (auto& p : b.pixels) p = rng();
    return b;
}

// The raster operations pixel by pixel, straight from their definitions.
std::uint32_t Combine(RasterOp op, std::uint32_t src, std::uint32_t dst) {
    switch (op) {
        case RasterOp::SrcCopy: return src;
        case RasterOp::SrcErase: return src & ~dst;
        case RasterOp::SrcInvert: return src ^ dst;
    }
    return 0;
}

PixelBuffer Reference(const PixelBuffer& dst, std::int32_t dx, std::int32_t dy, std::int32_t w, std::int32_t h,
                      const PixelBuffer& src, std::int32_t sx, std::int32_t sy, RasterOp op) {
    PixelBuffer out = dst;
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) {
            const std::int32_t tx = dx + x, ty = dy + y, fx = sx + x, fy = sy + y;
            if (tx < 0 || ty < 0 || tx >= dst.width || ty >= dst.height) continue;
            if (fx < 0 || fy < 0 || fx >= src.width || fy >= src.height) continue;
            out.pixels[static_cast<std::size_t>(ty * out.width + tx)] = Combine(op, src.at(fx, fy), dst.at(tx, ty));
        }
    return out;
}

TEST(SoftwareBlit, EveryOperationIsBitExactOnRandomSurfaces) {
    std::mt19937 rng(1234);
    for (RasterOp op : {RasterOp::SrcCopy, RasterOp::SrcErase, RasterOp::SrcInvert}) {
        for (int trial = 0; trial < 300; ++trial) {
            const PixelBuffer src = RandomBuffer(1 + rng() % 40, 1 + rng() % 40, rng);
            PixelBuffer dst = RandomBuffer(1 + rng() % 40, 1 + rng() % 40, rng);
            const std::int32_t dx = static_cast<std::int32_t>(rng() % 80) - 40, dy = static_cast<std::int32_t>(rng() % 80) - 40;
            const std::int32_t sx = static_cast<std::int32_t>(rng() % 60) - 10, sy = static_cast<std::int32_t>(rng() % 60) - 10;
            const std::int32_t w = static_cast<std::int32_t>(rng() % 50), h = static_cast<std::int32_t>(rng() % 50);
            const PixelBuffer expected = Reference(dst, dx, dy, w, h, src, sx, sy, op);
            SoftwareBlit(dst.span(), dx, dy, w, h, src.view(), sx, sy, op);
            ASSERT_EQ(dst.pixels, expected.pixels) << "op " << static_cast<int>(op) << " trial " << trial;
        }
    }
}

TEST(SoftwareBlit, ClipsAtEveryEdgeAndCorner) {
    std::mt19937 rng(99);
    const PixelBuffer src = RandomBuffer(70, 70, rng);
    for (std::int32_t dx : {-70, -69, -35, 0, 15, 30, 31, 100}) {
        for (std::int32_t dy : {-70, -69, -35, 0, 15, 30, 31, 100}) {
            PixelBuffer dst = RandomBuffer(100, 100, rng);
            const PixelBuffer expected = Reference(dst, dx, dy, 70, 70, src, 0, 0, RasterOp::SrcCopy);
            SoftwareBlit(dst.span(), dx, dy, 70, 70, src.view(), 0, 0, RasterOp::SrcCopy);
            ASSERT_EQ(dst.pixels, expected.pixels) << dx << "," << dy;
        }
    }
    // A cell at -69 shows exactly its rightmost column.
    PixelBuffer dst(100, 100);
    SoftwareBlit(dst.span(), -69, 0, 70, 70, src.view(), 0, 0, RasterOp::SrcCopy);
    EXPECT_EQ(dst.at(0, 5), src.at(69, 5));
    EXPECT_EQ(dst.at(1, 5), 0u);
}

TEST(SoftwareBlit, FarAwayAndDegenerateRectanglesDrawNothing) {
    std::mt19937 rng(5);
    const PixelBuffer src = RandomBuffer(10, 10, rng);
    PixelBuffer dst = RandomBuffer(10, 10, rng);
    const PixelBuffer before = dst;
    for (auto [dx, dy, w, h] : {std::array{2147483600, 0, 100, 10}, std::array{-2147483647, -2147483647, 5, 5},
                                std::array{0, 0, 0, 10}, std::array{0, 0, -5, 10}, std::array{10, 0, 10, 10}}) {
        SoftwareBlit(dst.span(), dx, dy, w, h, src.view(), 0, 0, RasterOp::SrcInvert);
        EXPECT_EQ(dst.pixels, before.pixels);
    }
}

TEST(SoftwareBlit, ASurfaceCopiedOntoItselfReadsTheOldPixels) {
    std::mt19937 rng(8);
    PixelBuffer b = RandomBuffer(20, 20, rng);
    const PixelBuffer expected = Reference(b, 3, 2, 15, 15, b, 0, 0, RasterOp::SrcCopy);
    SoftwareBlit(b.span(), 3, 2, 15, 15, b.view(), 0, 0, RasterOp::SrcCopy);
    EXPECT_EQ(b.pixels, expected.pixels);
}

TEST(SoftwareBlit, AMaskedDrawInOnePassEqualsItsTwoRasterOperationsInEveryVersion) {
    const std::vector<MaskedDrawVersion> versions = MaskedDrawVersions();
    ASSERT_FALSE(versions.empty());
    for (std::size_t version = 0; version < versions.size(); ++version) {
        if (!versions[version].runs_here) {
            std::printf("the masked draw's %s version is not run: this processor lacks it\n", versions[version].name);
            continue;
        }
        SCOPED_TRACE(versions[version].name);
        std::mt19937 rng(4242);
        for (int trial = 0; trial < 2000; ++trial) {
            // A sheet of mask rows and sprite rows, drawn anywhere on, off or
            // across the target's edges; the rows may also run off the sheet so
            // that the mask and the sprite clip differently.
            const std::int32_t cell = 1 + static_cast<std::int32_t>(rng() % 30);
            PixelBuffer src = RandomBuffer(1 + rng() % 90, cell + rng() % (2 * cell + 1), rng);
            // Kitten-like masks too: whole black or white runs besides noise.
            if (trial % 2 == 0)
                for (auto& p : src.pixels) p = (p & 1) ? 0x00FFFFFFu : p & 0x00FFFFFFu;
            PixelBuffer dst = RandomBuffer(1 + rng() % 60, 1 + rng() % 60, rng);
            const std::int32_t dx = static_cast<std::int32_t>(rng() % 100) - 40, dy = static_cast<std::int32_t>(rng() % 100) - 40;
            const std::int32_t sx = static_cast<std::int32_t>(rng() % 100) - 10;
            const std::int32_t mask_sy = static_cast<std::int32_t>(rng() % (2 * cell + 2)) - 1;
            const std::int32_t sprite_sy = static_cast<std::int32_t>(rng() % (2 * cell + 2)) - 1;
            const std::int32_t w = static_cast<std::int32_t>(rng() % 80), h = cell;
            const PixelBuffer erased = Reference(dst, dx, dy, w, h, src, sx, mask_sy, RasterOp::SrcErase);
            const PixelBuffer expected = Reference(erased, dx, dy, w, h, src, sx, sprite_sy, RasterOp::SrcInvert);
            SoftwareMaskedBlitVersion(version, dst.span(), dx, dy, w, h, src.view(), sx, mask_sy, sprite_sy);
            ASSERT_EQ(dst.pixels, expected.pixels) << "trial " << trial;
        }
    }
    std::mt19937 rng(4242);
    // The source may be the target itself: each operation then reads the
    // pixels as they were before it.
    PixelBuffer self = RandomBuffer(40, 40, rng);
    const PixelBuffer erased = Reference(self, 5, 6, 20, 10, self, 2, 20, RasterOp::SrcErase);
    const PixelBuffer expected = Reference(erased, 5, 6, 20, 10, erased, 2, 0, RasterOp::SrcInvert);
    SoftwareMaskedBlit(self.span(), 5, 6, 20, 10, self.view(), 2, 20, 0);
    EXPECT_EQ(self.pixels, expected.pixels);
}

TEST(SurfaceTable, AnEraseWaitsForItsInvertAndAnythingElseSeesItMade) {
    std::mt19937 rng(31);
    const PixelBuffer sheet = RandomBuffer(70, 140, rng), start = RandomBuffer(100, 80, rng);
    const auto masked = [&](const PixelBuffer& under, std::int32_t x, std::int32_t y) {
        return Reference(Reference(under, x, y, 70, 70, sheet, 0, 70, RasterOp::SrcErase), x, y, 70, 70, sheet, 0, 0,
                         RasterOp::SrcInvert);
    };
    SurfaceTable table;
    const SurfaceHandle work = table.CreateFrom(start.view()), source = table.CreateFrom(sheet.view());
    const auto pixels = [&] { return PixelBuffer(table.Find(work)->view()).pixels; };

    // The draw as the saver makes it, then another at once: both whole.
    table.Blit(work, 10, 5, 70, 70, source, 0, 70, RasterOp::SrcErase);
    table.Blit(work, 10, 5, 70, 70, source, 0, 0, RasterOp::SrcInvert);
    table.Blit(work, 50, 40, 70, 70, source, 0, 70, RasterOp::SrcErase);
    table.Blit(work, 50, 40, 70, 70, source, 0, 0, RasterOp::SrcInvert);
    PixelBuffer expected = masked(masked(start, 10, 5), 50, 40);
    ASSERT_EQ(pixels(), expected.pixels);

    // An erase alone is there for whoever looks next.
    table.Blit(work, -20, 30, 70, 70, source, 0, 70, RasterOp::SrcErase);
    expected = Reference(expected, -20, 30, 70, 70, sheet, 0, 70, RasterOp::SrcErase);
    ASSERT_EQ(pixels(), expected.pixels);

    // An invert of another rectangle, or a copy, comes after the erase.
    table.Blit(work, 0, 0, 70, 70, source, 0, 70, RasterOp::SrcErase);
    table.Blit(work, 1, 0, 70, 70, source, 0, 0, RasterOp::SrcInvert);
    table.Blit(work, 30, 10, 70, 70, source, 0, 70, RasterOp::SrcErase);
    table.Blit(work, 0, 0, 100, 80, work, 3, 4, RasterOp::SrcCopy);
    expected = Reference(expected, 0, 0, 70, 70, sheet, 0, 70, RasterOp::SrcErase);
    expected = Reference(expected, 1, 0, 70, 70, sheet, 0, 0, RasterOp::SrcInvert);
    expected = Reference(expected, 30, 10, 70, 70, sheet, 0, 70, RasterOp::SrcErase);
    expected = Reference(expected, 0, 0, 100, 80, expected, 3, 4, RasterOp::SrcCopy);
    ASSERT_EQ(pixels(), expected.pixels);

    // A surface destroyed while an erase into it waits takes nothing with it.
    const SurfaceHandle gone = table.Create(10, 10);
    table.Blit(gone, 0, 0, 10, 10, source, 0, 70, RasterOp::SrcErase);
    table.Destroy(gone);
    table.Blit(gone, 0, 0, 10, 10, source, 0, 0, RasterOp::SrcInvert);
    EXPECT_EQ(table.Find(gone), nullptr);
    EXPECT_EQ(pixels(), expected.pixels);
}

#if defined(__linux__)
// The line `field` of the mapping that holds `address`, from /proc/self/smaps.
std::string MappingField(const void* address, const char* field) {
    std::ifstream smaps("/proc/self/smaps");
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        unsigned long start = 0, end = 0;
        // A mapping's first line starts "start-end "; its fields "Name:".
        if (std::sscanf(line.c_str(), "%lx-%lx ", &start, &end) == 2) {
            inside = at >= start && at < end;
            continue;
        }
        if (inside && line.rfind(field, 0) == 0) return line;
    }
    return {};
}
#endif

TEST(SurfaceMemory, AScreenSizedSurfaceIsBlackAlignedForHugePagesAndUsableWhole) {
    // Screens start 2 MB-aligned, so that every 2 MB of them can be one huge page.
    for (const auto& [w, h, screen] : {std::tuple{1920, 1080, true}, std::tuple{3840, 2160, true},
                                       std::tuple{7680, 4320, true}, std::tuple{70, 70, false}, std::tuple{1, 1, false}}) {
        PixelBuffer pixels(w, h);
        ASSERT_EQ(pixels.pixels.size(), static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        EXPECT_TRUE(std::all_of(pixels.pixels.begin(), pixels.pixels.end(), [](std::uint32_t p) { return p == 0; }))
            << w << "x" << h;
#if defined(__linux__)
        if (screen) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pixels.pixels.data()) % (std::size_t{2} << 20), 0u);
            // The kernel takes the hint wherever huge pages are not switched
            // off altogether: the mapping is then eligible for them.
            std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
            std::string modes;
            std::getline(setting, modes);
            if (!modes.empty() && modes.find("[never]") == std::string::npos) {
                const std::string eligible = MappingField(pixels.pixels.data(), "THPeligible:");
                EXPECT_TRUE(!eligible.empty() && eligible.back() == '1') << w << "x" << h << ": " << eligible;
            }
        }
#endif
        // Every pixel written, copied and moved: all of the memory is there.
        for (std::size_t i = 0; i < pixels.pixels.size(); ++i) pixels.pixels[i] = static_cast<std::uint32_t>(i * 2654435761u);
        const PixelBuffer copy(pixels.view());
        EXPECT_EQ(copy.pixels, pixels.pixels);
        PixelBuffer moved = std::move(pixels);
        EXPECT_EQ(moved.pixels, copy.pixels);
        EXPECT_EQ(moved.at(w - 1, h - 1), static_cast<std::uint32_t>((std::size_t{1} * w * h - 1) * 2654435761u));
    }
}

// A sheet with a square kitten: frame n's mask is black on an inset square,
// its colour a distinct value there and white elsewhere.
PixelBuffer TestSheet(bool mirrored) {
    PixelBuffer sheet(770, 140);
    for (std::int32_t frame = 0; frame < 11; ++frame)
        for (std::int32_t y = 0; y < 70; ++y)
            for (std::int32_t x = 0; x < 70; ++x) {
                const std::int32_t cx = mirrored ? 69 - x : x;
                const bool cat = cx >= 5 && cx < 50 && y >= 10 + frame && y < 70 && (cx + y) % 7 != 0;
                const auto i = static_cast<std::size_t>(y * 770 + frame * 70 + x);
                sheet.pixels[i] = cat ? 0x00102030u + static_cast<std::uint32_t>(frame * 0x010101 + cx + (y << 8)) : 0x00FFFFFFu;
                sheet.pixels[i + 70 * 770] = cat ? 0u : 0x00FFFFFFu;
            }
    return sheet;
}

class MaskedDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        app.saver.Pat[0] = platform.CreateSurfaceFrom(sheet0.view());
        app.saver.Pat[1] = platform.CreateSurfaceFrom(sheet1.view());
        std::mt19937 rng(77);
        background = RandomBuffer(200, 150, rng);
        for (auto& p : background.pixels) p &= 0x00FFFFFFu;
        app.saver.scr_work = platform.CreateSurfaceFrom(background.view());
    }
    const PixelBuffer& work() { return *platform.surface(app.saver.scr_work); }
    // What the composer does with a cat's draw: record it, then stamp it.
    void Draw(std::int32_t cat, std::int32_t sheet, std::int32_t frame) {
        DrawCat(app, cat, sheet, frame, 70, 70);
        StampCat(app, app.drawn[static_cast<std::size_t>(cat)]);
    }

    HeadlessWorld world;
    HeadlessPlatform platform{world};
    App app{platform.roles()};
    PixelBuffer sheet0 = TestSheet(false), sheet1 = TestSheet(true), background;
};

TEST_F(MaskedDrawing, KittenReplacesTheBackgroundOnlyUnderItsMask) {
    app.g.Cats[3] = CatRec{40, 30, 2, 1, 1, 5};
    DrawCat(app, 3, 0, 4, 70, 70);  // says what the cat draws; only the composer stamps
    EXPECT_EQ(work().pixels, background.pixels);
    Draw(3, 0, 4);
    for (std::int32_t y = 0; y < 150; ++y)
        for (std::int32_t x = 0; x < 200; ++x) {
            const bool inside = x >= 40 && x < 110 && y >= 30 && y < 100;
            const bool cat = inside && sheet0.at(280 + x - 40, 70 + y - 30) == 0;
            const std::uint32_t want = cat ? sheet0.at(280 + x - 40, y - 30) : background.at(x, y);
            ASSERT_EQ(work().at(x, y), want) << x << "," << y;
        }
    EXPECT_EQ(app.drawn[3].sheet, 0);
    EXPECT_EQ(app.drawn[3].frame, 4);
}

TEST_F(MaskedDrawing, DrawingTwiceEqualsDrawingOnce) {
    app.g.Cats[0] = CatRec{10, 10, 2, 1, 1, 5};
    Draw(0, 1, 9);
    const PixelBuffer once = work();
    Draw(0, 1, 9);
    EXPECT_EQ(work().pixels, once.pixels);
}

TEST_F(MaskedDrawing, HigherIndexIsInFrontWhereCellsOverlap) {
    app.g.Cats[0] = CatRec{20, 20, 2, 1, 1, 5};
    app.g.Cats[1] = CatRec{40, 30, 2, 1, 1, 5};
    Draw(0, 0, 0);
    Draw(1, 0, 2);
    // (51, 60) lies on both kittens; the later one covers it.
    ASSERT_EQ(sheet0.at(31, 70 + 40), 0u);
    ASSERT_EQ(sheet0.at(140 + 11, 70 + 30), 0u);
    EXPECT_EQ(work().at(51, 60), sheet0.at(140 + 11, 30));
}

TEST_F(MaskedDrawing, SheetOneDrawsTheMirrorImageOfSheetZero) {
    app.g.Cats[0] = CatRec{60, 40, 2, 1, 1, 5};
    app.saver.scr_work = platform.CreateSurface(200, 150);
    Draw(0, 0, 5);
    const PixelBuffer right = work();
    app.saver.scr_work = platform.CreateSurface(200, 150);
    Draw(0, 1, 5);
    for (std::int32_t y = 40; y < 110; ++y)
        for (std::int32_t x = 0; x < 70; ++x) ASSERT_EQ(work().at(60 + x, y), right.at(60 + 69 - x, y));
}

TEST_F(MaskedDrawing, CellsBeyondTheEdgesDrawInPartOrNotAtAll) {
    const PixelBuffer before = work();
    for (auto [x, y] : {std::pair{-70, 0}, {200, 0}, {0, -70}, {0, 150}, {-500, -500}}) {
        app.g.Cats[2] = CatRec{x, y, 1, 1, 1, 5};
        Draw(2, 1, 3);
        EXPECT_EQ(work().pixels, before.pixels);
    }
    app.g.Cats[2] = CatRec{-69, 100, 1, 1, 1, 5};
    Draw(2, 1, 0);
    for (std::int32_t y = 0; y < 150; ++y)
        for (std::int32_t x = 1; x < 200; ++x) ASSERT_EQ(work().at(x, y), before.at(x, y));
}

}  // namespace
}  // namespace nyamo
