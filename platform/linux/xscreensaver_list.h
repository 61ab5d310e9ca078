// xscreensaver's list of hacks (the "programs" resource) in the text of a
// ~/.xscreensaver file, edited so that every byte already there stays, in
// its order: adding an entry only inserts the continuation that joins it
// and the entry's own line. The list's order matters to the user (the
// "selected" setting and xscreensaver-command -select count in it).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nyamo::linux_program {

enum class ListOutcome {
    Added,
    AlreadyListed,  // an entry (enabled or not) already runs a program of that name
};

struct ListEdit {
    ListOutcome outcome;
    std::string text;       // the whole new file; the old one when nothing was added
    std::size_t position;   // the entry's number in the list, counted from 1
};

// The text of FILE with an entry running COMMAND at the end of its programs
// list. PROGRAM is the name looked for among the entries, in any folder.
// A file without a programs resource gets DEFAULTS' (the app-defaults file's
// list, which the daemon used until then) at its end, then the entry.
ListEdit AddToPrograms(std::string_view file, std::string_view program, std::string_view command,
                       std::string_view defaults);

// A ~/.xscreensaver made from the app-defaults text, as xscreensaver's
// settings tool makes one: the daemon's own settings (the "*name:" resources,
// each with its continuation lines, without the star), under a header that
// says where they came from. Dialog resources and directives are left out.
std::string PreferencesFromAppDefaults(std::string_view app_defaults, std::string_view source_name);

}  // namespace nyamo::linux_program
