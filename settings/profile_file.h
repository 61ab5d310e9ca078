// Profile files on disk, read and written with the rules of
// settings/profile_text.h (the system's private-profile functions).
// - Reading never writes; an absent or unreadable file gives the default.
// - Writing sets one key and keeps every other byte of the file, its encoding
//   and its line endings. It writes the whole new text to a temporary file
//   beside it, makes that durable, renames it over the old one and makes the
//   rename durable, so that a crash at any moment leaves either the whole old
//   file or the whole new one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace nyamo {

// Makes a file's bytes and its entry in its folder durable; false on failure.
// The platform seam's FlushToDisk.
using FileFlush = std::function<bool(const std::string& path)>;

std::int32_t ReadProfileInt(std::string_view section, std::string_view key, std::int32_t fallback,
                            const std::string& path);

// Write one key to the file at path (new_line ends the lines of a file made
// new); false, with the old file left as it was, if the file could not be
// read or replaced, the text cannot be written (CanWriteProfileValue), or
// the flush failed.
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& path, std::string_view new_line, const FileFlush& flush);

}  // namespace nyamo
