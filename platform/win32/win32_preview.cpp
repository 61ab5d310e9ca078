// The preview: a borderless window made a child of the host's preview
// window, showing one still sample stretched to the host's size. It ends
// with its host.
#include <cmath>

#include "platform/win32/win32_platform.h"
#include "preview/preview.h"

namespace nyamo {

namespace {

// How often the host is looked for. The child is destroyed with its parent,
// but when the host's process dies rather than closing its window, the
// child may vanish with it without a message to this process (seen under
// Wine): then the watch notices and ends the program. It is a thread timer,
// since a window timer would vanish with the window.
constexpr UINT kHostWatchMs = 250;

int ImageIndex(Control image) { return image == Control::Prev1 ? 1 : 0; }


}  // namespace

void Win32Platform::LoadPreviewWindow(PixelView desktop_sample, PixelView blank_sample) {
    samples_[0] = Win32SurfaceFrom(desktop_sample);
    samples_[1] = Win32SurfaceFrom(blank_sample);
    preview_ = CreateWindowExW(WS_EX_TOOLWINDOW, kPreviewClass, Widen(kPreviewCaption).c_str(), WS_POPUP | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                               nullptr, nullptr, instance_, this);
    if (preview_ == nullptr) return;
    WindowCreated();
    GiveIcon(preview_);
}

bool Win32Platform::EmbedPreviewIn(WindowHandle host) {
    const HWND parent = reinterpret_cast<HWND>(host);
    if (preview_ == nullptr || host == 0 || !IsWindow(parent)) return false;
    const LONG_PTR style = GetWindowLongPtrW(preview_, GWL_STYLE);
    SetWindowLongPtrW(preview_, GWL_STYLE, style | WS_CHILD);
    // The host may have gone since it was measured, or refuse the child.
    if (SetParent(preview_, parent) == nullptr) return false;
    preview_host_ = parent;
    host_watch_ = SetTimer(nullptr, 0, kHostWatchMs, nullptr);
    return true;
}

void Win32Platform::SetPreviewWindowRect(float left, float top, float width, float height) {
    if (preview_ == nullptr) return;
    SetWindowPos(preview_, nullptr, PixelsFromTwipsX(left), PixelsFromTwipsY(top), PixelsFromTwipsX(width),
                 PixelsFromTwipsY(height), SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Platform::SetPreviewImageRect(Control image, float width, float height, float left, float top) {
    // Sizes in pixels, possibly fractional: rounded half to even.
    const auto px = [](float v) { return static_cast<LONG>(std::nearbyint(double{v})); };
    const LONG l = px(left), t = px(top);
    sample_rects_[static_cast<std::size_t>(ImageIndex(image))] = RECT{l, t, l + px(width), t + px(height)};
    if (preview_ != nullptr) InvalidateRect(preview_, nullptr, FALSE);
}

void Win32Platform::SetPreviewImageVisible(Control image, bool visible) {
    sample_visible_[static_cast<std::size_t>(ImageIndex(image))] = visible;
    if (preview_ != nullptr) InvalidateRect(preview_, nullptr, FALSE);
}

void Win32Platform::ShowPreviewWindow() {
    if (preview_ == nullptr) return;
    // Shown without taking the activation from the host's page.
    ShowWindow(preview_, SW_SHOWNA);
    UpdateWindow(preview_);
}

void Win32Platform::UnloadPreviewWindow() {
    // WM_DESTROY lets go of the host and counts the window as gone.
    if (preview_ != nullptr) DestroyWindow(preview_);
}

void Win32Platform::PaintPreview(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    // Composed off-screen, then put on the window in one copy.
    Win32Surface frame = MakeWin32Surface(client.right, client.bottom);
    if (frame.dc != nullptr) {
        for (std::size_t i = 0; i < samples_.size(); ++i) {
            const Win32Surface& sample = samples_[i];
            if (!sample_visible_[i] || sample.dc == nullptr) continue;
            const RECT& r = sample_rects_[i];
            // HALFTONE averages the source pixels: a smooth miniature rather
            // than a sampled one.
            SetStretchBltMode(frame.dc, HALFTONE);
            SetBrushOrgEx(frame.dc, 0, 0, nullptr);
            StretchBlt(frame.dc, r.left, r.top, r.right - r.left, r.bottom - r.top, sample.dc, 0, 0, sample.width,
                       sample.height, SRCCOPY);
        }
        ::BitBlt(dc, 0, 0, client.right, client.bottom, frame.dc, 0, 0, SRCCOPY);
        FreeWin32Surface(frame);
    }
    EndPaint(window, &paint);
}

void Win32Platform::WatchPreviewHost() {
    if (preview_ == nullptr) return;
    if (!IsWindow(preview_)) {
        // Gone with a dead host, without WM_DESTROY reaching us.
        KillTimer(nullptr, host_watch_);
        host_watch_ = 0;
        preview_ = nullptr;
        preview_host_ = nullptr;
        WindowGone();
        return;
    }
    if (!IsWindow(preview_host_)) DestroyWindow(preview_);
}

LRESULT Win32Platform::OnPreviewMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            PaintPreview(window);
            return 0;
        case WM_DESTROY:
            if (host_watch_ != 0) KillTimer(nullptr, host_watch_);
            host_watch_ = 0;
            preview_ = nullptr;
            preview_host_ = nullptr;
            WindowGone();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace nyamo
