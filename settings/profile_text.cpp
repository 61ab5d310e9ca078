#include "settings/profile_text.h"

#include <algorithm>

#include "base/utf8.h"

namespace nyamo {

namespace {

// The reader works on code units: bytes for single-byte and UTF-8 files,
// 16-bit units for UTF-16 files. Every character that gives a file its
// shape (brackets, "=", quotes, blanks, line ends, digits) is ASCII, so a
// byte of a multi-byte UTF-8 sequence never plays one of those parts, and
// reading UTF-8 byte by byte gives what reading it decoded gives.
template <typename Unit>
using Units = std::basic_string_view<Unit>;

template <typename Unit>
unsigned Code(Unit u) {
    if constexpr (sizeof(Unit) == 1)
        return static_cast<unsigned char>(u);
    else
        return static_cast<unsigned>(u);
}

bool IsLineEnd(unsigned c) { return c == '\n' || c == '\r'; }
// ^Z counts as a blank, as old MS-DOS files end with one.
bool IsBlank(unsigned c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20; }
unsigned AsciiLower(unsigned c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

constexpr std::size_t kIntegerTextLimit = 29;  // the system reads numbers through a 30-unit buffer

struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
};

template <typename Unit>
Span Trim(Units<Unit> text, Span s) {
    while (s.begin < s.end && IsBlank(Code(text[s.begin]))) ++s.begin;
    while (s.end > s.begin && IsBlank(Code(text[s.end - 1]))) --s.end;
    return s;
}

// A name is read up to its first NUL.
template <typename Unit>
Span UpToNul(Units<Unit> text, Span s) {
    for (std::size_t i = s.begin; i < s.end; ++i)
        if (Code(text[i]) == 0) return {s.begin, i};
    return s;
}

template <typename Unit>
bool SameName(Units<Unit> text, Span name, Units<Unit> wanted) {
    name = UpToNul(text, name);
    if (name.end - name.begin != wanted.size()) return false;
    for (std::size_t i = 0; i < wanted.size(); ++i)
        if (AsciiLower(Code(text[name.begin + i])) != AsciiLower(Code(wanted[i]))) return false;
    return true;
}

struct Line {
    Span content;           // trimmed
    std::size_t stop = 0;   // first unit of the run of line ends
    std::size_t next = 0;   // first unit after it
};

template <typename Unit>
Line NextLine(Units<Unit> text, std::size_t start) {
    Line line;
    std::size_t i = start;
    while (i < text.size() && !IsLineEnd(Code(text[i]))) ++i;
    line.stop = i;
    while (i < text.size() && IsLineEnd(Code(text[i]))) ++i;
    line.next = i;
    line.content = Trim(text, Span{start, line.stop});
    return line;
}

// The name of a section header line, or nothing for any other line.
template <typename Unit>
std::optional<Span> SectionName(Units<Unit> text, Span line) {
    if (line.begin == line.end || Code(text[line.begin]) != '[') return std::nullopt;
    for (std::size_t close = line.end; close > line.begin + 1; --close)
        if (Code(text[close - 1]) == ']') return Trim(text, Span{line.begin + 1, close - 1});
    return std::nullopt;
}

struct KeyLine {
    Span name;
    std::optional<Span> value;  // absent without "="
};

template <typename Unit>
KeyLine SplitKeyLine(Units<Unit> text, Span line) {
    for (std::size_t eq = line.begin; eq < line.end; ++eq) {
        if (Code(text[eq]) != '=') continue;
        const Span name = Trim(text, Span{line.begin, eq});
        return {name, Trim(text, Span{eq + 1, line.end})};
    }
    return {line, std::nullopt};
}

// Where one key of one section lies.
struct Location {
    bool section_found = false;
    Line last_line;  // the section's last non-empty line (its header at least)
    std::optional<Line> key_line;
};

template <typename Unit>
Location Find(Units<Unit> text, Units<Unit> section, Units<Unit> key) {
    Location where;
    bool inside = false;  // keys before any section belong to none
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = NextLine(text, pos);
        pos = line.next;
        if (line.content.begin == line.content.end) continue;
        if (const auto name = SectionName(text, line.content)) {
            if (where.section_found) break;  // only the first section of the name counts
            inside = SameName(text, *name, section);
            if (inside) {
                where.section_found = true;
                where.last_line = line;
            }
            continue;
        }
        if (!inside) continue;
        where.last_line = line;
        if (!where.key_line && SameName(text, SplitKeyLine(text, line.content).name, key)) where.key_line = line;
    }
    return where;
}

// The value as the system hands it to its number reader: up to the first
// NUL, one pair of matching quotes taken off, at most 29 units.
template <typename Unit>
Units<Unit> IntegerText(Units<Unit> value) {
    const std::size_t nul = std::find_if(value.begin(), value.end(), [](Unit u) { return Code(u) == 0; }) - value.begin();
    value = value.substr(0, nul);
    bool quoted = false;
    if (value.size() >= 2 && (Code(value[0]) == '"' || Code(value[0]) == '\'') && value.back() == value.front()) {
        quoted = true;
        value.remove_prefix(1);
    }
    // Copied through the 30-unit buffer; the closing quote is dropped only
    // when it made it into the buffer, which takes the last unit with it.
    const bool whole = value.size() <= kIntegerTextLimit + 1;
    value = value.substr(0, std::min(value.size(), kIntegerTextLimit));
    if (quoted && whole) value.remove_suffix(1);
    return value;
}

int DigitValue(unsigned c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'A' && c <= 'Z') return static_cast<int>(c - 'A' + 10);
    if (c >= 'a' && c <= 'z') return static_cast<int>(c - 'a' + 10);
    return 99;
}

