// The resource file's lines as xscreensaver and Xrm read them: "name: value"
// at the start of a logical line, a backslash before the line's end joins
// the next physical line, "!" and "#" open comments, and the programs value
// holds one entry per "\n" escape.
#include "platform/linux/xscreensaver_list.h"

#include <vector>

namespace nyamo::linux_program {
namespace {

struct Line {
    std::size_t begin;  // first byte
    std::size_t end;    // one past the last byte of the content (before "\r\n" or "\n")
    std::size_t next;   // the first byte of the next line
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t newline = text.find('\n', begin);
        const std::size_t next = newline == std::string_view::npos ? text.size() : newline + 1;
        std::size_t end = newline == std::string_view::npos ? text.size() : newline;
        if (end > begin && text[end - 1] == '\r') --end;
        lines.push_back({begin, end, next});
        begin = next;
    }
    return lines;
}

// A line joins the next one when it ends in an odd number of backslashes.
bool Continues(std::string_view content) {
    std::size_t count = 0;
    while (count < content.size() && content[content.size() - 1 - count] == '\\') ++count;
    return count % 2 == 1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeadingBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The resource a logical line starts, "*programs" giving "programs"; the
// prefix the star or "XScreenSaver." stood in. Empty for comments and
// lines without a colon.
struct ResourceStart {
    std::string_view prefix;
    std::string_view name;
};

ResourceStart ResourceOf(std::string_view content) {
    std::string_view s = content;
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    if (s.empty() || s.front() == '!' || s.front() == '#') return {};
    const std::size_t colon = s.find(':');
    if (colon == std::string_view::npos) return {};
    std::string_view key = TrimBlanks(s.substr(0, colon));
    std::string_view prefix;
    for (std::string_view p : {"XScreenSaver.", "XScreenSaver*", "*"}) {
        if (key.substr(0, p.size()) == p) {
            prefix = p;
            key.remove_prefix(p.size());
            break;
        }
    }
    return {prefix, key};
}

// The physical lines [first, last] of the last programs resource, or none.
struct Span {
    bool found = false;
    std::size_t first = 0;
    std::size_t last = 0;
};

Span ProgramsSpan(std::string_view text, const std::vector<Line>& lines) {
    Span span;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t first = i;
        while (i + 1 < lines.size() && Continues(text.substr(lines[i].begin, lines[i].end - lines[i].begin))) ++i;
        if (ResourceOf(text.substr(lines[first].begin, lines[first].end - lines[first].begin)).name == "programs")
            span = {true, first, i};
    }
    return span;
}

// The value of the resource on lines [first, last], continuations removed.
std::string JoinedValue(std::string_view text, const std::vector<Line>& lines, const Span& span) {
    std::string value;
    for (std::size_t i = span.first; i <= span.last; ++i) {
        std::string_view content = text.substr(lines[i].begin, lines[i].end - lines[i].begin);
        if (i == span.first) content.remove_prefix(content.find(':') + 1);
        if (i < span.last && Continues(content)) content.remove_suffix(1);
        value += content;
    }
    return value;
}

// The entries of a programs value: the text between "\n" escapes that holds
// more than blanks.
std::vector<std::string_view> Entries(std::string_view value) {
    std::vector<std::string_view> entries;
    std::size_t begin = 0;
    while (begin <= value.size()) {
        std::size_t end = value.find("\\n", begin);
        if (end == std::string_view::npos) end = value.size();
        const std::string_view entry = TrimBlanks(value.substr(begin, end - begin));
        if (!entry.empty()) entries.push_back(entry);
        begin = end + 2;
    }
    return entries;
}

// The name of the program an entry runs: "[-] [visual:] ["Name"] command ...".
std::string_view ProgramOf(std::string_view entry) {
    entry = TrimBlanks(entry);
    if (!entry.empty() && entry.front() == '-') entry = TrimBlanks(entry.substr(1));
    const std::size_t word_end = entry.find_first_of(" \t");
    const std::string_view word = entry.substr(0, word_end);
    if (!word.empty() && word.back() == ':' && word.find('"') == std::string_view::npos)
        entry = TrimBlanks(word_end == std::string_view::npos ? std::string_view{} : entry.substr(word_end));
    if (!entry.empty() && entry.front() == '"') {
        const std::size_t close = entry.find('"', 1);
        entry = close == std::string_view::npos ? std::string_view{} : TrimBlanks(entry.substr(close + 1));
    }
    std::string_view command = entry.substr(0, entry.find_first_of(" \t"));
    const std::size_t slash = command.rfind('/');
    if (slash != std::string_view::npos) command.remove_prefix(slash + 1);
    return command;
}

}  // namespace

