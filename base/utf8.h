// UTF-8 as the program's text: checked, split into characters, and turned
// into and out of UTF-16 (the units of UTF-16 profile files). Bytes that are
// not UTF-8 count as one character each, and become U+FFFD when converted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nyamo {

bool IsValidUtf8(std::string_view text);

// The length in bytes of the character that starts at text[0] (1 for a byte
// that does not start a valid sequence); 0 for empty text.
std::size_t Utf8CharLength(std::string_view text);

// The byte offset of character number `chars` (counted from 0), or
// text.size() when the text has fewer characters.
std::size_t Utf8Offset(std::string_view text, std::size_t chars);

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace nyamo
