// The settings dialog with FLTK 1.3.
#include "platform/x11/fltk_dialog.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "assets/embedded.h"
#include "assets/pictures.h"
#include "base/utf8.h"
#include "platform/x11/dialog_faces.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_platform.h"
#include "settings/dialog_design.h"
#include "settings/dialog_scale.h"

namespace nyamo::x11 {

namespace {

// The frame's title stands on its top border, as a group box draws it.
class TitledFrame : public Fl_Group {
public:
    TitledFrame(int x, int y, int w, int h, const char* title) : Fl_Group(x, y, w, h) {
        copy_label(title);
        align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
        box(FL_NO_BOX);
    }

    // Tab and arrows pass on to the window, which knows the tab order.
    int handle(int event) override {
        if (event == FL_KEYBOARD) {
            const int key = Fl::event_key();
            if (key == FL_Tab || key == FL_Up || key == FL_Down || key == FL_Left || key == FL_Right) return 0;
        }
        return Fl_Group::handle(event);
    }

protected:
    void draw() override {
        fl_font(labelfont(), labelsize());
        const int text_height = fl_height();
        const int line = y() + text_height / 2;
        fl_color(color());
        fl_rectf(x(), y(), w(), h());
        fl_draw_box(FL_ENGRAVED_FRAME, x(), line, w(), h() - (line - y()), color());
        int text_width = 0, ignored = 0;
        fl_measure(label(), text_width, ignored, 0);
        fl_color(color());
        fl_rectf(x() + 6, y(), text_width + 4, text_height);
        fl_color(labelcolor());
        fl_draw(label(), x() + 8, y() + text_height - fl_descent());
        draw_children();
    }
};

// A horizontal scroll bar whose change reaches the program as the system's
// scroll bar reports it: at once for an arrow, a click in the track or a
// key, but for a dragged thumb only when the drag ends with a new value.
class DialogScrollBar : public Fl_Scrollbar {
public:
    DialogScrollBar(int x, int y, int w, int h) : Fl_Scrollbar(x, y, w, h) {
        type(FL_HORIZONTAL);
        linesize(1);
        // A thumb this small makes a click in the track move by one, the
        // bar's large change.
        slider_size(0.01);
        when(FL_WHEN_CHANGED);
    }
    bool dragging() const { return thumb_drag_; }
    std::function<void()> on_change;

    int handle(int event) override {
        switch (event) {
            case FL_SHORTCUT:
                return 0;  // keys move only the bar that has the focus
            case FL_FOCUS:
            case FL_UNFOCUS:
                redraw();
                return 1;  // a tab stop, as the system's scroll bar is
            case FL_KEYBOARD:
                // FLTK moves a scroll bar by keys only as a shortcut.
                return Fl_Scrollbar::handle(FL_SHORTCUT);
            case FL_PUSH: {
                value_at_push_ = value();
                const int result = Fl_Scrollbar::handle(event);
                const int mx = Fl::event_x();
                thumb_drag_ = value() == value_at_push_ && mx >= x() + h() && mx < x() + w() - h();
                return result;
            }
            case FL_RELEASE: {
                const int result = Fl_Scrollbar::handle(event);
                if (thumb_drag_) {
                    thumb_drag_ = false;
                    if (value() != value_at_push_ && on_change) on_change();
                }
                return result;
            }
            default:
                return Fl_Scrollbar::handle(event);
        }
    }

private:
    bool thumb_drag_ = false;
    double value_at_push_ = 0;
};

// The dialog's window; after each key it tells the report where the focus
// went, so a test can follow the tab order.
class DialogWindow : public Fl_Double_Window {
public:
    DialogWindow(int w, int h) : Fl_Double_Window(w, h) {}
    std::function<void()> after_key;
    // Tab and the arrow keys, handled as the dialog defines them before
    // FLTK's own navigation (which moves by position on the screen) sees them.
    std::function<bool(int key, bool shift)> navigate;
    int handle(int event) override {
        if (event == FL_KEYBOARD && navigate &&
            navigate(Fl::event_key(), (Fl::event_state() & FL_SHIFT) != 0)) {
            if (after_key) after_key();
            return 1;
        }
        const int result = Fl_Double_Window::handle(event);
        if ((event == FL_KEYBOARD || event == FL_SHORTCUT) && after_key) after_key();
        return result;
    }
};

}  // namespace

struct FltkDialog::Widgets {
    DialogWindow* window = nullptr;
    TitledFrame* frame = nullptr;
    Fl_Round_Button* opt[2] = {};
    DialogScrollBar* bar[2] = {};
    Fl_Box* label[5] = {};
    Fl_Button* button[2] = {};
    Fl_Check_Button* all_screens = nullptr;
    const DialogEvents* events = nullptr;
    std::vector<unsigned char> icon_rgba;
    std::unique_ptr<Fl_RGB_Image> icon;
    // FLTK keeps the pointer it is given as the default face's name.
    std::string face;
    bool loaded = false;
    bool report = false;
    int origin_x = 0, origin_y = 0;

