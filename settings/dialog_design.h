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
inline constexpr std::string_view kOkText = "OK";
inline constexpr std::string_view kCancelText = "キャンセル";

// The Japanese proportional Gothic face of the options and of Label1, 3, 4.
inline constexpr std::string_view kGothicFace = "ＭＳ Ｐゴシック";
inline constexpr float kOptionDesignPoints = 11.25f;
inline constexpr float kLabelDesignPoints = 9.75f;

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
