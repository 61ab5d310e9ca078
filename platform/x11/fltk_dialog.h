// The settings dialog drawn with FLTK 1.3: one window of absolute-placed
// widgets whose geometry, texts and values the core sets through the seam.
// FLTK stays inside fltk_dialog.cpp; this header names none of its types.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/platform.h"

namespace nyamo::x11 {

struct DialogEvents;

class FltkDialog {
public:
    // Create the window hidden with its design geometry and texts. Events
    // reach the core through events; tpp is the screen's twips per pixel;
    // (origin_x, origin_y) is the primary screen's corner on the X screen.
    FltkDialog(std::string_view caption, const DialogEvents& events, float tpp, int origin_x, int origin_y);
    ~FltkDialog();
    FltkDialog(const FltkDialog&) = delete;
    FltkDialog& operator=(const FltkDialog&) = delete;

    bool loaded() const;
    int client_width() const;
    int client_height() const;
    void set_client_size(int width, int height);
    void set_position(int left, int top);  // client corner, pixels in the primary screen
    int left() const;
    int top() const;
    void SetFontPixels(Control control, int pixels);
    void SelectOption(Control option);
    bool OptionSelected(Control option) const;
    void SetChecked(Control box, bool checked);
    bool Checked(Control box) const;
    std::int16_t ScrollValue(Control bar) const;
    void SetScrollValue(Control bar, std::int16_t value);
    void SetText(Control label, std::string_view text);
    void SetBounds(Control control, int width, int height, int left, int top);
    void Show();
    void Unload();
    void Alert(std::string_view caption, std::string_view text);

    struct Widgets;  // the FLTK widgets, known only to fltk_dialog.cpp

private:
    std::unique_ptr<Widgets> w_;
};

}  // namespace nyamo::x11
