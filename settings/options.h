// The settings as data: key, default, range and how an out-of-range
// value is forced back. The file reader, the dialogs and the xscreensaver
// options all use this table.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace nyamo {

inline constexpr std::string_view kSettingsFileName = "Nyamo_07.ini";
inline constexpr std::string_view kSettingsSection = "Nyamo Saver";

enum class Clamp {
    Range,     // above max becomes max, then below min becomes min
    OneOfTwo,  // anything but min or max becomes the default
};

struct SettingOption {
    std::string_view key;
    std::int32_t fallback;
    std::int32_t min;
    std::int32_t max;
    Clamp clamp;

    constexpr std::int32_t Force(std::int32_t value) const {
        if (clamp == Clamp::OneOfTwo) return value == min || value == max ? value : fallback;
        if (value > max) value = max;
        if (value < min) value = min;
        return value;
    }
};

inline constexpr SettingOption kCatNumOption{"CatNum", 20, 1, 50, Clamp::Range};
inline constexpr SettingOption kSaverTypeOption{"SaverType", 1, 1, 2, Clamp::OneOfTwo};
inline constexpr SettingOption kSaverSpeedOption{"SaverSpeed", 5, 1, 10, Clamp::Range};
// 1: the primary screen only; 2: every screen (Windows and X11; the Wayland
// saver covers every output whatever it says). Written after the others, so
// a file of an older Nyamo, which lacks it, reads as the primary screen.
inline constexpr SettingOption kSaverScreensOption{"SaverScreens", 1, 1, 2, Clamp::OneOfTwo};

// In the order they are written to the file.
inline constexpr std::array<SettingOption, 4> kSettingOptions{kCatNumOption, kSaverTypeOption,
                                                              kSaverSpeedOption, kSaverScreensOption};

}  // namespace nyamo
