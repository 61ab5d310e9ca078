// The X11 backend's settings-dialog operations, on the FLTK dialog.
#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/x11/fltk_dialog.h"
#include "platform/x11/x11_platform.h"

namespace nyamo::x11 {

void X11Platform::LoadSettingsDialog(std::string_view caption) {
    dialog_ = std::make_unique<FltkDialog>(caption, dialog_events_, twips_per_pixel_, primary_.left, primary_.top);
}

// Before its window maps, no manager has framed the dialog, so its outer
// size is its client size; the core's arithmetic then gives the client 300 x
// 200 pixels exactly, and the manager adds its frame around that.
float X11Platform::DialogOuterWidth() { return static_cast<float>(dialog_->client_width()) * twips_per_pixel_; }
float X11Platform::DialogOuterHeight() { return static_cast<float>(dialog_->client_height()) * twips_per_pixel_; }
std::int32_t X11Platform::DialogClientWidth() { return dialog_->client_width(); }
std::int32_t X11Platform::DialogClientHeight() { return dialog_->client_height(); }
void X11Platform::SetDialogOuterWidth(float twips) {
    dialog_->set_client_size(std::max(TwipsToPixels(twips), 1), dialog_->client_height());
}
void X11Platform::SetDialogOuterHeight(float twips) {
    dialog_->set_client_size(dialog_->client_width(), std::max(TwipsToPixels(twips), 1));
}
void X11Platform::SetDialogLeft(float twips) { dialog_->set_position(TwipsToPixels(twips), dialog_->top()); }
void X11Platform::SetDialogTop(float twips) { dialog_->set_position(dialog_->left(), TwipsToPixels(twips)); }

void X11Platform::SetControlFontSize(Control control, float points) {
    // FLTK sizes text in pixels: points x dots per inch / 72, and the dots
    // per inch are 1440 / twips per pixel.
    const int pixels = static_cast<int>(std::lround(double{points} * 20.0 / double{twips_per_pixel_}));
    dialog_->SetFontPixels(control, std::max(pixels, 1));
}

void X11Platform::SetOptionSelected(Control option) { dialog_->SelectOption(option); }
bool X11Platform::IsOptionSelected(Control option) { return dialog_->OptionSelected(option); }
void X11Platform::SetChecked(Control box, bool checked) { dialog_->SetChecked(box, checked); }
bool X11Platform::IsChecked(Control box) { return dialog_->Checked(box); }
std::int16_t X11Platform::ScrollValue(Control bar) { return dialog_->ScrollValue(bar); }
void X11Platform::SetScrollValue(Control bar, std::int16_t value) { dialog_->SetScrollValue(bar, value); }
void X11Platform::SetLabelText(Control label, std::string_view text) { dialog_->SetText(label, text); }
void X11Platform::ShowSettingsDialog() { dialog_->Show(); }
void X11Platform::UnloadSettingsDialog() {
    if (dialog_) dialog_->Unload();
}
void X11Platform::ShowError(std::string_view caption, std::string_view text) {
    if (dialog_) dialog_->Alert(caption, text);
}

void X11Platform::SetControlBounds(Control control, std::int32_t width, std::int32_t height, std::int32_t left,
                                   std::int32_t top) {
    if (control == Control::FocusSink) {
        // The sink was made at (-50, 0), 30 x 30: outside the visible area.
        if (saver_.sink != 0)
            XMoveResizeWindow(display_, saver_.sink, left, top, static_cast<unsigned>(std::max(width, 1)),
                              static_cast<unsigned>(std::max(height, 1)));
        return;
    }
    if (dialog_) dialog_->SetBounds(control, width, height, left, top);
}

}  // namespace nyamo::x11
