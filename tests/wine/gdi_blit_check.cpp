// Run under Wine (or Windows): GDI's BitBlt on 32-bit DIB sections must agree
// bit for bit with the core's software blitter for the three raster
// operations the program draws with, rectangles clipped at every edge
// included. Prints one PASS/FAIL line per group and exits non-zero on any
// disagreement.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "platform/common/software_blitter.h"
#include "platform/common/blit_clip.h"

namespace {

struct Dib {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    std::uint32_t* bits = nullptr;
    int width = 0, height = 0;

    Dib(int w, int h) : width(w), height(h) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* p = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<std::uint32_t*>(p);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
    }
    ~Dib() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;

    std::size_t count() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
};

// Random pixels in all 32 bits; the top byte is "unused" for the program, but
// a blitter that treats it differently would still be caught here.
void Fill(std::mt19937& rng, std::uint32_t* pixels, std::size_t count, bool full_32_bits) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t v = static_cast<std::uint32_t>(rng());
        pixels[i] = full_32_bits ? v : (v & 0x00FFFFFFu);
    }
}

constexpr nyamo::RasterOp kOps[] = {nyamo::RasterOp::SrcCopy, nyamo::RasterOp::SrcErase, nyamo::RasterOp::SrcInvert};
const char* OpName(nyamo::RasterOp op) {
    switch (op) {
        case nyamo::RasterOp::SrcCopy:
            return "SRCCOPY";
        case nyamo::RasterOp::SrcErase:
            return "SRCERASE";
        case nyamo::RasterOp::SrcInvert:
            return "SRCINVERT";
    }
    return "?";
}

int failures = 0;
int passes = 0;

void Report(bool ok, const std::string& name, const std::string& detail) {
    if (ok) {
        ++passes;
        std::printf("PASS %s\n", name.c_str());
    } else {
        ++failures;
        std::printf("FAIL %s: %s\n", name.c_str(), detail.c_str());
    }
}

// One random case: returns an empty string when GDI and the software blitter
// agree, else where they first differ.
std::string OneCase(std::mt19937& rng, nyamo::RasterOp op, bool preclip, bool full_32_bits, bool same_surface) {
    std::uniform_int_distribution<int> size(1, 96);
    const int dw = size(rng), dh = size(rng);
    const int sw = same_surface ? dw : size(rng), sh = same_surface ? dh : size(rng);
    Dib dst(dw, dh);
    Dib src_own(same_surface ? 1 : sw, same_surface ? 1 : sh);
    Dib& src = same_surface ? dst : src_own;
    Fill(rng, dst.bits, dst.count(), full_32_bits);
    if (!same_surface) Fill(rng, src.bits, src.count(), full_32_bits);

    // Rectangles that start before, inside and past every edge.
    std::uniform_int_distribution<int> pos(-40, 110);
    std::uniform_int_distribution<int> extent(0, 120);
    nyamo::BlitRect r{pos(rng), pos(rng), extent(rng), extent(rng), pos(rng), pos(rng)};
    if (!preclip) {
        // Raw GDI: keep the source inside its bitmap (GDI clips the target
        // only), and let the target run over any edge.
        std::uniform_int_distribution<int> sx(0, sw - 1), sy(0, sh - 1);
        r.sx = sx(rng);
        r.sy = sy(rng);
        r.width = std::uniform_int_distribution<int>(1, sw - r.sx)(rng);
        r.height = std::uniform_int_distribution<int>(1, sh - r.sy)(rng);
    }

    // Expected: the software blitter on copies of the same pixels.
    nyamo::PixelBuffer expected(nyamo::PixelView{dst.bits, dw, dh, dw});
    nyamo::PixelBuffer source_copy(nyamo::PixelView{src.bits, src.width, src.height, src.width});
    nyamo::PixelSpan expected_span = expected.span();
    if (same_surface)
        nyamo::SoftwareBlit(expected_span, r.dx, r.dy, r.width, r.height, expected.view(), r.sx, r.sy, op);
    else
        nyamo::SoftwareBlit(expected_span, r.dx, r.dy, r.width, r.height, source_copy.view(), r.sx, r.sy, op);

    nyamo::BlitRect g = r;
    bool any = true;
    if (preclip) any = nyamo::ClipBlit(g, dw, dh, src.width, src.height);
    if (any) BitBlt(dst.dc, g.dx, g.dy, g.width, g.height, src.dc, g.sx, g.sy, static_cast<DWORD>(op));
    GdiFlush();

    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
            const std::uint32_t got =
                dst.bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(dw) + static_cast<std::size_t>(x)];
            const std::uint32_t want = expected.at(x, y);
            if (got != want) {
                char text[256];
                std::snprintf(text, sizeof text,
                              "dst %dx%d src %dx%d rect d(%d,%d) %dx%d s(%d,%d): pixel (%d,%d) gdi %08x soft %08x", dw,
                              dh, src.width, src.height, r.dx, r.dy, r.width, r.height, r.sx, r.sy, x, y,
                              static_cast<unsigned>(got), static_cast<unsigned>(want));
                return text;
            }
        }
    return {};
}

