#include "platform/common/surface_table.h"

namespace nyamo {

SurfaceHandle SurfaceTable::Insert(PixelBuffer owned, PixelSpan adopted) {
    Settle();
    Surface& s = surfaces_[next_];
    s.owned = std::move(owned);
    s.adopted = adopted.pixels != nullptr;
    s.pixels = s.adopted ? adopted : s.owned.span();
    return next_++;
}

SurfaceHandle SurfaceTable::Create(std::int32_t width, std::int32_t height) {
    return Insert(PixelBuffer(width, height), {});
}

SurfaceHandle SurfaceTable::CreateFrom(PixelView pixels) { return Insert(PixelBuffer(pixels), {}); }

SurfaceHandle SurfaceTable::Adopt(PixelSpan pixels) { return Insert(PixelBuffer(), pixels); }

const PixelSpan* SurfaceTable::Lookup(SurfaceHandle surface) const {
    const auto it = surfaces_.find(surface);
    return it == surfaces_.end() ? nullptr : &it->second.pixels;
}

void SurfaceTable::Settle() const {
    if (!erase_) return;
    const Erase e = *erase_;
    erase_.reset();
    const PixelSpan* d = Lookup(e.dst);
    const PixelSpan* s = Lookup(e.src);
    if (d != nullptr && s != nullptr) SoftwareBlit(*d, e.dx, e.dy, e.width, e.height, s->view(), e.sx, e.sy, RasterOp::SrcErase);
}

const PixelSpan* SurfaceTable::Find(SurfaceHandle surface) const {
    Settle();
    return Lookup(surface);
}

const PixelBuffer* SurfaceTable::FindOwned(SurfaceHandle surface) const {
    Settle();
    const auto it = surfaces_.find(surface);
    if (it == surfaces_.end() || it->second.adopted) return nullptr;
    return &it->second.owned;
}

void SurfaceTable::Blit(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width,
                        std::int32_t height, SurfaceHandle src, std::int32_t sx, std::int32_t sy, RasterOp op) {
    if (op == RasterOp::SrcInvert && erase_ && erase_->dst == dst && erase_->src == src && erase_->dx == dx &&
        erase_->dy == dy && erase_->width == width && erase_->height == height && erase_->sx == sx) {
        const std::int32_t mask_sy = erase_->sy;
        erase_.reset();
        const PixelSpan* d = Lookup(dst);
        const PixelSpan* s = Lookup(src);
        if (d != nullptr && s != nullptr) SoftwareMaskedBlit(*d, dx, dy, width, height, s->view(), sx, mask_sy, sy);
        return;
    }
    Settle();
    if (op == RasterOp::SrcErase) {
        erase_ = Erase{dst, src, dx, dy, width, height, sx, sy};
        return;
    }
    const PixelSpan* d = Lookup(dst);
    const PixelSpan* s = Lookup(src);
    if (d == nullptr || s == nullptr) return;
    SoftwareBlit(*d, dx, dy, width, height, s->view(), sx, sy, op);
}

}  // namespace nyamo
