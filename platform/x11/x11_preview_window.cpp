// The preview: a child window inside a window of another client (the host
// named on the command line), showing the sample picture of the chosen
// background stretched smoothly to the host's size. X does not end a client
// whose window was destroyed with its parent, so the preview watches both
// windows and ends itself when either goes.
#include <X11/Xutil.h>

#include <cmath>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#include <stb/stb_image_resize.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include "platform/x11/x11_display.h"
#include "platform/x11/x11_image.h"
#include "platform/x11/x11_platform.h"
#include "preview/preview.h"

namespace nyamo::x11 {

namespace {

int ImageIndex(Control image) { return image == Control::Prev1 ? 1 : 0; }

// Round as the image control rounds its fractional pixel sizes.
int RoundPixels(float value) { return static_cast<int>(std::nearbyint(double{value})); }

// The sample resampled to width x height with a Mitchell filter for
// enlarging and box averaging for shrinking: smooth either way.
PixelBuffer Stretch(const PixelBuffer& sample, int width, int height) {
    PixelBuffer out(width, height);
    if (sample.width <= 0 || sample.height <= 0 || width <= 0 || height <= 0) return out;
    stbir_resize_uint8(reinterpret_cast<const unsigned char*>(sample.pixels.data()), sample.width, sample.height,
                       sample.width * 4, reinterpret_cast<unsigned char*>(out.pixels.data()), width, height, width * 4,
                       4);
    for (std::uint32_t& p : out.pixels) p &= 0x00FFFFFF;
    return out;
}

}  // namespace

void X11Platform::LoadPreviewWindow(PixelView desktop_sample, PixelView blank_sample) {
    UnloadPreviewWindow();
    preview_.samples[0] = PixelBuffer(desktop_sample);
    preview_.samples[1] = PixelBuffer(blank_sample);
    XSetWindowAttributes attributes{};
    // Created outside any manager's reach; it lives inside the host anyway.
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display_, screen_number_);
    attributes.event_mask = ExposureMask | StructureNotifyMask;
    preview_.window = XCreateWindow(display_, root_, 0, 0, 1, 1, 0, DefaultDepth(display_, screen_number_), InputOutput,
                                    DefaultVisual(display_, screen_number_),
                                    CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    preview_.width = preview_.height = 1;
    SetWindowName(display_, preview_.window, kPreviewCaption);
}

bool X11Platform::EmbedPreviewIn(WindowHandle host) {
    const Window parent = WindowFromHandle(host);
    if (preview_.window == 0 || parent == 0) return false;
    ErrorTrap trap(display_);
    XReparentWindow(display_, preview_.window, parent, 0, 0);
    // Told when the host goes; other clients may select on it as well.
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, parent, &attributes);
    XSelectInput(display_, parent, attributes.your_event_mask | StructureNotifyMask);
    if (trap.Failed()) return false;
    preview_.host = parent;
    return true;
}

void X11Platform::SetPreviewWindowRect(float left, float top, float width, float height) {
    if (preview_.window == 0) return;
    const int w = std::max(TwipsToPixels(width), 1);
    const int h = std::max(TwipsToPixels(height), 1);
    preview_.width = w;
    preview_.height = h;
    XMoveResizeWindow(display_, preview_.window, TwipsToPixels(left), TwipsToPixels(top), static_cast<unsigned>(w),
                      static_cast<unsigned>(h));
}

void X11Platform::SetPreviewImageRect(Control image, float width, float height, float left, float top) {
    PreviewImage& i = preview_.images[ImageIndex(image)];
    i.width = RoundPixels(width);
    i.height = RoundPixels(height);
    i.left = RoundPixels(left);
    i.top = RoundPixels(top);
}

void X11Platform::SetPreviewImageVisible(Control image, bool visible) {
    preview_.images[ImageIndex(image)].visible = visible;
}

void X11Platform::ComposePreview() {
    preview_.screen = PixelBuffer(preview_.width, preview_.height);
    for (int i = 0; i < 2; ++i) {
        const PreviewImage& image = preview_.images[i];
        if (!image.visible) continue;
        const PixelBuffer stretched = Stretch(preview_.samples[i], image.width, image.height);
        SoftwareBlit(preview_.screen.span(), image.left, image.top, image.width, image.height, stretched.view(), 0, 0,
                     RasterOp::SrcCopy);
    }
}

void X11Platform::ShowPreviewWindow() {
    if (preview_.window == 0) return;
    ComposePreview();
    preview_.image = std::make_unique<WindowImage>(display_, preview_.window, DefaultVisual(display_, screen_number_),
                                                   DefaultDepth(display_, screen_number_),
                                                   DefaultColormap(display_, screen_number_), preview_.width,
                                                   preview_.height);
    // The picture goes up on the Expose that the map brings.
    XMapWindow(display_, preview_.window);
    XSync(display_, False);
}

void X11Platform::UnloadPreviewWindow() {
    if (preview_.window == 0) return;
    preview_.image.reset();
    {
        // Usually already gone with its host.
        ErrorTrap trap(display_);
        XDestroyWindow(display_, preview_.window);
        trap.Failed();
    }
    preview_ = PreviewWindowState{};
}

}  // namespace nyamo::x11
