#include "platform/common/software_blitter.h"

#include <algorithm>
#include <cstring>

#include "platform/common/blit_clip.h"

namespace nyamo {

PixelBuffer::PixelBuffer(std::int32_t w, std::int32_t h)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u) {}

PixelBuffer::PixelBuffer(PixelView source) : PixelBuffer(source.width, source.height) {
    for (std::int32_t y = 0; y < height; ++y)
        std::memcpy(&pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width)],
                    source.pixels + static_cast<std::ptrdiff_t>(y) * source.stride,
                    static_cast<std::size_t>(width) * sizeof(std::uint32_t));
}

namespace {

// Source and target never overlap here (a blit onto itself reads from a
// copy), which lets the compiler process several pixels per instruction.
template <typename Combine>
void Rows(std::uint32_t* __restrict d, std::ptrdiff_t d_stride, const std::uint32_t* __restrict s,
          std::ptrdiff_t s_stride, std::int32_t w, std::int32_t h, Combine combine) {
    for (std::int32_t y = 0; y < h; ++y, d += d_stride, s += s_stride)
        for (std::int32_t x = 0; x < w; ++x) d[x] = combine(s[x], d[x]);
}

// A masked draw over rows that do not overlap the target: the kittens' hot
// loop, built once for each processor version below.
[[gnu::always_inline]] inline void MaskedRowsLoop(std::uint32_t* __restrict d, std::ptrdiff_t d_stride,
                                                  const std::uint32_t* __restrict m, const std::uint32_t* __restrict p,
                                                  std::ptrdiff_t s_stride, std::int32_t w, std::int32_t h) {
    for (std::int32_t y = 0; y < h; ++y, d += d_stride, m += s_stride, p += s_stride)
        for (std::int32_t x = 0; x < w; ++x) d[x] = p[x] ^ (m[x] & ~d[x]);
}

using MaskedRows = void (*)(std::uint32_t*, std::ptrdiff_t, const std::uint32_t*, const std::uint32_t*,
                            std::ptrdiff_t, std::int32_t, std::int32_t);

void MaskedRowsDefault(std::uint32_t* __restrict d, std::ptrdiff_t d_stride, const std::uint32_t* __restrict m,
                       const std::uint32_t* __restrict p, std::ptrdiff_t s_stride, std::int32_t w, std::int32_t h) {
    MaskedRowsLoop(d, d_stride, m, p, s_stride, w, h);
}

// Where the processor has AVX2 the loop runs on eight pixels per instruction
// instead of SSE2's four.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__)
#define NYAMO_MASKED_ROWS_AVX2 1
__attribute__((target("avx2"))) void MaskedRowsAvx2(std::uint32_t* __restrict d, std::ptrdiff_t d_stride,
                                                    const std::uint32_t* __restrict m,
                                                    const std::uint32_t* __restrict p, std::ptrdiff_t s_stride,
                                                    std::int32_t w, std::int32_t h) {
    MaskedRowsLoop(d, d_stride, m, p, s_stride, w, h);
}
#endif

struct RowsVersion {
    const char* name;
    MaskedRows rows;
    bool (*runs_here)();
};

// Fastest first: a draw takes the first the processor runs.
constexpr RowsVersion kRowsVersions[] = {
#if defined(NYAMO_MASKED_ROWS_AVX2)
    {"avx2", MaskedRowsAvx2, [] { return __builtin_cpu_supports("avx2") != 0; }},
#endif
    {"default", MaskedRowsDefault, [] { return true; }},
};

MaskedRows PickedRows() {
    for (const RowsVersion& version : kRowsVersions)
        if (version.runs_here()) return version.rows;
    return MaskedRowsDefault;
}

void MaskedBlit(MaskedRows rows, PixelSpan dst, std::int32_t dx, std::int32_t dy, std::int32_t width,
                std::int32_t height, PixelView src, std::int32_t sx, std::int32_t mask_sy, std::int32_t sprite_sy) {
    BlitRect mask{dx, dy, width, height, sx, mask_sy};
    BlitRect sprite{dx, dy, width, height, sx, sprite_sy};
    const bool mask_shows = ClipBlit(mask, dst.width, dst.height, src.width, src.height);
    const bool sprite_shows = ClipBlit(sprite, dst.width, dst.height, src.width, src.height);
    if (!mask_shows && !sprite_shows) return;
    const bool alike = mask_shows && sprite_shows && mask.dx == sprite.dx && mask.dy == sprite.dy &&
                       mask.width == sprite.width && mask.height == sprite.height && mask.sx == sprite.sx;
    if (!alike || src.pixels == dst.pixels) {
        SoftwareBlit(dst, dx, dy, width, height, src, sx, mask_sy, RasterOp::SrcErase);
        SoftwareBlit(dst, dx, dy, width, height, src, sx, sprite_sy, RasterOp::SrcInvert);
        return;
    }
    rows(dst.pixels + static_cast<std::ptrdiff_t>(mask.dy) * dst.stride + mask.dx, dst.stride,
         src.pixels + static_cast<std::ptrdiff_t>(mask.sy) * src.stride + mask.sx,
         src.pixels + static_cast<std::ptrdiff_t>(sprite.sy) * src.stride + sprite.sx, src.stride, mask.width,
         mask.height);
}

}  // namespace

