// The platform of Nyamo as an xscreensaver hack: the core's frames go into a
// window that another client owns (xscreensaver's, the root, a --window-id,
// or the hack's own --window), at that window's size. Input and the end
// stay with that client: no grab, no pointer, no raising, no window of our
// own. The desktop is the picture xscreensaver took before it blanked.
//
// Implemented: the system and the saver's frames. Not offered, as the
// window is another client's: the saver window's life and its place on the
// desktop (placing, showing, raising, focusing or pointing at it), windows
// of others, the preview and the dialog. The hack runs no Main.
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

    // What the hack's App runs on: its frames, and the system.
    Platform roles() { return {.system = *this, .frames = *this}; }

    // Draw into window from now on, at its size and in its visual. False if
    // the window does not exist.
    bool DrawInto(Window window);
    bool HasTarget() const { return saver_.window != 0; }
    std::int32_t Width() const { return saver_.width; }
    std::int32_t Height() const { return saver_.height; }
    // The picture that CopyDesktop gives: a pixmap of the screen's depth
    // (xscreensaver's screenshot), or None for black.
    void SetDesktop(Pixmap desktop) { desktop_ = desktop; }
    // A line of text drawn in the window's bottom-left corner over every
    // frame from now on (the frame rate).
    void SetCaption(std::string text);
    // Handle one X event: exposure, completion of uploads, visibility and
    // mapping, a new size, the window manager's close request, the window's end.
    HackInput Handle(const XEvent& event);

    // --- SaverFrames: what differs from the saver's own window ---------------
    void PresentSaverFrame(SurfaceHandle src, std::span<const Rect> areas) override;
    bool SaverFrameVisible() override;

protected:
    void CaptureDesktop(PixelSpan dst, int width, int height) override;

private:
    void DrawCaption();

    Atom wm_protocols_;
    Atom wm_delete_window_;
    Pixmap desktop_ = None;
    std::string caption_;
    GC caption_gc_ = nullptr;
    XFontStruct* caption_font_ = nullptr;
    Rect caption_extent_{};  // where the caption was last drawn
};

}  // namespace nyamo::x11
