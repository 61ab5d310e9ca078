#include "platform/common/surface_table.h"

namespace nyamo {

SurfaceHandle SurfaceTable::Create(std::int32_t width, std::int32_t height) {
    surfaces_.emplace(next_, PixelBuffer(width, height));
    return next_++;
}

SurfaceHandle SurfaceTable::CreateFrom(PixelView pixels) {
    surfaces_.emplace(next_, PixelBuffer(pixels));
    return next_++;
}

PixelBuffer* SurfaceTable::Find(SurfaceHandle surface) {
    const auto it = surfaces_.find(surface);
    return it == surfaces_.end() ? nullptr : &it->second;
}

const PixelBuffer* SurfaceTable::Find(SurfaceHandle surface) const {
    const auto it = surfaces_.find(surface);
    return it == surfaces_.end() ? nullptr : &it->second;
}

void SurfaceTable::Blit(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width,
                        std::int32_t height, SurfaceHandle src, std::int32_t sx, std::int32_t sy, RasterOp op) {
    PixelBuffer* d = Find(dst);
    const PixelBuffer* s = Find(src);
    if (d == nullptr || s == nullptr) return;
    SoftwareBlit(d->span(), dx, dy, width, height, s->view(), sx, sy, op);
}

}  // namespace nyamo
