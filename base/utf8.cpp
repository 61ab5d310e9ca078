#include "base/utf8.h"

namespace nyamo {

namespace {

// The code point of the valid sequence at the start of text and its length,
// or length 0 when it is not valid UTF-8 (overlong, surrogate, beyond U+10FFFF,
// cut short).
struct Decoded {
    char32_t code = 0;
    std::size_t length = 0;
};

Decoded DecodeOne(std::string_view t) {
    if (t.empty()) return {};
    const auto b0 = static_cast<unsigned char>(t[0]);
    if (b0 < 0x80) return {b0, 1};
    std::size_t n;
    char32_t code, min;
    if ((b0 & 0xE0) == 0xC0) { n = 2; code = b0 & 0x1F; min = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { n = 3; code = b0 & 0x0F; min = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { n = 4; code = b0 & 0x07; min = 0x10000; }
    else return {};
    if (t.size() < n) return {};
    for (std::size_t i = 1; i < n; ++i) {
        const auto b = static_cast<unsigned char>(t[i]);
        if ((b & 0xC0) != 0x80) return {};
        code = (code << 6) | (b & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
    return {code, n};
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

bool IsValidUtf8(std::string_view text) {
    while (!text.empty()) {
        const Decoded d = DecodeOne(text);
        if (d.length == 0) return false;
        text.remove_prefix(d.length);
    }
    return true;
}

std::size_t Utf8CharLength(std::string_view text) {
    if (text.empty()) return 0;
    const Decoded d = DecodeOne(text);
    return d.length == 0 ? 1 : d.length;
}

std::size_t Utf8Offset(std::string_view text, std::size_t chars) {
    std::size_t offset = 0;
    for (; chars > 0 && offset < text.size(); --chars) offset += Utf8CharLength(text.substr(offset));
    return offset;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    while (!text.empty()) {
        Decoded d = DecodeOne(text);
        if (d.length == 0) d = {kReplacement, 1};
        if (d.code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((d.code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((d.code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(d.code);
        }
        text.remove_prefix(d.length);
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

}  // namespace nyamo
