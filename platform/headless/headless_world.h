// The world a headless program lives in: a screen with a desktop picture,
// top-level windows with captions (other programs' and the program's own),
// the pointer, the caret and the clock. Tests script it; two programs that
// share one world see each other's windows, as two processes on one desktop do.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/common/software_blitter.h"
#include "platform/platform.h"

namespace nyamo {

struct HeadlessWindow {
    std::string caption;
    Rect rect;                 // screen pixels
    WindowHandle parent = 0;   // 0 for a top-level window
};

class HeadlessWorld {
public:
    HeadlessWorld(std::int32_t screen_width = 1024, std::int32_t screen_height = 768, float twips_per_pixel = 15);

    // Screen size in pixels; the desktop picture is resized (black) to match.
    void SetScreen(std::int32_t width, std::int32_t height, float twips_per_pixel = 15);
    std::int32_t screen_width() const { return screen_width_; }
    std::int32_t screen_height() const { return screen_height_; }
    float twips_per_pixel() const { return twips_per_pixel_; }
    PixelBuffer& desktop() { return desktop_; }

    WindowHandle CreateWindow(std::string caption, Rect rect, WindowHandle parent = 0);
    // Destroys the window and, with it, every window below it.
    void DestroyWindow(WindowHandle window);
    const HeadlessWindow* Find(WindowHandle window) const;
    WindowHandle FindTopLevel(std::string_view caption) const;
    void SetCaption(WindowHandle window, std::string caption);
    void Reparent(WindowHandle window, WindowHandle parent);

    Point cursor;
    Point caret;
    std::uint64_t clock = 0;
    // Each clock reading moves the clock on by this much (0: a frozen clock).
    std::uint64_t clock_step = 0;

private:
    std::int32_t screen_width_ = 0;
    std::int32_t screen_height_ = 0;
    float twips_per_pixel_ = 15;
    PixelBuffer desktop_;
    std::map<WindowHandle, HeadlessWindow> windows_;
    WindowHandle next_handle_ = 0x1000;
};

}  // namespace nyamo