    Fl_Widget* Find(Control c) const {
        switch (c) {
            case Control::Frame: return frame;
            case Control::Opt0: return opt[0];
            case Control::Opt1: return opt[1];
            case Control::Label1: return label[0];
            case Control::Label2: return label[1];
            case Control::Label3: return label[2];
            case Control::Label4: return label[3];
            case Control::Label5: return label[4];
            case Control::HScroll0: return bar[0];
            case Control::HScroll1: return bar[1];
            case Control::But0: return button[0];
            case Control::But1: return button[1];
            case Control::AllScreens: return all_screens;
            default: return nullptr;
        }
    }

    // With NYAMO_DIALOG_REPORT set, the dialog writes what it shows to
    // standard output, one line per state, for tests that drive it.
    void ReportState(const char* why) const {
        if (!report || !loaded) return;
        std::printf("state %s opt0=%d opt1=%d bar0=%d bar1=%d label2=\"%s\" label4=\"%s\" screens=%d focus=%s\n",
                    why, opt[0]->value(), opt[1]->value(), static_cast<int>(bar[0]->value()),
                    static_cast<int>(bar[1]->value()), label[1]->label(), label[3]->label(), all_screens->value(),
                    FocusName());
        std::fflush(stdout);
    }
    // The tab order: Opt0, Opt1, HScroll0, HScroll1, AllScreens, But0, But1.
    // Arrows in the frame select the other option, as in a group of option
    // buttons.
    bool Navigate(int key, bool shift) {
        Fl_Widget* order[] = {opt[0], opt[1], bar[0], bar[1], all_screens, button[0], button[1]};
        constexpr int kCount = 7;
        int current = -1;
        for (int i = 0; i < kCount; ++i)
            if (Fl::focus() == order[i]) current = i;
        // A focused button is chosen by Enter as by the space bar; with the
        // focus elsewhere Enter does nothing, as no button is the default.
        if ((key == FL_Enter || key == FL_KP_Enter) && (current == 5 || current == 6)) {
            order[current]->do_callback();
            return true;
        }
        if (key == FL_Tab) {
            const int next = current < 0 ? 0 : (current + (shift ? kCount - 1 : 1)) % kCount;
            order[next]->take_focus();
            return true;
        }
        if (current == 0 || current == 1) {
            int target = -1;
            if (key == FL_Up || key == FL_Left) target = 0;
            if (key == FL_Down || key == FL_Right) target = 1;
            if (target < 0) return false;
            opt[target]->setonly();
            opt[target]->take_focus();
            return true;
        }
        // Arrows on a button do nothing; the focused bar takes them itself.
        return key == FL_Up || key == FL_Down || key == FL_Left || key == FL_Right;
    }
    const char* FocusName() const {
        const Fl_Widget* f = Fl::focus();
        if (f == opt[0]) return "Opt0";
        if (f == opt[1]) return "Opt1";
        if (f == bar[0]) return "HScroll0";
        if (f == bar[1]) return "HScroll1";
        if (f == button[0]) return "But0";
        if (f == button[1]) return "But1";
        if (f == all_screens) return "AllScreens";
        return "other";
    }
    void ReportLayout() const {
        if (!report) return;
        std::printf("window %d %d %d %d\n", window->x(), window->y(), window->w(), window->h());
        std::printf("face \"%s\"\n", face.c_str() + 1);
        const char* names[] = {"Frame", "Opt0", "Opt1", "Label1", "Label2", "Label3", "Label4", "Label5",
                               "HScroll0", "HScroll1", "But0", "But1", "AllScreens"};
        const Control controls[] = {Control::Frame, Control::Opt0, Control::Opt1, Control::Label1,
                                    Control::Label2, Control::Label3, Control::Label4, Control::Label5,
                                    Control::HScroll0, Control::HScroll1, Control::But0, Control::But1,
                                    Control::AllScreens};
        for (int i = 0; i < 13; ++i) {
            const Fl_Widget* w = Find(controls[i]);
            // What the text takes in its font: its width and its line's height.
            fl_font(w->labelfont(), w->labelsize());
            int text_w = 0, text_h = 0;
            if (w->label() != nullptr) fl_measure(w->label(), text_w, text_h, 0);
            std::printf("control %s %d %d %d %d size=%d text=\"%s\" text_w=%d line=%d\n", names[i], w->x(), w->y(),
                        w->w(), w->h(), w->labelsize(), w->label() != nullptr ? w->label() : "", text_w, fl_height());
        }
        std::fflush(stdout);
    }
    void Report(const char* line) const {
        if (!report) return;
        std::printf("%s\n", line);
        std::fflush(stdout);
    }
};

namespace {

void ButtonClicked(Fl_Widget* widget, void* data) {
    auto* w = static_cast<FltkDialog::Widgets*>(data);
    const std::int16_t index = widget == w->button[0] ? 0 : 1;
    w->Report(index == 0 ? "click OK" : "click Cancel");
    if (w->events->button_click) w->events->button_click(index);
}

void OptionClicked(Fl_Widget* /*widget*/, void* data) {
    // No code of the program runs for an option or check box click; only the report.
    static_cast<FltkDialog::Widgets*>(data)->ReportState("option");
}

void BarChanged(Fl_Widget* widget, void* /*data*/) {
    auto* bar = static_cast<DialogScrollBar*>(widget);
    if (bar->dragging()) return;  // reported when the drag ends
    bar->on_change();
}

void WindowCallback(Fl_Widget* /*widget*/, void* data) {
    auto* w = static_cast<FltkDialog::Widgets*>(data);
    // FLTK closes a window on Esc; this dialog binds Esc to nothing.
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
    // The close box: the dialog goes without any code of the program, so
    // nothing is saved.
    w->Report("closed by the close box");
    w->loaded = false;
    w->window->hide();
}

}  // namespace

FltkDialog::FltkDialog(std::string_view caption, const DialogEvents& events, float tpp, int origin_x, int origin_y)
    : w_(std::make_unique<Widgets>()) {
    Widgets& w = *w_;
    w.events = &events;
    w.report = std::getenv("NYAMO_DIALOG_REPORT") != nullptr;
    w.origin_x = origin_x;
    w.origin_y = origin_y;
    w.face = ChooseDialogFace();
    Fl::set_font(FL_HELVETICA, w.face.c_str());
    Fl::visible_focus(1);
    // Design sizes in pixels at 96 dots per inch: 8 points for the form's
    // default font, 11.25 and 9.75 points for the Gothic face. Above 120 dots
    // per inch they grow with the layout (dialog_scale.h); the core then sets
    // the size of every text but the frame's caption.
    const int default_px = ScaledPixels(11, tpp), option_px = ScaledPixels(15, tpp);
    const int label_px_design = ScaledPixels(13, tpp);

    w.window = new DialogWindow(312, 230);
    w.window->copy_label(std::string(caption).c_str());
    w.window->xclass("nyamo");
    w.window->callback(WindowCallback, &w);
    w.window->after_key = [widgets = &w] { widgets->ReportState("key"); };
    w.window->navigate = [widgets = &w](int key, bool shift) { return widgets->Navigate(key, shift); };

    w.frame = new TitledFrame(20, 15, 170, 80, std::string(kFrameText).c_str());
    const CaptionFont caption_font = FitCaption(default_px, FrameCaptionRoom(tpp, tpp));
    w.frame->labelfont(caption_font.face);
    w.frame->labelsize(caption_font.size);
    const TwipsBox boxes[2] = {kOpt0DesignTwips, kOpt1DesignTwips};
    const std::string_view option_texts[2] = {kOptDesktopText, kOptBlankText};
    for (int i = 0; i < 2; ++i) {
        // In twips up to 120 dots per inch, the 96-dpi box scaled above (dialog_scale.h).
        const PixelBox box = OptionBox(boxes[i], tpp, tpp);
        w.opt[i] = new Fl_Round_Button(20 + box.left, 15 + box.top, box.width, box.height);
        w.opt[i]->copy_label(std::string(option_texts[i]).c_str());
        w.opt[i]->type(FL_RADIO_BUTTON);
        w.opt[i]->labelsize(option_px);
        w.opt[i]->callback(OptionClicked, &w);
    }
    w.frame->end();
    // Moving the frame moves the options with it, at their size.
    w.frame->resizable(nullptr);

    const ScrollRange ranges[2] = {kCatNumBar, kSpeedBar};
    for (int i = 0; i < 2; ++i) {
        w.bar[i] = new DialogScrollBar(20 + 140 * i, 135, 130, 18);
        w.bar[i]->bounds(ranges[i].min, ranges[i].max);
        w.bar[i]->value(ranges[i].design_value);
        w.bar[i]->callback(BarChanged, &w);
        const auto index = static_cast<std::int16_t>(i);
        Widgets* widgets = &w;
        w.bar[i]->on_change = [widgets, index] {
            if (widgets->events->scroll_change) widgets->events->scroll_change(index);
            widgets->ReportState("scroll");
        };
    }
    w.all_screens = new Fl_Check_Button(217, 82, 78, 22);
    w.all_screens->copy_label(std::string(kAllScreensText).c_str());
    w.all_screens->labelsize(default_px);
    w.all_screens->callback(OptionClicked, &w);
    for (int i = 0; i < 2; ++i) {
        w.button[i] = new Fl_Button(220, 20 + 30 * i, 70, 25);
        w.button[i]->copy_label(std::string(i == 0 ? kOkText : kCancelText).c_str());
        w.button[i]->labelsize(default_px);
        w.button[i]->callback(ButtonClicked, &w);
    }
    const std::string_view label_texts[5] = {kLabel1Text, kValueDesignText, kLabel3Text, kValueDesignText,
                                             kInfoLineText};
    const int label_px[5] = {label_px_design, default_px, label_px_design, label_px_design, default_px};
    for (int i = 0; i < 5; ++i) {
        w.label[i] = new Fl_Box(20, 115, 90, 20);
        w.label[i]->copy_label(std::string(label_texts[i]).c_str());
        // Not clipped to the box: " 20" is wider than 20 pixels in this face, and
        // the window itself cuts what passes its edge.
        w.label[i]->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE);
        w.label[i]->labelsize(label_px[i]);
    }
    w.window->end();
    // A fixed single border: the user cannot resize it.
    w.window->size_range(w.window->w(), w.window->h(), w.window->w(), w.window->h());

