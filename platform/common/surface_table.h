// Off-screen surfaces kept in memory and combined with the software blitter:
// the surface half of every backend that has no blitter of its own.
#pragma once

#include <map>
#include <optional>

#include "platform/common/masked_draw.h"
#include "platform/common/software_blitter.h"
#include "platform/platform.h"

namespace nyamo {

class SurfaceTable {
public:
    SurfaceHandle Create(std::int32_t width, std::int32_t height);
    SurfaceHandle CreateFrom(PixelView pixels);
    // A surface over pixels that another owner keeps (a window's shared
    // image); they must outlive the surface or be destroyed after it.
    SurfaceHandle Adopt(PixelSpan pixels);
    void Destroy(SurfaceHandle surface) {
        Settle();
        surfaces_.erase(surface);
    }
    // The surface's pixels, or nullptr for a handle that names none. Every
    // blit asked for so far has been made in them first (the held draw
    // writes its target): not const.
    const PixelSpan* Find(SurfaceHandle surface);
    // The surface's own buffer; nullptr for a handle that names none or an
    // adopted surface. Makes the held draw as Find does.
    const PixelBuffer* FindOwned(SurfaceHandle surface);
    // BitBlt between two surfaces of the table; nothing happens when either
    // handle names no surface, as GDI fails on a bad device context. A
    // SRCERASE waits for the next call: when that is the SRCINVERT of the
    // same masked draw, both are made in one pass (SoftwareMaskedBlit).
    void Blit(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width, std::int32_t height,
              SurfaceHandle src, std::int32_t sx, std::int32_t sy, RasterOp op);
    std::size_t size() const { return surfaces_.size(); }

private:
    // Make the SRCERASE still held, if any.
    void Settle();
    std::optional<PixelSpan> Bits(SurfaceHandle surface) const;
    const PixelSpan* Lookup(SurfaceHandle surface) const;

    struct Surface {
        PixelBuffer owned;  // empty for an adopted surface
        PixelSpan pixels;   // into owned, or into the adopted memory
        bool adopted = false;
    };
    SurfaceHandle Insert(PixelBuffer owned, PixelSpan adopted);

    // Nodes of a map never move, so a span into a node's own buffer stays valid.
    std::map<SurfaceHandle, Surface> surfaces_;
    SurfaceHandle next_ = 1;
    // Made before anything else looks at or changes the surfaces.
    MaskedDrawJoin masked_draw_;
};

}  // namespace nyamo
