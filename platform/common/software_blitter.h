// The three raster operations on 32-bit pixels, bit for bit on every channel:
// SRCCOPY dst = src, SRCERASE dst = src AND NOT dst, SRCINVERT dst = src XOR dst.
// Every backend composes its frames with it, in memory it owns: a surface
// table's buffers, an X11 shared image, the Wayland buffers, the Win32 DIB
// sections' bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/common/surface_memory.h"
#include "platform/platform.h"

namespace nyamo {

struct PixelSpan {
    std::uint32_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;  // in pixels

    PixelView view() const { return {pixels, width, height, stride}; }
};

// An owned surface, every pixel black when made; a whole screen's worth sits
// in huge pages where the system gives them (surface_memory.h).
struct PixelBuffer {
    PixelBuffer() = default;
    PixelBuffer(std::int32_t w, std::int32_t h);
    explicit PixelBuffer(PixelView source);

    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t, SurfaceAllocator<std::uint32_t>> pixels;

    PixelSpan span() { return {pixels.data(), width, height, width}; }
    PixelView view() const { return {pixels.data(), width, height, width}; }
    std::uint32_t at(std::int32_t x, std::int32_t y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

// Combine the width x height rectangle of src at (sx, sy) into dst at
// (dx, dy), clipped to both surfaces. The source may be the target itself.
void SoftwareBlit(PixelSpan dst, std::int32_t dx, std::int32_t dy, std::int32_t width, std::int32_t height,
                  PixelView src, std::int32_t sx, std::int32_t sy, RasterOp op);

// A masked draw: SRCERASE of the mask at (sx, mask_sy) of src, then
// SRCINVERT of the sprite at (sx, sprite_sy) of src, into the same width x
// height rectangle of dst at (dx, dy). The result is exactly that of the two
// SoftwareBlit calls; where both rectangles clip alike and src is not dst
// (the kittens' case) it is made in one pass over dst,
// dst = sprite XOR (mask AND NOT dst), which reads and writes the target
// once instead of twice.
void SoftwareMaskedBlit(PixelSpan dst, std::int32_t dx, std::int32_t dy, std::int32_t width, std::int32_t height,
                        PixelView src, std::int32_t sx, std::int32_t mask_sy, std::int32_t sprite_sy);

// The one pass is built once for each processor version it has (AVX2, where
// the compiler can target it, and the default), and a draw takes the
// fastest the processor runs. The tests prove every version the processor
// runs equal to the two raster operations, through these.
struct MaskedDrawVersion {
    const char* name;
    bool runs_here;
};
std::vector<MaskedDrawVersion> MaskedDrawVersions();
// SoftwareMaskedBlit with version `version` of MaskedDrawVersions(), which
// must run here.
void SoftwareMaskedBlitVersion(std::size_t version, PixelSpan dst, std::int32_t dx, std::int32_t dy,
                               std::int32_t width, std::int32_t height, PixelView src, std::int32_t sx,
                               std::int32_t mask_sy, std::int32_t sprite_sy);

}  // namespace nyamo