ListEdit AddToPrograms(std::string_view file, std::string_view program, std::string_view command,
                       std::string_view defaults) {
    const std::vector<Line> lines = SplitLines(file);
    const Span span = ProgramsSpan(file, lines);
    if (!span.found) {
        // The daemon used the app-defaults' list: the file takes that list
        // over, after every byte it has.
        std::string text(file);
        if (!text.empty() && text.back() != '\n') text += '\n';
        const std::vector<Line> default_lines = SplitLines(defaults);
        const Span default_span = ProgramsSpan(defaults, default_lines);
        if (default_span.found) {
            text += '\n';
            for (std::size_t i = default_span.first; i <= default_span.last; ++i) {
                std::string_view content =
                    defaults.substr(default_lines[i].begin, default_lines[i].end - default_lines[i].begin);
                if (i == default_span.first)
                    content = TrimLeadingBlanks(content).substr(ResourceOf(content).prefix.size());
                text += content;
                text += '\n';
            }
        } else {
            text += "programs:\n";
        }
        ListEdit edit = AddToPrograms(text, program, command, {});
        // Listed by the defaults already: the daemon runs it as things are.
        if (edit.outcome == ListOutcome::AlreadyListed) edit.text = std::string(file);
        return edit;
    }

    const std::string value = JoinedValue(file, lines, span);
    const std::vector<std::string_view> entries = Entries(value);
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (ProgramOf(entries[i]) == program) return {ListOutcome::AlreadyListed, std::string(file), i + 1};

    // The list's last line gets a backslash (and first a "\n" escape when it
    // ends an entry without one), then the new entry's line follows it.
    const Line& last = lines[span.last];
    std::string_view content = file.substr(last.begin, last.end - last.begin);
    if (span.last == span.first) content.remove_prefix(content.find(':') + 1);
    const std::string_view kept = TrimBlanks(content);
    std::string joint;
    if (!kept.empty() && (kept.size() < 2 || kept.substr(kept.size() - 2) != "\\n")) joint += " \\n";
    joint += "\\";
    const std::string_view terminator =
        last.next > last.end ? file.substr(last.end, last.next - last.end) : std::string_view("\n");
    std::string text(file.substr(0, last.end));
    text += joint;
    text += terminator;
    text += "\t\t\t\t";
    text += command;
    text += "\t\t\t\t    \\n";
    text += terminator;
    text += file.substr(last.next);
    return {ListOutcome::Added, std::move(text), entries.size() + 1};
}

std::string PreferencesFromAppDefaults(std::string_view app_defaults, std::string_view source_name) {
    std::string text = "# XScreenSaver Preferences File\n# Made by nyamo ";
    text += "--add-to-xscreensaver from ";
    text += source_name;
    text += ",\n# as xscreensaver-settings makes it.\n\n";
    const std::vector<Line> lines = SplitLines(app_defaults);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t first = i;
        while (i + 1 < lines.size() &&
               Continues(app_defaults.substr(lines[i].begin, lines[i].end - lines[i].begin)))
            ++i;
        const std::string_view head = app_defaults.substr(lines[first].begin, lines[first].end - lines[first].begin);
        const ResourceStart resource = ResourceOf(head);
        // The daemon's settings are "*name"; "*Dialog.font" and the like
        // belong to its windows, and the settings tool writes none of them.
        if (resource.prefix != "*" || resource.name.empty() || resource.name.find_first_of(".*") != std::string_view::npos)
            continue;
        for (std::size_t j = first; j <= i; ++j) {
            std::string_view content = app_defaults.substr(lines[j].begin, lines[j].end - lines[j].begin);
            if (j == first) content = TrimLeadingBlanks(content).substr(1);
            text += content;
            text += '\n';
        }
    }
    return text;
}

}  // namespace nyamo::linux_program
