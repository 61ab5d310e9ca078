// Writes xscreensaver's hacks/config XML for Nyamo from the settings table:
// the number of kittens, the background and the speed, with the program's
// own ranges and defaults.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "settings/options.h"

int main(int argc, char** argv) {
    using namespace nyamo;
    if (argc != 2) {
        std::fprintf(stderr, "usage: nyamo-xscreensaver-config OUTPUT.xml\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    const auto number = [&](const char* id, const SettingOption& o, const char* arg, const char* label,
                            const char* low, const char* high) {
        out << "  <number id=\"" << id << "\" type=\"slider\" arg=\"" << arg << " %\"\n"
            << "          _label=\"" << label << "\" _low-label=\"" << low << "\" _high-label=\"" << high << "\"\n"
            << "          low=\"" << o.min << "\" high=\"" << o.max << "\" default=\"" << o.fallback << "\"/>\n\n";
    };
    // The option that matches the table's default carries no argument, so
    // xscreensaver treats it as the default.
    const bool desktop_default = kSaverTypeOption.fallback == 1;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n"
        << "<screensaver name=\"nyamo\" _label=\"Nyamo\">\n\n"
        << "  <command arg=\"-root\"/>\n\n";
    number("count", kCatNumOption, "-count", "Number of kittens", "1", "50");
    out << "  <select id=\"background\">\n"
        << "    <option id=\"desktop\" _label=\"Walk over the desktop\"" << (desktop_default ? "" : " arg-set=\"-desktop\"")
        << "/>\n"
        << "    <option id=\"blank\" _label=\"Walk over a black screen\"" << (desktop_default ? " arg-set=\"-blank\"" : "")
        << "/>\n"
        << "  </select>\n\n";
    number("speed", kSaverSpeedOption, "-speed", "Speed", "Slow", "Fast");
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
