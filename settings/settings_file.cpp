#include "settings/settings_file.h"

#include "base/numbers.h"
#include "settings/options.h"

namespace nyamo {

namespace {

// No check for a separator already at the folder's end: a doubled one names
// the same file.
std::string BuildIniPath(Platform& platform) {
    return platform.SettingsFolder() + platform.PathSeparator() + std::string(kSettingsFileName);
}

std::int32_t ReadOption(App& app, const SettingOption& option) {
    return option.Force(
        app.platform.ProfileGetInt(kSettingsSection, option.key, option.fallback, app.g.IniPath));
}

}  // namespace

void LoadSettings(App& app) {
    Grobal& g = app.g;
    g.IniPath = BuildIniPath(app.platform);
    g.CatNum = ReadOption(app, kCatNumOption);
    g.SaverType = ReadOption(app, kSaverTypeOption);
    g.SaverSpeed = ReadOption(app, kSaverSpeedOption);
}

bool SaveSettings(App& app) {
    Grobal& g = app.g;
    g.IniPath = BuildIniPath(app.platform);
    bool saved = true;
    // Each write is its own update, so keys new to the file land in this order.
    for (const auto& [option, value] : {std::pair{kCatNumOption, g.CatNum}, std::pair{kSaverTypeOption, g.SaverType},
                                        std::pair{kSaverSpeedOption, g.SaverSpeed}}) {
        saved = app.platform.ProfileWriteString(kSettingsSection, option.key, PlainText(value), g.IniPath) && saved;
    }
    return saved;
}

}  // namespace nyamo
