// The platform of Nyamo as an xscreensaver hack: the core's frames go into a
// window that another client owns (xscreensaver's, the root, a --window-id,
// or the hack's own --window), at that window's size. Input and the end
// stay with that client: no grab, no pointer, no raising, no window of our
// own. The desktop is the picture xscreensaver took before it blanked.
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "platform/x11/x11_platform.h"

namespace nyamo::x11 {

// What an X event meant for the hack.
enum class HackInput { Nothing, Resized, CloseRequested, TargetGone };

class HackPlatform final : public X11Platform {
public:
    explicit HackPlatform(Display* display);
    ~HackPlatform() override;

    // Draw into window from now on. False if the window does not exist.
    bool Adopt(Window window);
    bool HasTarget() const { return saver_.window != 0; }
    std::int32_t Width() const { return saver_.width; }
    std::int32_t Height() const { return saver_.height; }
    // The picture that CopyDesktop gives: a pixmap of the screen's depth
    // (xscreensaver's screenshot), or None for black.
    void SetDesktop(Pixmap desktop) { desktop_ = desktop; }
    // A line of text drawn in the window's bottom-left corner over every
    // frame from now on (the frame rate).
    void SetCaption(std::string text);
    // The interval the core last asked its timer for, in milliseconds.
    std::int32_t TickInterval() const { return tick_ms_; }

    // Handle one X event: exposure, completion of uploads, visibility and
    // mapping, a new size, the window manager's close request, the window's end.
    HackInput Handle(const XEvent& event);

    // --- Platform: what differs from the saver window ----------------------
    void CopyDesktop(SurfaceHandle dst, std::int32_t width, std::int32_t height) override;
    void SetTimerInterval(std::int32_t milliseconds) override { tick_ms_ = milliseconds > 0 ? milliseconds : 1; }
    void PresentSaverFrame(SurfaceHandle src, std::span<const Rect> areas) override;
    bool SaverFrameVisible() override;
    void UnloadSaverWindow() override;
    // The window is another client's: the core's requests to place, show,
    // hide, raise or point at it change nothing.
    void LoadSaverWindow(std::string_view, std::int32_t timer_ms) override { SetTimerInterval(timer_ms); }
    void SetSaverWindowRect(float, float, float, float) override {}
    void ShowSaverWindow() override {}
    void FocusSaverSink() override {}
    void SetSaverPointer(PointerShape) override {}
    void MakeSaverTopmost() override {}

private:
    void DrawCaption();
    void CaptureDesktop(PixelSpan dst, int width, int height);

    Atom wm_protocols_;
    Atom wm_delete_window_;
    Pixmap desktop_ = None;
    std::string caption_;
    GC caption_gc_ = nullptr;
    XFontStruct* caption_font_ = nullptr;
    Rect caption_extent_{};  // where the caption was last drawn
    std::int32_t tick_ms_ = 0;
};

}  // namespace nyamo::x11
