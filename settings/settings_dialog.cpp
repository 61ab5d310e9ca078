#include "settings/settings_dialog.h"

#include <cmath>
#include <string>

#include "base/numbers.h"
#include "base/runtime_error.h"
#include "settings/dialog_design.h"
#include "settings/dialog_scale.h"
#include "settings/options.h"
#include "settings/saved_settings.h"

namespace nyamo {

namespace {

// The dialog of the run: only a backend that has one delivers its events,
// and Main opens it only there, so a missing one is the core's own fault.
SettingsDialog& Dialog(App& app) {
    if (app.platform.settings_dialog == nullptr) throw RunTimeError(ErrorCode::InvalidOperation);
    return *app.platform.settings_dialog;
}

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
    if (Dialog(app).ScrollValue(bar) == new_value) return;
    Dialog(app).SetScrollValue(bar, new_value);
    HScroll1_Change(app, index);
}

std::int32_t BarValue(App& app, Control bar) { return Dialog(app).ScrollValue(bar); }

void ShowValueTexts(App& app) {
    Dialog(app).SetLabelText(Control::Label4, SignReservingText(BarValue(app, Control::HScroll1)));
    Dialog(app).SetLabelText(Control::Label2, SignReservingText(BarValue(app, Control::HScroll0)));
}

}  // namespace

void PlaceControl(App& app, Control control, const std::int32_t& width, const std::int32_t& height,
                  const std::int32_t& left, const std::int32_t& top) {
    Dialog(app).SetControlBounds(control, width, height, left, top);
}

float DialogFontSize(std::int32_t fx) {
    return static_cast<float>(std::floor(CheckedReal(CheckedDivide(fx, 15.0) * 10.0)));
}

namespace {

// The outer size in twips that gives the client area its width and height at
// this scale, whatever the window's frame takes.
void SizeDialog(SettingsDialog& p, const ScreenMetrics& screen) {
    const float tx = screen.twips_per_pixel_x;
    // One rule for both axes, decided by the horizontal factor as the fonts are.
    const bool scales = ScalesItself(tx);
    const double fx = WindowSizeFactor(tx);
    const float ty = screen.twips_per_pixel_y;
    const double fy = scales ? double{ty} : ToInt32(ty);
    const std::int32_t width = DialogClientWidthAt(tx), height = DialogClientHeightAt(tx);
    // The design's own scales keep its arithmetic: a 32-bit product of whole numbers.
    const double wanted_w = scales ? CheckedReal(width * fx) : Mul32(width, ToInt32(fx));
    const double wanted_h = scales ? CheckedReal(height * fy) : Mul32(height, ToInt32(fy));
    p.SetDialogOuterWidth(static_cast<float>(
        CheckedReal(double{p.DialogOuterWidth()} - static_cast<double>(p.DialogClientWidth()) * fx + wanted_w)));
    p.SetDialogOuterHeight(static_cast<float>(
        CheckedReal(double{p.DialogOuterHeight()} - static_cast<double>(p.DialogClientHeight()) * fy + wanted_h)));
}

void Place(App& app, const DesignedPlace& place, float twips_per_pixel) {
    const PixelBox b = ScaledBox(place.box, twips_per_pixel);
    PlaceControl(app, place.control, b.width, b.height, b.left, b.top);
}

constexpr Control kSizedTexts[] = {Control::Label1, Control::Label2, Control::Label3,    Control::Label4,
                                   Control::Label5, Control::But0,   Control::But1,     Control::AllScreens};

}  // namespace

namespace {

// Sizes the dialog for the screen's scale, then places and sizes every
// control's text for it: the whole layout, on opening and on a change of scale.
void LayOut(App& app, const ScreenMetrics& screen) {
    SettingsDialog& p = Dialog(app);
    const float tpp = screen.twips_per_pixel_x;
    SizeDialog(p, screen);
    const float font_size = DialogFontPoints(tpp);
    for (Control c : {Control::Opt0, Control::Opt1}) p.SetControlFontSize(c, font_size);
    for (const DesignedPlace& place : kScrollBarPlaces) Place(app, place, tpp);
    for (const DesignedPlace& place : kLabelFrameButtonPlaces) Place(app, place, tpp);
    for (Control c : kSizedTexts) p.SetControlFontSize(c, font_size);
}

}  // namespace

void ShowSettings(App& app) {
    SettingsDialog& p = Dialog(app);
    p.LoadSettingsDialog(kDialogCaption);

    const ScreenMetrics screen = app.platform.system.Screen();
    LayOut(app, screen);
    p.SetDialogLeft(static_cast<float>(CheckedReal((double{screen.width_twips} - p.DialogOuterWidth()) / 2)));
    p.SetDialogTop(static_cast<float>(CheckedReal((double{screen.height_twips} - p.DialogOuterHeight()) / 2)));

    p.SetOptionSelected(OptionButton(Sub32(app.g.SaverType, 1)));
    SetBarValue(app, 0, app.g.CatNum);
    SetBarValue(app, 1, app.g.SaverSpeed);
    ShowValueTexts(app);
    p.SetChecked(Control::AllScreens, app.g.SaverScreens == kSaverScreensOption.max);

    p.ShowSettingsDialog();
}

void ScaleSettingsDialog(App& app) { LayOut(app, app.platform.system.Screen()); }

void CloseSettings(App& app, const std::int16_t& index) {
    if (index == 0) {
        Grobal& g = app.g;
        g.CatNum = BarValue(app, Control::HScroll0);
        g.SaverSpeed = BarValue(app, Control::HScroll1);
        for (std::int32_t i = 0; i <= 1; ++i)
            if (Dialog(app).IsOptionSelected(OptionButton(i))) g.SaverType = i + 1;
        g.SaverScreens = Dialog(app).IsChecked(Control::AllScreens) ? kSaverScreensOption.max : kSaverScreensOption.min;
        if (!SaveSettings(app))
            Dialog(app).ShowError(kSaveFailedCaption, std::string(kSaveFailedText) + "\n" + g.IniPath);
    }
    Dialog(app).UnloadSettingsDialog();
}

void But_Click(App& app, std::int16_t index) { CloseSettings(app, index); }

void HScroll1_Change(App& app, std::int16_t /*index*/) { ShowValueTexts(app); }

}  // namespace nyamo
