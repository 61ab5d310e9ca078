// A kitten is stamped as a masked draw: SRCERASE of its mask, then SRCINVERT
// of its sprite into the same rectangle. Backends that make raster
// operations with the software blitter hold each SRCERASE back until the
// next operation; when that is the SRCINVERT of the same rectangle, both are
// made in one pass over the target (SoftwareMaskedBlit), which reads and
// writes each of its rows once instead of twice.
#pragma once

#include <optional>

#include "platform/common/software_blitter.h"

namespace nyamo {

class MaskedDrawJoin {
public:
    // One raster operation between surfaces that `find` turns into pixels:
    // find(handle) gives a std::optional<PixelSpan>, empty for a handle that
    // names no surface (then nothing happens, as GDI fails on a bad DC).
    template <typename Find>
    void Blit(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width, std::int32_t height,
              SurfaceHandle src, std::int32_t sx, std::int32_t sy, RasterOp op, Find&& find) {
        if (op == RasterOp::SrcInvert && erase_ && erase_->dst == dst && erase_->src == src && erase_->dx == dx &&
            erase_->dy == dy && erase_->width == width && erase_->height == height && erase_->sx == sx) {
            const std::int32_t mask_sy = erase_->sy;
            erase_.reset();
            const std::optional<PixelSpan> d = find(dst);
            const std::optional<PixelSpan> s = find(src);
            if (d && s) SoftwareMaskedBlit(*d, dx, dy, width, height, s->view(), sx, mask_sy, sy);
            return;
        }
        Settle(find);
        if (op == RasterOp::SrcErase) {
            erase_ = Erase{dst, src, dx, dy, width, height, sx, sy};
            return;
        }
        const std::optional<PixelSpan> d = find(dst);
        const std::optional<PixelSpan> s = find(src);
        if (d && s) SoftwareBlit(*d, dx, dy, width, height, s->view(), sx, sy, op);
    }

    // Make the SRCERASE still held, if any: before anything else reads,
    // changes or destroys the surfaces.
    template <typename Find>
    void Settle(Find&& find) {
        if (!erase_) return;
        const Erase e = *erase_;
        erase_.reset();
        const std::optional<PixelSpan> d = find(e.dst);
        const std::optional<PixelSpan> s = find(e.src);
        if (d && s) SoftwareBlit(*d, e.dx, e.dy, e.width, e.height, s->view(), e.sx, e.sy, RasterOp::SrcErase);
    }

    bool holding() const { return erase_.has_value(); }

private:
    struct Erase {
        SurfaceHandle dst, src;
        std::int32_t dx, dy, width, height, sx, sy;
    };
    std::optional<Erase> erase_;
};

}  // namespace nyamo
