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

std::optional<PixelSpan> SurfaceTable::Bits(SurfaceHandle surface) const {
    const PixelSpan* pixels = Lookup(surface);
    return pixels == nullptr ? std::nullopt : std::optional<PixelSpan>(*pixels);
}

void SurfaceTable::Settle() {
    masked_draw_.Settle([this](SurfaceHandle h) { return Bits(h); });
}

const PixelSpan* SurfaceTable::Find(SurfaceHandle surface) {
    Settle();
    return Lookup(surface);
}

const PixelBuffer* SurfaceTable::FindOwned(SurfaceHandle surface) {
    Settle();
    const auto it = surfaces_.find(surface);
    if (it == surfaces_.end() || it->second.adopted) return nullptr;
    return &it->second.owned;
}

void SurfaceTable::Blit(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width,
                        std::int32_t height, SurfaceHandle src, std::int32_t sx, std::int32_t sy, RasterOp op) {
    masked_draw_.Blit(dst, dx, dy, width, height, src, sx, sy, op, [this](SurfaceHandle h) { return Bits(h); });
}

}  // namespace nyamo