template <typename Unit>
std::int32_t ParseInteger(Units<Unit> s) {
    std::size_t i = 0;
    while (i < s.size() && Code(s[i]) <= ' ') ++i;
    bool negative = false;
    if (i < s.size() && (Code(s[i]) == '+' || Code(s[i]) == '-')) negative = Code(s[i++]) == '-';
    unsigned base = 10;
    if (s.size() - i >= 2 && Code(s[i]) == '0') {
        const unsigned mark = Code(s[i + 1]);
        base = mark == 'x' ? 16 : mark == 'o' ? 8 : mark == 'b' ? 2 : 10;
        if (base != 10) i += 2;
    }
    std::uint32_t total = 0;  // wraps, as the system's reader does
    for (; i < s.size(); ++i) {
        const int digit = DigitValue(Code(s[i]));
        if (digit >= static_cast<int>(base)) break;
        total = total * base + static_cast<std::uint32_t>(digit);
    }
    if (negative) total = 0u - total;
    return static_cast<std::int32_t>(total);
}

// --- The file as units --------------------------------------------------------

struct Decoded {
    TextEncoding encoding;
    std::size_t header = 0;    // bytes of the byte-order mark
    std::u16string wide;       // the units of a UTF-16 file
};

Decoded Decode(std::string_view bytes) {
    Decoded d{DetectEncoding(bytes), 0, {}};
    switch (d.encoding) {
        case TextEncoding::SingleByte: break;
        case TextEncoding::Utf8WithMark: d.header = 3; break;
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE: {
            d.header = 2;
            const bool little = d.encoding == TextEncoding::Utf16LE;
            d.wide.resize((bytes.size() - 2) / 2);  // an odd last byte is no unit
            for (std::size_t i = 0; i < d.wide.size(); ++i) {
                const auto a = static_cast<unsigned char>(bytes[2 + 2 * i]);
                const auto b = static_cast<unsigned char>(bytes[3 + 2 * i]);
                d.wide[i] = static_cast<char16_t>(little ? a | (b << 8) : (a << 8) | b);
            }
            break;
        }
    }
    return d;
}

bool IsWide(TextEncoding e) { return e == TextEncoding::Utf16LE || e == TextEncoding::Utf16BE; }

// Text in the file's own encoding.
std::string Encode(std::string_view utf8, TextEncoding encoding) {
    if (!IsWide(encoding)) return std::string(utf8);
    const std::u16string wide = Utf8ToUtf16(utf8);
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    for (const char16_t u : wide) {
        const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        if (encoding == TextEncoding::Utf16LE) bytes.append({lo, hi});
        else bytes.append({hi, lo});
    }
    return bytes;
}

template <typename Unit>
std::basic_string<Unit> NameUnits(std::string_view utf8) {
    if constexpr (sizeof(Unit) == 1) return std::string(utf8);
    else return Utf8ToUtf16(utf8);
}

template <typename Unit>
std::string ToUtf8(Units<Unit> units) {
    if constexpr (sizeof(Unit) == 1) return std::string(units);
    else return Utf16ToUtf8(units);
}

// Calls f with the file's units, whichever their width.
template <typename F>
auto WithUnits(std::string_view bytes, const Decoded& d, F&& f) {
    if (IsWide(d.encoding)) return f(Units<char16_t>(d.wide));
    return f(bytes.substr(d.header));
}

Span Trimmed(std::string_view name) {
    return Trim(Units<char>(name), Span{0, name.size()});
}

}  // namespace

TextEncoding DetectEncoding(std::string_view b) {
    if (b.starts_with("\xEF\xBB\xBF")) return TextEncoding::Utf8WithMark;
    if (b.starts_with("\xFF\xFE")) return TextEncoding::Utf16LE;
    if (b.starts_with("\xFE\xFF")) return TextEncoding::Utf16BE;
    return TextEncoding::SingleByte;
}

