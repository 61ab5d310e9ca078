#include "settings/profile_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <random>
#include <vector>

namespace nyamo {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct Line {
    std::size_t begin;  // first character
    std::size_t end;    // one past the last character before the line ending
    std::size_t next;   // first character of the next line
};

std::vector<Line> SplitLines(std::string_view text, std::size_t start) {
    std::vector<Line> lines;
    std::size_t pos = start;
    while (pos < text.size()) {
        const std::size_t lf = text.find('\n', pos);
        const std::size_t stop = lf == std::string_view::npos ? text.size() : lf;
        // A carriage return is part of the line ending only before a line feed;
        // a lone one at the very end stays in the line, so nothing is appended to it.
        const bool crlf = lf != std::string_view::npos && stop > pos && text[stop - 1] == '\r';
        const std::size_t end = crlf ? stop - 1 : stop;
        lines.push_back({pos, end, lf == std::string_view::npos ? text.size() : lf + 1});
        pos = lines.back().next;
    }
    return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The section name of a header line "[name]", or nothing for other lines.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    const std::size_t close = line.find(']');
    return Trim(close == std::string_view::npos ? line : line.substr(0, close));
}

struct KeyLine {
    std::string_view key;
    std::optional<std::string_view> value;
};

KeyLine SplitKeyLine(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {Trim(line), std::nullopt};
    return {Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))};
}

// Where one key of one section lies in a file's text.
struct Location {
    bool section_found = false;
    std::size_t section_last_line = 0;  // index of the last non-blank line of the section
    std::optional<std::size_t> key_line;
};

Location Find(std::string_view text, const std::vector<Line>& lines, std::string_view section,
              std::string_view key) {
    Location where;
    bool inside = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = text.substr(lines[i].begin, lines[i].end - lines[i].begin);
        if (const auto name = SectionName(line)) {
            if (inside) break;  // the first section of that name wins
            if (SameName(*name, section)) {
                inside = true;
                where.section_found = true;
                where.section_last_line = i;
            }
            continue;
        }
        if (!inside) continue;
        if (!Trim(line).empty()) where.section_last_line = i;
        if (!where.key_line && SameName(SplitKeyLine(line).key, key)) where.key_line = i;
    }
    return where;
}

std::size_t TextStart(std::string_view text) { return text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0; }

// The integer the text begins with, saturated to 32 bits; 0 without digits.
std::int32_t LeadingInteger(std::string_view s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    std::int64_t magnitude = 0;
    constexpr std::int64_t kLimit = std::int64_t{1} << 32;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) magnitude = std::min(kLimit, magnitude * 10 + (s[i] - '0'));
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// The file's bytes, or nothing when it cannot be opened or a read fails part
// of the way (a folder in its place, an I/O error): a save must never
// replace a file with the part of it that could be read.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) text.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return text;
}

// The file a path stands for: a symbolic link is followed to its target
// (which need not exist yet), so that saving updates the target and keeps
// the link.
std::filesystem::path FollowLinks(std::filesystem::path path) {
    namespace fs = std::filesystem;
    std::error_code error;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, error)); ++hops) {
        const fs::path target = fs::read_symlink(path, error);
        if (error) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

// A name beside the file that no other save uses at the same moment.
std::string TemporaryNameFor(const std::string& path) {
    static const std::uint64_t process_salt = std::random_device{}();
    static std::uint64_t counter = 0;
    const std::uint64_t tag = process_salt * 0x9E3779B97F4A7C15ull + ++counter;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".saving-%016llx", static_cast<unsigned long long>(tag));
    return path + suffix;
}

std::string_view LineEndingOf(const std::vector<Line>& lines, std::string_view fallback) {
    for (const Line& line : lines)
        if (line.next > line.end) return line.next - line.end == 2 ? "\r\n" : "\n";
    return fallback;
}

}  // namespace

std::int32_t ReadProfileInt(std::string_view section, std::string_view key, std::int32_t fallback,
                            const std::string& path) {
    const std::optional<std::string> file = ReadWholeFile(path);
    if (!file) return fallback;
    const std::string_view text = *file;
    const std::vector<Line> lines = SplitLines(text, TextStart(text));
    const Location where = Find(text, lines, section, key);
    if (!where.key_line) return fallback;
    const Line& line = lines[*where.key_line];
    const KeyLine parts = SplitKeyLine(text.substr(line.begin, line.end - line.begin));
    if (!parts.value || parts.value->empty()) return fallback;
    return LeadingInteger(*parts.value);
}

std::string SetProfileValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value, std::string_view new_line) {
    const std::vector<Line> lines = SplitLines(text, TextStart(text));
    const std::string_view ending = LineEndingOf(lines, new_line);
    const Location where = Find(text, lines, section, key);
    std::string result;
    result.reserve(text.size() + key.size() + value.size() + section.size() + 8);

    if (where.key_line) {
        // Keep the key's own spelling; only the value changes.
        const Line& line = lines[*where.key_line];
        const std::string_view old_key = SplitKeyLine(text.substr(line.begin, line.end - line.begin)).key;
        result.append(text.substr(0, line.begin));
        result.append(old_key).append("=").append(value);
        result.append(text.substr(line.end));
        return result;
    }
    if (where.section_found) {
        const Line& last = lines[where.section_last_line];
        result.append(text.substr(0, last.next));
        if (last.next == last.end) result.append(ending);  // the file ended without a line break
        result.append(key).append("=").append(value).append(ending);
        result.append(text.substr(last.next));
        return result;
    }
    result.append(text);
    if (!lines.empty() && lines.back().next == lines.back().end) result.append(ending);
    result.append("[").append(section).append("]").append(ending);
    result.append(key).append("=").append(value).append(ending);
    return result;
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& given_path, std::string_view new_line) {
    namespace fs = std::filesystem;
    const std::string path = FollowLinks(given_path).string();
    std::error_code error;
    const bool exists = fs::exists(path, error);
    if (error) return false;
    std::string old_text;
    if (exists) {
        std::optional<std::string> file = ReadWholeFile(path);
        if (!file) return false;  // unreadable: never replace what we cannot keep
        old_text = std::move(*file);
        // A file the user may not write to (made read-only) is left as it is,
        // even though the folder would let the rename replace it.
        if (!std::ofstream(path, std::ios::binary | std::ios::app)) return false;
    }
    const std::string new_text = SetProfileValue(old_text, section, key, value, new_line);

    const std::string temporary = TemporaryNameFor(path);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        // The old file's permissions before any byte is written, so that a
        // private file is never readable by others, not even for a moment.
        if (exists) {
            const fs::file_status old_status = fs::status(path, error);
            if (!error) fs::permissions(temporary, old_status.permissions(), error);
        }
        out.write(new_text.data(), static_cast<std::streamsize>(new_text.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, path, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

}  // namespace nyamo