void Group(std::mt19937& rng, const char* what, bool preclip, bool full_32_bits, bool same_surface, int cases) {
    for (nyamo::RasterOp op : kOps) {
        if (same_surface && op != nyamo::RasterOp::SrcCopy) continue;
        std::string first_failure;
        int bad = 0;
        for (int i = 0; i < cases; ++i) {
            std::string failure = OneCase(rng, op, preclip, full_32_bits, same_surface);
            if (!failure.empty()) {
                ++bad;
                if (first_failure.empty()) first_failure = failure;
            }
        }
        Report(bad == 0, std::string("gdi ") + OpName(op) + " " + what,
               std::to_string(bad) + " of " + std::to_string(cases) + " cases differ; first: " + first_failure);
    }
}

// A hand-made case the random ones might miss: the masked sprite drawing as
// the program does it, SRCERASE with the mask then SRCINVERT with the colour.
void MaskedSprite() {
    Dib background(4, 1), sheet(4, 2);
    const std::uint32_t bg[4] = {0x00102030, 0x00405060, 0x00708090, 0x00A0B0C0};
    // Row 0: colour (0 where transparent), row 1: mask (white where transparent).
    const std::uint32_t sh[8] = {0x00000000, 0x009A9AA8, 0x00000000, 0x00112233,
                                 0x00FFFFFF, 0x00000000, 0x00FFFFFF, 0x00000000};
    std::memcpy(background.bits, bg, sizeof bg);
    std::memcpy(sheet.bits, sh, sizeof sh);
    BitBlt(background.dc, 0, 0, 4, 1, sheet.dc, 0, 1, SRCERASE);
    BitBlt(background.dc, 0, 0, 4, 1, sheet.dc, 0, 0, SRCINVERT);
    GdiFlush();
    // Each pixel must be (mask AND NOT background) XOR colour, whatever the
    // sheet's convention for transparent pixels.
    bool ok = true;
    for (int x = 0; x < 4; ++x) {
        const std::uint32_t want = (sh[4 + x] & ~bg[x]) ^ sh[x];
        ok = ok && background.bits[x] == want;
    }
    Report(ok, "gdi masked sprite SRCERASE then SRCINVERT by the formulas",
           "pixels differ from (mask & ~dst) ^ colour");
}

// The saver's masked draws in one pass (SoftwareMaskedBlit) against GDI's
// two BitBlt calls, SRCERASE of the mask then SRCINVERT of the sprite, each
// pre-clipped as the backend used to: sheets of two rows of cells, cells
// clipped at every edge of the target.
void MaskedDraws(std::mt19937& rng, int cases) {
    std::uniform_int_distribution<int> size(1, 96), pos(-60, 110);
    std::string first_failure;
    int bad = 0;
    for (int i = 0; i < cases; ++i) {
        const int dw = size(rng), dh = size(rng), cell = std::uniform_int_distribution<int>(1, 70)(rng);
        Dib dst(dw, dh), sheet(cell * 3, cell * 2);
        Fill(rng, dst.bits, dst.count(), false);
        Fill(rng, sheet.bits, sheet.count(), false);
        const int dx = pos(rng), dy = pos(rng), sx = std::uniform_int_distribution<int>(0, 2)(rng) * cell;
        nyamo::PixelBuffer expected(nyamo::PixelView{dst.bits, dw, dh, dw});
        const nyamo::PixelBuffer sheet_copy(nyamo::PixelView{sheet.bits, sheet.width, sheet.height, sheet.width});
        nyamo::SoftwareMaskedBlit(expected.span(), dx, dy, cell, cell, sheet_copy.view(), sx, cell, 0);

        nyamo::BlitRect mask{dx, dy, cell, cell, sx, cell}, sprite{dx, dy, cell, cell, sx, 0};
        if (nyamo::ClipBlit(mask, dw, dh, sheet.width, sheet.height))
            BitBlt(dst.dc, mask.dx, mask.dy, mask.width, mask.height, sheet.dc, mask.sx, mask.sy, SRCERASE);
        if (nyamo::ClipBlit(sprite, dw, dh, sheet.width, sheet.height))
            BitBlt(dst.dc, sprite.dx, sprite.dy, sprite.width, sprite.height, sheet.dc, sprite.sx, sprite.sy,
                   SRCINVERT);
        GdiFlush();
        if (std::memcmp(dst.bits, expected.pixels.data(), dst.count() * sizeof(std::uint32_t)) != 0) {
            ++bad;
            if (first_failure.empty())
                first_failure = "dst " + std::to_string(dw) + "x" + std::to_string(dh) + " cell " +
                                std::to_string(cell) + " at (" + std::to_string(dx) + "," + std::to_string(dy) + ")";
        }
    }
    Report(bad == 0, "gdi masked draw SRCERASE + SRCINVERT = the one-pass software draw, clipped at every edge",
           std::to_string(bad) + " of " + std::to_string(cases) + " cases differ; first: " + first_failure);
}

}  // namespace

int main() {
    std::mt19937 rng(20261207);
    Group(rng, "clipped at every edge (backend path: pre-clip, then GDI)", true, false, false, 400);
    Group(rng, "clipped at every edge, all 32 bits random", true, true, false, 200);
    Group(rng, "raw GDI target clipping", false, false, false, 300);
    Group(rng, "overlapping copy within one surface", true, false, true, 200);
    MaskedSprite();
    MaskedDraws(rng, 300);
    std::printf("gdi blit check: %d passed, %d failed\n", passes, failures);
    return failures == 0 ? 0 : 1;
}
