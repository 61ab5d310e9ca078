// The text of a profile file (sections of key=value lines) read and edited
// the way the system's private-profile functions read it, so that one file
// gives one reading on every platform:
// - a byte-order mark chooses the encoding: EF BB BF UTF-8, FF FE UTF-16 LE,
//   FE FF UTF-16 BE; without one the bytes are single-byte text;
// - any run of CR and LF ends a line (CRLF, LF and CR-only files alike;
//   blank lines vanish into the run); blanks are tab, LF, VT, FF, CR, space
//   and ^Z, and are trimmed around lines, names and values;
// - "[" name "]" opens a section, up to the line's last "]"; a line that
//   starts with "[" but has no "]" is an ordinary line;
// - names match without regard to ASCII case; a name or a value ends at its
//   first NUL; keys before the first section belong to no section;
// - the first section of a name is the only one searched, and its first key
//   of a name wins;
// - a whole number is read from at most the first 29 characters of the value,
//   after one pair of matching quotes is taken off: blanks and control
//   characters before a sign are skipped, "0x", "0o" and "0b" choose the
//   base, and the digits wrap modulo 2^32; no digits read as 0, an empty
//   value or a key without "=" gives the default.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nyamo {

enum class TextEncoding { SingleByte, Utf8WithMark, Utf16LE, Utf16BE };

TextEncoding DetectEncoding(std::string_view file_bytes);

// The value text of a key (UTF-8), exactly as the file holds it between the
// blanks, or nothing when the section, the key or its "=" is absent.
std::optional<std::string> ProfileValueText(std::string_view file_bytes, std::string_view section,
                                            std::string_view key);

// The whole number the system's GetPrivateProfileInt gives for the key.
std::int32_t ProfileInt(std::string_view file_bytes, std::string_view section, std::string_view key,
                        std::int32_t fallback);

// True when the section, key and value can be written so that they read back
// exactly: valid UTF-8, no CR, LF or NUL, a name not empty, no blank at either
// end of any of them, and a key that neither holds "=" nor starts with "[".
bool CanWriteProfileValue(std::string_view section, std::string_view key, std::string_view value);

// The file's bytes with one key set, in the file's own encoding and line
// ending (new_line for a file that has none yet); every other byte stays.
// The key's value is replaced where it stands, or the key is added after the
// last line of the first section of that name, or the section is added at
// the end. Nothing when CanWriteProfileValue says no.
std::optional<std::string> SetProfileValue(std::string_view file_bytes, std::string_view section,
                                           std::string_view key, std::string_view value,
                                           std::string_view new_line = "\r\n");

}  // namespace nyamo
