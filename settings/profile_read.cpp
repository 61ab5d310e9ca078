#include "settings/profile_read.h"

#include <fstream>

#include "settings/profile_text.h"

namespace nyamo {

// A save must never replace a file with the part of it that could be read,
// so a read that fails part of the way gives nothing at all.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) text.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return text;
}

std::int32_t ReadProfileInt(std::string_view section, std::string_view key, std::int32_t fallback,
                            const std::string& path) {
    const std::optional<std::string> file = ReadWholeFile(path);
    return file ? ProfileInt(*file, section, key, fallback) : fallback;
}

}  // namespace nyamo
