#include "platform/x11/xscreensaver_prefs.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace nyamo::x11 {

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::optional<bool> ReadFile(const std::string& path) {
    std::ifstream file(path);
    if (!file) return std::nullopt;
    return ReadGrabDesktopImages(file);
}

}  // namespace

std::optional<bool> ReadGrabDesktopImages(std::istream& resources) {
    std::optional<bool> found;
    std::string line;
    while (std::getline(resources, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string name = Trimmed(line.substr(0, colon));
        if (name.empty() || name[0] == '!' || name[0] == '#') continue;
        // "grabDesktopImages", or a wildcard or class binding of it as the
        // app-defaults file writes it ("*grabDesktopImages").
        const auto dot = name.find_last_of(".*");
        if (dot != std::string::npos) name = name.substr(dot + 1);
        if (name != "grabDesktopImages") continue;
        const std::string value = Lowered(Trimmed(line.substr(colon + 1)));
        found = value == "true" || value == "on" || value == "yes";
    }
    return found;
}

bool DesktopGrabbingAllowed(const std::string& home, const std::string& app_defaults) {
    if (!home.empty())
        if (const auto own = ReadFile(home + "/.xscreensaver")) return *own;
    if (const auto packaged = ReadFile(app_defaults)) return *packaged;
    return false;
}

}  // namespace nyamo::x11
