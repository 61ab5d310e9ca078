// The portable reading and writing of Nyamo_07.ini, for the Wine suite's
// comparison with the system's own (tests/wine/profile_check.cpp takes the
// same arguments and prints the same lines).
//
//   nyamo-profile-check read <file>...     one line per file:
//       "<CatNum> <SaverType> <SaverSpeed>", the raw values with defaults 20, 1, 5
//   nyamo-profile-check write <CatNum> <SaverType> <SaverSpeed> <file>...
//       into each file the three keys in one save, as the saver saves them
//   nyamo-profile-check style <file>        "<encoding> <line endings>", e.g.
//       "utf16le crlf,lf": the encoding and the kinds of line ending present
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "platform/common/profile_save.h"
#include "settings/options.h"
#include "settings/profile_read.h"
#include "settings/profile_text.h"

namespace {

using namespace nyamo;

std::string Style(const std::string& bytes) {
    const TextEncoding encoding = DetectEncoding(bytes);
    const bool wide = encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE;
    const std::size_t start = encoding == TextEncoding::SingleByte ? 0 : encoding == TextEncoding::Utf8WithMark ? 3 : 2;
    const std::size_t step = wide ? 2 : 1;
    auto unit = [&](std::size_t i) -> unsigned {
        if (!wide) return static_cast<unsigned char>(bytes[i]);
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return encoding == TextEncoding::Utf16LE ? a | (b << 8) : (a << 8) | b;
    };
    std::set<std::string> kinds;
    for (std::size_t i = start; i + step <= bytes.size(); i += step) {
        if (unit(i) == '\r' && i + 2 * step <= bytes.size() && unit(i + step) == '\n') {
            kinds.insert("crlf");
            i += step;
        } else if (unit(i) == '\r') {
            kinds.insert("cr");
        } else if (unit(i) == '\n') {
            kinds.insert("lf");
        }
    }
    const char* names[] = {"single-byte", "utf8-bom", "utf16le", "utf16be"};
    std::string out = names[static_cast<int>(encoding)];
    out += ' ';
    std::string list;
    for (const std::string& k : kinds) list += (list.empty() ? "" : ",") + k;
    return out + (list.empty() ? "none" : list);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "read") == 0) {
        for (int i = 2; i < argc; ++i) {
            // The three keys that every Nyamo knows.
            int values[3];
            for (std::size_t k = 0; k < 3; ++k)
                values[k] = ReadProfileInt(kSettingsSection, kSettingOptions[k].key, kSettingOptions[k].fallback, argv[i]);
            std::printf("%d %d %d\n", values[0], values[1], values[2]);
        }
        return 0;
    }
    if (argc >= 6 && std::strcmp(argv[1], "write") == 0) {
        bool ok = true;
        const ProfileEntry entries[] = {{kSettingOptions[0].key, argv[2]},
                                        {kSettingOptions[1].key, argv[3]},
                                        {kSettingOptions[2].key, argv[4]}};
        for (int i = 5; i < argc; ++i) ok = SaveProfileStrings(kSettingsSection, entries, argv[i], "\r\n") && ok;
        return ok ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "style") == 0) {
        std::ifstream in(argv[2], std::ios::binary);
        if (!in) return 1;
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::printf("%s\n", Style(bytes).c_str());
        return 0;
    }
    std::fprintf(stderr, "usage: nyamo-profile-check read <file>... | write <CatNum> <SaverType> <SaverSpeed> <file>... | style <file>\n");
    return 2;
}
