// A portable reader and writer of profile files (sections of key=value
// lines), with the contract of the system's private-profile functions:
// - section and key names match without regard to ASCII case, blanks around
//   names and around "=" are ignored, the first of duplicate sections or
//   keys wins, a UTF-8 byte-order mark is skipped, CRLF and LF both end lines;
// - reading gives the whole number a value begins with, saturated to 32 bits,
//   0 for a value that does not begin with one, the default for an absent file,
//   section or key (or an empty value), and never writes;
// - writing replaces the key's line in place or appends it at the end of its
//   section (creating the section at the end of the file), keeps every other
//   byte, and replaces the file through a temporary file in the same folder,
//   so a crash mid-save never leaves a truncated file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nyamo {

std::int32_t ReadProfileInt(std::string_view section, std::string_view key, std::int32_t fallback,
                            const std::string& path);

// The text of a whole profile file with one key set.
std::string SetProfileValue(std::string_view file_text, std::string_view section, std::string_view key,
                            std::string_view value, std::string_view new_line = "\r\n");

// Write one key to the file at path; false if the file could not be read or
// replaced (the old file is then left as it was).
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& path, std::string_view new_line = "\r\n");

}  // namespace nyamo
