#include "platform/common/surface_table.h"

namespace nyamo {

SurfaceHandle SurfaceTable::Insert(PixelBuffer owned, PixelSpan adopted) {
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

const PixelSpan* SurfaceTable::Find(SurfaceHandle surface) const {
    const auto it = surfaces_.find(surface);
    return it == surfaces_.end() ? nullptr : &it->second.pixels;
}

const PixelBuffer* SurfaceTable::FindOwned(SurfaceHandle surface) const {
    const auto it = surfaces_.find(surface);
    if (it == surfaces_.end() || it->second.adopted) return nullptr;
    return &it->second.owned;
}

void SurfaceTable::Blit(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width,
                        std::int32_t height, SurfaceHandle src, std::int32_t sx, std::int32_t sy, RasterOp op) {
    const PixelSpan* d = Find(dst);
    const PixelSpan* s = Find(src);
    if (d == nullptr || s == nullptr) return;
    SoftwareBlit(*d, dx, dy, width, height, s->view(), sx, sy, op);
}

}  // namespace nyamo