    const Picture icon = DecodePicture(IconPng());
    if (icon.width > 0) {
        w.icon_rgba.reserve(icon.pixels.size() * 4);
        for (std::uint32_t p : icon.pixels) {
            w.icon_rgba.push_back(static_cast<unsigned char>(p >> 16));
            w.icon_rgba.push_back(static_cast<unsigned char>(p >> 8));
            w.icon_rgba.push_back(static_cast<unsigned char>(p));
            w.icon_rgba.push_back(static_cast<unsigned char>(p >> 24));
        }
        w.icon = std::make_unique<Fl_RGB_Image>(w.icon_rgba.data(), icon.width, icon.height, 4);
        w.window->icon(w.icon.get());
    }
    w.loaded = true;
}

FltkDialog::~FltkDialog() {
    if (w_->window != nullptr) {
        w_->window->hide();
        delete w_->window;
    }
    // The name given to FLTK goes with the widgets.
    Fl::set_font(FL_HELVETICA, kDialogFace);
}

bool FltkDialog::loaded() const { return w_->loaded; }
int FltkDialog::client_width() const { return w_->window->w(); }
int FltkDialog::client_height() const { return w_->window->h(); }

void FltkDialog::set_client_size(int width, int height) {
    Fl_Window* window = w_->window;
    window->size_range(width, height, width, height);
    // The window's own resize would scale its children; they keep their
    // places, as the core has placed them or will.
    Fl_Widget* resizable = window->resizable();
    window->resizable(nullptr);
    window->size(width, height);
    window->resizable(resizable);
}

