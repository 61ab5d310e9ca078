// The profile functions of the POSIX backends (X11, Wayland, headless): each
// backend's ProfileGetInt and ProfileWriteStrings forward here, so that a
// file reads and saves the same on every one of them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace nyamo {

// The key's whole number in the file at path, by the core's profile rules
// (ReadProfileInt); fallback when the file, the section or the key is absent.
std::int32_t PosixProfileGetInt(std::string_view section, std::string_view key, std::int32_t fallback,
                                const std::string& path);

// Set the entries in the section of the file at path (SaveProfileStrings;
// new_line ends the lines of a file made new). A missing folder for the file
// (the per-user folder, on the first save) is made first, readable by its
// owner only; one that cannot be made shows as a failed save.
bool PosixProfileWriteStrings(std::string_view section, std::span<const ProfileEntry> entries,
                              const std::string& path, std::string_view new_line);

}  // namespace nyamo
