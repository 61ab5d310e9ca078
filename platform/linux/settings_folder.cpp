#include "platform/linux/settings_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace nyamo::linux_program {

namespace {

std::filesystem::path ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path(error);
    return exe.parent_path();
}

std::filesystem::path UserConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is to be ignored, as the XDG base directory rules say.
    if (xdg != nullptr && xdg[0] == '/') return std::filesystem::path(xdg) / "nyamo";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        // Started without HOME (some service managers do): the account's home.
        const passwd* account = getpwuid(getuid());
        home = account != nullptr && account->pw_dir != nullptr ? account->pw_dir : "/";
    }
    return std::filesystem::path(home) / ".config" / "nyamo";
}

}  // namespace

std::string SettingsFolder() {
    // Beside the executable, as on Windows, where the user may write (a build
    // tree, a portable folder); an installed program keeps its settings where
    // Linux users expect them.
    // A folder under /usr belongs to the package manager even where root
    // may write to it: a file left there would outlive the package.
    const std::filesystem::path beside = ExecutableFolder();
    const bool system_folder = beside.string().rfind("/usr/", 0) == 0;
    if (!system_folder && access(beside.c_str(), W_OK) == 0) return beside.string();
    return UserConfigFolder().string();
}

}  // namespace nyamo::linux_program