void SoftwareMaskedBlit(PixelSpan dst, std::int32_t dx, std::int32_t dy, std::int32_t width, std::int32_t height,
                        PixelView src, std::int32_t sx, std::int32_t mask_sy, std::int32_t sprite_sy) {
    MaskedBlit(PickedRows(), dst, dx, dy, width, height, src, sx, mask_sy, sprite_sy);
}

std::vector<MaskedDrawVersion> MaskedDrawVersions() {
    std::vector<MaskedDrawVersion> versions;
    for (const RowsVersion& version : kRowsVersions) versions.push_back({version.name, version.runs_here()});
    return versions;
}

void SoftwareMaskedBlitVersion(std::size_t version, PixelSpan dst, std::int32_t dx, std::int32_t dy,
                               std::int32_t width, std::int32_t height, PixelView src, std::int32_t sx,
                               std::int32_t mask_sy, std::int32_t sprite_sy) {
    MaskedBlit(kRowsVersions[version].rows, dst, dx, dy, width, height, src, sx, mask_sy, sprite_sy);
}

void SoftwareBlit(PixelSpan dst, std::int32_t dx, std::int32_t dy, std::int32_t width, std::int32_t height,
                  PixelView src, std::int32_t sx, std::int32_t sy, RasterOp op) {
    BlitRect r{dx, dy, width, height, sx, sy};
    if (!ClipBlit(r, dst.width, dst.height, src.width, src.height)) return;
    const std::int32_t w = r.width, h = r.height;

    const std::uint32_t* s = src.pixels + static_cast<std::ptrdiff_t>(r.sy) * src.stride + r.sx;
    std::uint32_t* d = dst.pixels + static_cast<std::ptrdiff_t>(r.dy) * dst.stride + r.dx;

    // A source that overlaps its own target is read from a copy first.
    std::vector<std::uint32_t> copy;
    std::ptrdiff_t s_stride = src.stride;
    if (src.pixels == dst.pixels) {
        copy.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        for (std::int32_t y = 0; y < h; ++y)
            std::memcpy(&copy[static_cast<std::size_t>(y) * static_cast<std::size_t>(w)], s + y * s_stride,
                        static_cast<std::size_t>(w) * sizeof(std::uint32_t));
        s = copy.data();
        s_stride = w;
    }

    switch (op) {
        case RasterOp::SrcCopy:
            for (std::int32_t y = 0; y < h; ++y)
                std::memcpy(d + y * dst.stride, s + y * s_stride, static_cast<std::size_t>(w) * sizeof(std::uint32_t));
            break;
        case RasterOp::SrcErase:
            Rows(d, dst.stride, s, s_stride, w, h, [](std::uint32_t a, std::uint32_t b) { return a & ~b; });
            break;
        case RasterOp::SrcInvert:
            Rows(d, dst.stride, s, s_stride, w, h, [](std::uint32_t a, std::uint32_t b) { return a ^ b; });
            break;
    }
}

}  // namespace nyamo
