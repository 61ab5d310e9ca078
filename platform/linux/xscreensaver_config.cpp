// Writes xscreensaver's hacks/config XML for Nyamo from the settings table
// and the hack's options: the number of kittens, the background, the speed
// and the frame rate, with the program's own ranges and defaults. The
// settings tool leaves an option off the command line when it equals the
// default given here, and the hack then takes the same table's default.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/linux/hack_options.h"
#include "settings/options.h"

int main(int argc, char** argv) {
    using namespace nyamo;
    using linux_program::HackOptionKind;
    using linux_program::HackOptionName;
    if (argc != 2) {
        std::fprintf(stderr, "usage: nyamo-xscreensaver-config OUTPUT.xml\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    const auto number = [&](const char* id, const SettingOption& o, std::string_view arg, const char* label,
                            const char* low, const char* high) {
        out << "  <number id=\"" << id << "\" type=\"slider\" arg=\"" << arg << " %\"\n"
            << "          _label=\"" << label << "\" _low-label=\"" << low << "\" _high-label=\"" << high << "\"\n"
            << "          low=\"" << o.min << "\" high=\"" << o.max << "\" default=\"" << o.fallback << "\"/>\n\n";
    };
    // The option that matches the table's default carries no argument, so
    // xscreensaver treats it as the default.
    const bool desktop_default = kSaverTypeOption.fallback == 1;
    const auto arg_set = [&](HackOptionKind kind) { return " arg-set=\"" + std::string(HackOptionName(kind)) + "\""; };
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n"
        << "<screensaver name=\"nyamo\" _label=\"Nyamo\">\n\n"
        << "  <command arg=\"" << HackOptionName(HackOptionKind::Root) << "\"/>\n\n";
    number("count", kCatNumOption, HackOptionName(HackOptionKind::Count), "Number of kittens",
           std::to_string(kCatNumOption.min).c_str(), std::to_string(kCatNumOption.max).c_str());
    out << "  <select id=\"background\">\n"
        << "    <option id=\"desktop\" _label=\"Walk over the desktop\""
        << (desktop_default ? "" : arg_set(HackOptionKind::Desktop)) << "/>\n"
        << "    <option id=\"blank\" _label=\"Walk over a black screen\""
        << (desktop_default ? arg_set(HackOptionKind::Blank) : "") << "/>\n"
        << "  </select>\n\n";
    number("speed", kSaverSpeedOption, HackOptionName(HackOptionKind::Speed), "Speed", "Slow", "Fast");
    // The frame rate is off unless asked for, as in every hack's config.
    out << "  <boolean id=\"showfps\" _label=\"Show frame rate\"" << arg_set(HackOptionKind::Fps) << "/>\n\n";
    out << "  <_description>\nA flock of grey tabby kittens walks across the screen, each in a lane of its own;\n"
        << "now and then one sits down and washes its face.\n  </_description>\n"
        << "</screensaver>\n";
    out.close();
    if (!out) {
        std::cerr << "nyamo-xscreensaver-config: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