void FltkDialog::set_position(int left, int top) { w_->window->position(w_->origin_x + left, w_->origin_y + top); }
int FltkDialog::left() const { return w_->window->x() - w_->origin_x; }
int FltkDialog::top() const { return w_->window->y() - w_->origin_y; }

void FltkDialog::SetFontPixels(Control control, int pixels) {
    if (Fl_Widget* widget = w_->Find(control)) {
        widget->labelsize(pixels);
        widget->redraw();
    }
}

void FltkDialog::SelectOption(Control option) {
    if (auto* button = static_cast<Fl_Round_Button*>(w_->Find(option))) button->setonly();
}

bool FltkDialog::OptionSelected(Control option) const {
    const auto* button = static_cast<const Fl_Round_Button*>(w_->Find(option));
    return button != nullptr && button->value() != 0;
}

void FltkDialog::SetChecked(Control box, bool checked) {
    if (auto* button = static_cast<Fl_Check_Button*>(w_->Find(box))) button->value(checked ? 1 : 0);
}

bool FltkDialog::Checked(Control box) const {
    const auto* button = static_cast<const Fl_Check_Button*>(w_->Find(box));
    return button != nullptr && button->value() != 0;
}

std::int16_t FltkDialog::ScrollValue(Control bar) const {
    const auto* scroll = static_cast<const Fl_Scrollbar*>(w_->Find(bar));
    return scroll == nullptr ? 0 : static_cast<std::int16_t>(std::lround(scroll->value()));
}

