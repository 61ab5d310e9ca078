#include "platform/common/profile_store.h"

#include <filesystem>
#include <system_error>

#include "platform/common/profile_save.h"
#include "settings/profile_read.h"

namespace nyamo {

std::int32_t PosixProfileGetInt(std::string_view section, std::string_view key, std::int32_t fallback,
                                const std::string& path) {
    return ReadProfileInt(section, key, fallback, path);
}

bool PosixProfileWriteStrings(std::string_view section, std::span<const ProfileEntry> entries,
                              const std::string& path, std::string_view new_line) {
    namespace fs = std::filesystem;
    // The failure of either call shows as the save's own failure below.
    const fs::path folder = fs::path(path).parent_path();
    std::error_code error;
    if (!folder.empty() && !fs::exists(folder, error)) {
        fs::create_directories(folder, error);
        if (!error) fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
    }
    return SaveProfileStrings(section, entries, path, new_line);
}

}  // namespace nyamo
