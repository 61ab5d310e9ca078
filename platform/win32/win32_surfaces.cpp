// Surfaces: 32-bit top-down DIB sections, each selected into its own memory
// DC for its whole life (GDI draws the desktop and the window from them); the
// raster operations between them run on their bits in the software blitter.
#include <algorithm>
#include <cstring>

#include "platform/common/blit_clip.h"
#include "platform/common/masked_draw.h"
#include "platform/common/software_blitter.h"
#include "platform/win32/win32_gdi_profile.h"
#include "platform/win32/win32_platform.h"

namespace nyamo {

// A DIB section is zero-filled when made: black in BGRX.
Win32Surface MakeWin32Surface(std::int32_t width, std::int32_t height) {
    Win32Surface s;
    if (width <= 0 || height <= 0) return s;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, like the seam's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) return s;
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) {
        DeleteObject(bitmap);
        return s;
    }
    s.dc = dc;
    s.bitmap = bitmap;
    s.old_bitmap = SelectObject(dc, bitmap);
    s.bits = static_cast<std::uint32_t*>(bits);
    s.width = width;
    s.height = height;
    return s;
}

Win32Surface Win32SurfaceFrom(PixelView pixels) {
    Win32Surface s = MakeWin32Surface(pixels.width, pixels.height);
    if (s.bits != nullptr)
        for (std::int32_t y = 0; y < s.height; ++y)
            std::memcpy(s.bits + static_cast<std::ptrdiff_t>(y) * s.width,
                        pixels.pixels + static_cast<std::ptrdiff_t>(y) * pixels.stride,
                        static_cast<std::size_t>(s.width) * sizeof(std::uint32_t));
    return s;
}

void FreeWin32Surface(Win32Surface& s) {
    if (s.dc != nullptr) {
        SelectObject(s.dc, s.old_bitmap);
        DeleteDC(s.dc);
    }
    if (s.bitmap != nullptr) DeleteObject(s.bitmap);
    s = Win32Surface{};
}


Win32Surface* Win32Platform::LookupSurface(SurfaceHandle handle) {
    const auto it = surfaces_.find(handle);
    return it == surfaces_.end() ? nullptr : &it->second;
}

std::optional<PixelSpan> Win32Platform::SurfaceBits(SurfaceHandle handle) {
    const Win32Surface* s = LookupSurface(handle);
    if (s == nullptr || s->bits == nullptr) return std::nullopt;
    return PixelSpan{s->bits, s->width, s->height, s->width};
}

// Every reader of a surface gets it with all the raster operations asked
// for so far made, the held SRCERASE included.
Win32Surface* Win32Platform::FindSurface(SurfaceHandle handle) {
    masked_draw_.Settle([this](SurfaceHandle h) { return SurfaceBits(h); });
    return LookupSurface(handle);
}

SurfaceHandle Win32Platform::CreateSurface(std::int32_t width, std::int32_t height) {
    surfaces_.emplace(next_surface_, MakeWin32Surface(width, height));
    return next_surface_++;
}

SurfaceHandle Win32Platform::CreateSurfaceFrom(PixelView pixels) {
    surfaces_.emplace(next_surface_, Win32SurfaceFrom(pixels));
    return next_surface_++;
}

void Win32Platform::DestroySurface(SurfaceHandle surface) {
    masked_draw_.Settle([this](SurfaceHandle h) { return SurfaceBits(h); });
    const auto it = surfaces_.find(surface);
    if (it == surfaces_.end()) return;
    FreeWin32Surface(it->second);
    surfaces_.erase(it);
}

void Win32Platform::BitBlt(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width, std::int32_t height,
                           SurfaceHandle src, std::int32_t sx, std::int32_t sy, RasterOp op) {
    const GdiTimer timer(op == RasterOp::SrcCopy ? GdiWork::Restore : GdiWork::Stamp,
                         std::int64_t{width} * height);
    // On the bits, not through GDI: the same result bit for bit (the Wine
    // suite's blit check), at half the time of a GDI call under Wine, and
    // with nothing left in GDI's batch that a later read of the bits would
    // have to wait for. A kitten's SRCERASE and SRCINVERT become one pass.
    masked_draw_.Blit(dst, dx, dy, width, height, src, sx, sy, op,
                      [this](SurfaceHandle h) { return SurfaceBits(h); });
}

// The desktop as the screen shows it now; the saver window is hidden while
// this runs, so it never copies itself.
void Win32Platform::CopyDesktop(SurfaceHandle dst, std::int32_t width, std::int32_t height) {
    Win32Surface* d = FindSurface(dst);
    if (d == nullptr || d->dc == nullptr) return;
    const HWND desktop = GetDesktopWindow();
    HDC screen = GetDC(desktop);
    if (screen == nullptr) return;
    if (monitor_) {
        // A monitor beside the primary one lies wholly on the desktop, also
        // left of or above the primary one's corner, where ClipBlit would cut.
        ::BitBlt(d->dc, 0, 0, std::min(width, d->width), std::min(height, d->height), screen, monitor_->left,
                 monitor_->top, SRCCOPY);
        ReleaseDC(desktop, screen);
        GdiFlush();
        return;
    }
    BlitRect r{0, 0, width, height, 0, 0};
    if (ClipBlit(r, d->width, d->height, GetSystemMetrics(SM_CXVIRTUALSCREEN) + GetSystemMetrics(SM_XVIRTUALSCREEN),
                 GetSystemMetrics(SM_CYVIRTUALSCREEN) + GetSystemMetrics(SM_YVIRTUALSCREEN)))
        ::BitBlt(d->dc, r.dx, r.dy, r.width, r.height, screen, r.sx, r.sy, SRCCOPY);
    ReleaseDC(desktop, screen);
    GdiFlush();
}

}  // namespace nyamo