std::optional<std::string> ProfileValueText(std::string_view bytes, std::string_view section, std::string_view key) {
    const Span s = Trimmed(section), k = Trimmed(key);
    section = section.substr(s.begin, s.end - s.begin);
    key = key.substr(k.begin, k.end - k.begin);
    const Decoded d = Decode(bytes);
    return WithUnits(bytes, d, [&](auto text) -> std::optional<std::string> {
        using Unit = typename decltype(text)::value_type;
        const auto wanted_section = NameUnits<Unit>(section);
        const auto wanted_key = NameUnits<Unit>(key);
        const Location where = Find(text, Units<Unit>(wanted_section), Units<Unit>(wanted_key));
        if (!where.key_line) return std::nullopt;
        const auto value = SplitKeyLine(text, where.key_line->content).value;
        if (!value) return std::nullopt;
        return ToUtf8(text.substr(value->begin, value->end - value->begin));
    });
}

std::int32_t ProfileInt(std::string_view bytes, std::string_view section, std::string_view key,
                        std::int32_t fallback) {
    const std::optional<std::string> value = ProfileValueText(bytes, section, key);
    if (!value) return fallback;
    // The value text is UTF-8 now; the number's units are all ASCII, and a
    // non-ASCII unit stops the reading in either form, so the bytes serve.
    // Only the 29-unit cut must count units of the file's own encoding.
    const Decoded d = Decode(bytes);
    if (IsWide(d.encoding)) {
        const std::u16string wide = Utf8ToUtf16(*value);
        const auto text = IntegerText(Units<char16_t>(wide));
        return text.empty() ? fallback : ParseInteger(text);
    }
    const auto text = IntegerText(Units<char>(*value));
    return text.empty() ? fallback : ParseInteger(text);
}

bool CanWriteProfileValue(std::string_view section, std::string_view key, std::string_view value) {
    for (const std::string_view part : {section, key, value}) {
        if (!IsValidUtf8(part)) return false;
        if (part.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return false;
        const Span t = Trimmed(part);
        if (t.begin != 0 || t.end != part.size()) return false;
    }
    return !section.empty() && !key.empty() && key.find('=') == std::string_view::npos && key.front() != '[';
}

std::optional<std::string> SetProfileValue(std::string_view bytes, std::string_view section, std::string_view key,
                                           std::string_view value, std::string_view new_line) {
    if (!CanWriteProfileValue(section, key, value)) return std::nullopt;
    const Decoded d = Decode(bytes);
    const std::size_t unit_size = IsWide(d.encoding) ? 2 : 1;
    auto byte_at = [&](std::size_t unit) { return d.header + unit * unit_size; };

    // What to insert, and where (in units of the file).
    struct Edit {
        std::size_t from, to;
        std::string utf8;
    };
    const Edit edit = WithUnits(bytes, d, [&](auto text) -> Edit {
        using Unit = typename decltype(text)::value_type;
        // The file's own line ending: its first one, CRLF counted whole.
        std::string ending(new_line);
        const std::size_t first_end =
            std::find_if(text.begin(), text.end(), [](Unit u) { return IsLineEnd(Code(u)); }) - text.begin();
        if (first_end < text.size()) {
            const bool crlf = Code(text[first_end]) == '\r' && first_end + 1 < text.size() &&
                              Code(text[first_end + 1]) == '\n';
            ending = crlf ? "\r\n" : Code(text[first_end]) == '\r' ? "\r" : "\n";
        }
        const auto wanted_section = NameUnits<Unit>(section);
        const auto wanted_key = NameUnits<Unit>(key);
        const Location where = Find(text, Units<Unit>(wanted_section), Units<Unit>(wanted_key));
        const std::string line = std::string(key) + "=" + std::string(value);

        if (where.key_line) {
            const Span content = where.key_line->content;
            const auto parts = SplitKeyLine(text, content);
            if (parts.value) return {parts.value->begin, parts.value->end, std::string(value)};
            return {content.end, content.end, "=" + std::string(value)};
        }
        if (where.section_found) {
            // After the first line end of the section's last line, so that
            // blank lines before the next section stay before it.
            const Line& last = where.last_line;
            if (last.stop == last.next) return {last.stop, last.stop, ending + line};
            std::size_t after = last.stop + 1;
            if (Code(text[last.stop]) == '\r' && after < last.next && Code(text[after]) == '\n') ++after;
            return {after, after, line + ending};
        }
        const bool ends_open = !text.empty() && !IsLineEnd(Code(text.back()));
        return {text.size(), text.size(),
                (ends_open ? ending : "") + "[" + std::string(section) + "]" + ending + line + ending};
    });

    std::string result;
    const std::string inserted = Encode(edit.utf8, d.encoding);
    result.reserve(bytes.size() + inserted.size());
    result.append(bytes.substr(0, byte_at(edit.from)));
    result.append(inserted);
    result.append(bytes.substr(byte_at(edit.to)));
    return result;
}

}  // namespace nyamo
