// Profile files on disk, read with the rules of settings/profile_text.h (the
// system's private-profile functions). Reading never writes; an absent or
// unreadable file gives the default. The POSIX backends read and save through
// platform/common/profile_store.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nyamo {

// The file's bytes, or nothing when it cannot be opened or a read fails part
// of the way (a folder in its place, an I/O error).
std::optional<std::string> ReadWholeFile(const std::string& path);

std::int32_t ReadProfileInt(std::string_view section, std::string_view key, std::int32_t fallback,
                            const std::string& path);

}  // namespace nyamo
