// Off-screen surfaces kept in memory and combined with the software blitter:
// the surface half of every backend that has no blitter of its own.
#pragma once

#include <map>

#include "platform/common/software_blitter.h"
#include "platform/platform.h"

namespace nyamo {

class SurfaceTable {
public:
    SurfaceHandle Create(std::int32_t width, std::int32_t height);
    SurfaceHandle CreateFrom(PixelView pixels);
    void Destroy(SurfaceHandle surface) { surfaces_.erase(surface); }
    // The surface, or nullptr for a handle that names none.
    PixelBuffer* Find(SurfaceHandle surface);
    const PixelBuffer* Find(SurfaceHandle surface) const;
    // BitBlt between two surfaces of the table; nothing happens when either
    // handle names no surface, as GDI fails on a bad device context.
    void Blit(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width, std::int32_t height,
              SurfaceHandle src, std::int32_t sx, std::int32_t sy, RasterOp op);
    std::size_t size() const { return surfaces_.size(); }

private:
    std::map<SurfaceHandle, PixelBuffer> surfaces_;
    SurfaceHandle next_ = 1;
};

}  // namespace nyamo
