#include "platform/linux/hack_request.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "platform/linux/hack_options.h"
#include "settings/options.h"

namespace nyamo::linux_program {

namespace {

// A whole number, all of the text, in the given base. A leading zero is
// just a digit: xscreensaver's hacks read "010" as ten, not as C's octal.
std::optional<unsigned long> ReadNumber(const std::string& text, int base) {
    if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text.c_str(), &end, base);
    if (errno != 0 || end == text.c_str() || *end != '\0') return std::nullopt;
    return value;
}

// Decimal, or hexadecimal after 0x as xscreensaver writes window ids.
std::optional<unsigned long> ReadWindowId(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const auto value = hex ? ReadNumber(text.substr(2), 16) : ReadNumber(text, 10);
    if (!value || *value == 0 || *value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return *value;
}

std::optional<int> ReadSetting(const std::string& text) {
    const auto value = ReadNumber(text, 10);
    if (!value || *value > 1000000) return std::nullopt;
    return static_cast<int>(*value);
}

}  // namespace

std::variant<std::monostate, HackRequest, HackUsageError> ParseHackRequest(const std::vector<std::string>& args,
                                                                           const char* xscreensaver_window) {
    const bool named_hack = std::any_of(args.begin(), args.end(),
                                        [](const std::string& arg) { return FindHackOption(arg) != nullptr; });
    const bool from_environment = xscreensaver_window != nullptr && xscreensaver_window[0] != '\0';
    if (!named_hack && !from_environment) return std::monostate{};

    HackRequest request;
    request.count = kCatNumOption.fallback;
    request.speed = kSaverSpeedOption.fallback;
    request.saver_type = kSaverTypeOption.fallback;
    std::string problem;
    for (std::size_t i = 0; i < args.size() && problem.empty(); ++i) {
        const HackOption* option = FindHackOption(args[i]);
        if (option == nullptr) {
            problem = "unknown option " + args[i];
            break;
        }
        std::string value;
        if (option->takes_value) {
            if (i + 1 >= args.size()) {
                problem = std::string(option->name) + " needs a value";
                break;
            }
            value = args[++i];
        }
        switch (option->kind) {
            case HackOptionKind::Root: request.root = true; break;
            case HackOptionKind::Window: request.own_window = true; break;
            case HackOptionKind::WindowId:
                if (const auto id = ReadWindowId(value)) request.window = *id;
                else problem = "--window-id needs a window id (decimal or 0x hexadecimal), not " + value;
                break;
            case HackOptionKind::Display: request.display = value; break;
            case HackOptionKind::Fps: request.fps = true; break;
            case HackOptionKind::NoFps: request.fps = false; break;
            case HackOptionKind::Count:
            case HackOptionKind::Speed:
                if (const auto number = ReadSetting(value))
                    (option->kind == HackOptionKind::Count ? request.count : request.speed) = *number;
                else
                    problem = std::string(option->name) + " needs a whole number, not " + value;
                break;
            case HackOptionKind::Desktop: request.saver_type = 1; break;
            case HackOptionKind::Blank: request.saver_type = 2; break;
            case HackOptionKind::Accepted: break;
        }
    }
    if (!problem.empty()) {
        // Only a command line that names a hack option is surely meant for
        // the hack; with just the variable set, the normal program runs.
        if (!named_hack) return std::monostate{};
        return HackUsageError{problem};
    }
    // The target: an explicit window id first; then a window of its own;
    // then xscreensaver's window, which is what --root means under it (hacks
    // find their "virtual root" through XSCREENSAVER_WINDOW); then the real
    // root; and with no target at all a window of its own, as xscreensaver's
    // hacks do when started from a terminal.
    if (request.window != 0) {
        request.root = request.own_window = false;
    } else if (request.own_window) {
        request.root = false;
    } else if (from_environment) {
        const auto id = ReadWindowId(xscreensaver_window);
        if (!id) return HackUsageError{"XSCREENSAVER_WINDOW does not hold a window id"};
        request.root = false;
        request.window = *id;
    } else if (!request.root) {
        request.own_window = true;
    }
    return request;
}

std::string HackUsage() {
    std::string usage = "usage: nyamo";
    for (const HackOption& option : kHackOptions) {
        usage += " [";
        usage += option.name;
        const auto range = [](const SettingOption& setting) {
            return " " + std::to_string(setting.min) + "-" + std::to_string(setting.max);
        };
        if (option.kind == HackOptionKind::Count) usage += range(kCatNumOption);
        else if (option.kind == HackOptionKind::Speed) usage += range(kSaverSpeedOption);
        else if (option.kind == HackOptionKind::WindowId) usage += " ID";
        else if (option.takes_value) usage += " " + std::string(option.name.substr(2));
        usage += "]";
    }
    return usage;
}

}  // namespace nyamo::linux_program
