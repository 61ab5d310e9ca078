#include "settings/settings_dialog.h"

#include <cmath>
#include <string>

#include "base/numbers.h"
#include "base/runtime_error.h"
#include "settings/dialog_design.h"
#include "settings/dialog_scale.h"
#include "settings/settings_file.h"

namespace nyamo {

namespace {

Control OptionButton(std::int32_t index) {
    if (index == 0) return Control::Opt0;
    if (index == 1) return Control::Opt1;
    throw RunTimeError(ErrorCode::SubscriptOutOfRange);
}

// Setting a bar's value raises its change event at once when the value
// changes, as the dialog's scroll bars do for values set by code.
void SetBarValue(App& app, std::int16_t index, std::int32_t value) {
    const Control bar = index == 0 ? Control::HScroll0 : Control::HScroll1;
    const std::int16_t new_value = ToInt16(value);
    if (app.platform.ScrollValue(bar) == new_value) return;
    app.platform.SetScrollValue(bar, new_value);
    HScroll1_Change(app, index);
}

std::int32_t BarValue(App& app, Control bar) { return app.platform.ScrollValue(bar); }

void ShowValueTexts(App& app) {
    app.platform.SetLabelText(Control::Label4, SignReservingText(BarValue(app, Control::HScroll1)));
    app.platform.SetLabelText(Control::Label2, SignReservingText(BarValue(app, Control::HScroll0)));
}

}  // namespace

void PlaceControl(App& app, Control control, const std::int32_t& width, const std::int32_t& height,
                  const std::int32_t& left, const std::int32_t& top) {
    app.platform.SetControlBounds(control, width, height, left, top);
}

float DialogFontSize(std::int32_t fx) {
    return static_cast<float>(std::floor(CheckedReal(CheckedDivide(fx, 15.0) * 10.0)));
}

void ShowSettings(App& app) {
    Platform& p = app.platform;
    p.LoadSettingsDialog(kDialogCaption);

    const ScreenMetrics screen = p.Screen();
    const std::int32_t fx = ToInt32(screen.twips_per_pixel_x);
    p.SetDialogOuterWidth(static_cast<float>(CheckedReal(
        double{p.DialogOuterWidth()} - static_cast<double>(p.DialogClientWidth()) * fx + Mul32(kDialogClientWidth, fx))));
    const std::int32_t fy = ToInt32(screen.twips_per_pixel_y);
    p.SetDialogOuterHeight(static_cast<float>(CheckedReal(
        double{p.DialogOuterHeight()} - static_cast<double>(p.DialogClientHeight()) * fy + Mul32(kDialogClientHeight, fy))));

    p.SetDialogLeft(static_cast<float>(CheckedReal((double{screen.width_twips} - p.DialogOuterWidth()) / 2)));
    p.SetDialogTop(static_cast<float>(CheckedReal((double{screen.height_twips} - p.DialogOuterHeight()) / 2)));

    // Above 120 dots per inch, the pixel height of 10 points at 96 (see dialog_scale.h).
    const float font_size = DialogFontPoints(screen.twips_per_pixel_x);
    p.SetControlFontSize(Control::Opt0, font_size);
    p.SetControlFontSize(Control::Opt1, font_size);

    p.SetOptionSelected(OptionButton(Sub32(app.g.SaverType, 1)));

    PlaceControl(app, Control::HScroll0, 130, 18, 20, 135);
    PlaceControl(app, Control::HScroll1, 130, 18, 160, 135);
    SetBarValue(app, 0, app.g.CatNum);
    SetBarValue(app, 1, app.g.SaverSpeed);

    PlaceControl(app, Control::Label1, 90, 20, 20, 115);
    PlaceControl(app, Control::Label2, 20, 20, 110, 115);
    PlaceControl(app, Control::Label3, 90, 20, 160, 115);
    PlaceControl(app, Control::Label4, 20, 20, 250, 115);
    PlaceControl(app, Control::Label5, 270, 20, 80, 170);
    PlaceControl(app, Control::Frame, 170, 80, 20, 15);
    PlaceControl(app, Control::But0, 70, 25, 220, 20);
    PlaceControl(app, Control::But1, 70, 25, 220, 50);

    p.SetLabelText(Control::Label2, SignReservingText(BarValue(app, Control::HScroll0)));
    p.SetLabelText(Control::Label4, SignReservingText(BarValue(app, Control::HScroll1)));

    for (Control c : {Control::Label1, Control::Label2, Control::Label3, Control::Label4, Control::Label5,
                      Control::But0, Control::But1})
        p.SetControlFontSize(c, font_size);

    p.ShowSettingsDialog();
}

void CloseSettings(App& app, const std::int16_t& index) {
    if (index == 0) {
        Grobal& g = app.g;
        g.CatNum = BarValue(app, Control::HScroll0);
        g.SaverSpeed = BarValue(app, Control::HScroll1);
        for (std::int32_t i = 0; i <= 1; ++i)
            if (app.platform.IsOptionSelected(OptionButton(i))) g.SaverType = i + 1;
        if (!SaveSettings(app))
            app.platform.ShowError(kSaveFailedCaption, std::string(kSaveFailedText) + "\n" + g.IniPath);
    }
    app.platform.UnloadSettingsDialog();
}

void But_Click(App& app, std::int16_t index) { CloseSettings(app, index); }

void HScroll1_Change(App& app, std::int16_t /*index*/) { ShowValueTexts(app); }

}  // namespace nyamo