void FltkDialog::SetScrollValue(Control bar, std::int16_t value) {
    // The valuator's own setter calls no callback.
    if (auto* scroll = static_cast<Fl_Scrollbar*>(w_->Find(bar))) static_cast<Fl_Valuator*>(scroll)->value(value);
}

void FltkDialog::SetText(Control label, std::string_view text) {
    if (Fl_Widget* widget = w_->Find(label)) {
        widget->copy_label(std::string(text).c_str());
        widget->redraw();
    }
}

void FltkDialog::SetBounds(Control control, int width, int height, int left, int top) {
    Fl_Widget* widget = w_->Find(control);
    if (widget == nullptr) return;
    // Options are placed inside the frame; FLTK keeps every child's position
    // relative to the window.
    if (control == Control::Opt0 || control == Control::Opt1) {
        left += w_->frame->x();
        top += w_->frame->y();
    }
    widget->resize(left, top, width, height);
    w_->window->redraw();
}

void FltkDialog::Show() {
    Widgets& w = *w_;
    w.window->show();
    // FLTK 1.3 types WM_NAME and WM_ICON_NAME as STRING but fills them with
    // UTF-8, which tools read as Latin-1: name the window again, correctly.
    SetWindowName(fl_display, fl_xid(w.window), w.window->label());
    // The first control of the tab order starts with the focus, whoever
    // (a manager, or the pointer without one) gives the window the keyboard.
    w.opt[0]->take_focus();
    // Only a close box on the title bar: no minimise or maximise button.
    struct {
        unsigned long flags, functions, decorations;
        long input_mode;
        unsigned long status;
    } hints{1 | 2, 4 | 32, 2 | 8 | 16, 0, 0};
    const Atom motif = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(fl_display, fl_xid(w.window), motif, motif, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&hints), 5);
    XFlush(fl_display);
    w.ReportLayout();
    w.ReportState("shown");
}

void FltkDialog::Unload() {
    Widgets& w = *w_;
    w.loaded = false;
    w.window->hide();
    Fl::flush();
}

void FltkDialog::Alert(std::string_view caption, std::string_view text) {
    w_->Report(("alert " + std::string(text)).c_str());
    fl_message_title(std::string(caption).c_str());
    fl_alert("%s", std::string(text).c_str());
}

}  // namespace nyamo::x11
