// The settings dialog as designed: caption, texts, the option buttons' design
// geometry and the scroll bars' ranges. Every backend builds its dialog from
// these, and the core lays it out and fills it.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"

namespace nyamo {

inline constexpr std::string_view kDialogCaption = "Nyamoの設定";

inline constexpr std::string_view kFrameText = "背景の設定";
inline constexpr std::string_view kOptDesktopText = "Desktop";
inline constexpr std::string_view kOptBlankText = "Blank Screen";
inline constexpr std::string_view kLabel1Text = "猫の出現数：";
inline constexpr std::string_view kLabel3Text = "移動の早さ：";
inline constexpr std::string_view kValueDesignText = "0";  // replaced before the dialog shows
// Only its first 220 pixels are inside the window; keep it short.
inline constexpr std::string_view kInfoLineText = "Any key or mouse move ends it.";
inline constexpr std::string_view kAllScreensText = "全モニタ";  // every monitor
inline constexpr std::string_view kOkText = "OK";
inline constexpr std::string_view kCancelText = "キャンセル";

// The Japanese proportional Gothic face of the options and of Label1, 3, 4.
inline constexpr std::string_view kGothicFace = "ＭＳ Ｐゴシック";
inline constexpr float kOptionDesignPoints = 11.25f;
inline constexpr float kLabelDesignPoints = 9.75f;

// A box in pixels: relative to the client area, or to the frame for the options.
struct PixelBox {
    std::int32_t left, top, width, height;
    friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

// The controls that ShowSettings places, with their geometry in pixels as
// designed at 96 dots per inch, in the order they are placed.
struct DesignedPlace {
    Control control;
    PixelBox box;
};
inline constexpr DesignedPlace kScrollBarPlaces[] = {
    {Control::HScroll0, {20, 135, 130, 18}},
    {Control::HScroll1, {160, 135, 130, 18}},
};
inline constexpr PixelBox kFrameDesign{20, 15, 170, 80};
inline constexpr DesignedPlace kLabelFrameButtonPlaces[] = {
    {Control::Label1, {20, 115, 90, 20}}, {Control::Label2, {110, 115, 20, 20}},
    {Control::Label3, {160, 115, 90, 20}}, {Control::Label4, {250, 115, 20, 20}},
    // 270 wide from 80: it passes the client area's right edge by design.
    {Control::Label5, {80, 170, 270, 20}}, {Control::Frame, kFrameDesign},
    {Control::But0, {220, 20, 70, 25}},    {Control::But1, {220, 50, 70, 25}},
    // Under the buttons, above the speed's labels, right of where the
    // options reach at 120 dots per inch (x 216), and wide enough for its text.
    {Control::AllScreens, {217, 82, 78, 22}},
};

// The option buttons keep their design geometry, held in twips inside the frame.
struct TwipsBox {
    std::int32_t left, top, width, height;
};
inline constexpr TwipsBox kOpt0DesignTwips{240, 180, 2115, 435};
inline constexpr TwipsBox kOpt1DesignTwips{240, 660, 2115, 435};

struct ScrollRange {
    std::int16_t min, max, small_change, large_change, design_value;
};
inline constexpr ScrollRange kCatNumBar{1, 50, 1, 1, 1};
inline constexpr ScrollRange kSpeedBar{1, 10, 1, 1, 1};

inline constexpr std::int32_t kDialogClientWidth = 300;
inline constexpr std::int32_t kDialogClientHeight = 200;

// Shown when OK could not write the settings file.
inline constexpr std::string_view kSaveFailedCaption = "Nyamo";
inline constexpr std::string_view kSaveFailedText = "The settings were not saved. This file could not be written:";

}  // namespace nyamo
