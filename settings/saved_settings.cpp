#include "settings/saved_settings.h"

#include "base/numbers.h"
#include "settings/options.h"

namespace nyamo {

namespace {

// No check for a separator already at the folder's end: a doubled one names
// the same file.
std::string BuildIniPath(System& system) {
    return system.SettingsFolder() + system.PathSeparator() + std::string(kSettingsFileName);
}

std::int32_t ReadOption(App& app, const SettingOption& option) {
    return option.Force(
        app.platform.system.ProfileGetInt(kSettingsSection, option.key, option.fallback, app.g.IniPath));
}

}  // namespace

void LoadSettings(App& app) {
    Grobal& g = app.g;
    g.IniPath = BuildIniPath(app.platform.system);
    g.CatNum = ReadOption(app, kCatNumOption);
    g.SaverType = ReadOption(app, kSaverTypeOption);
    g.SaverSpeed = ReadOption(app, kSaverSpeedOption);
    g.SaverScreens = ReadOption(app, kSaverScreensOption);
}

bool SaveSettings(App& app) {
    Grobal& g = app.g;
    g.IniPath = BuildIniPath(app.platform.system);
    // One update with all four, in this order, so that keys new to the file
    // land in it and a save cut short never leaves one value of a click
    // without the others.
    const std::string cat_num = PlainText(g.CatNum), saver_type = PlainText(g.SaverType),
                      saver_speed = PlainText(g.SaverSpeed), saver_screens = PlainText(g.SaverScreens);
    const ProfileEntry entries[] = {{kCatNumOption.key, cat_num},
                                    {kSaverTypeOption.key, saver_type},
                                    {kSaverSpeedOption.key, saver_speed},
                                    {kSaverScreensOption.key, saver_screens}};
    return app.platform.system.ProfileWriteStrings(kSettingsSection, entries, g.IniPath);
}

}  // namespace nyamo
