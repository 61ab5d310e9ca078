// Reading and replacing ~/.xscreensaver for nyamo --add-to-xscreensaver.
#include "platform/linux/xscreensaver_add.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/common/profile_save.h"
#include "platform/linux/xscreensaver_list.h"
#include "settings/profile_read.h"

namespace nyamo::linux_program {
namespace {

// The whole file, or nothing when it cannot be read; MISSING tells the two
// failures apart, and errno says why it could not be read.
std::optional<std::string> ReadWhole(const std::string& path, bool& missing) {
    struct stat info {};
    missing = stat(path.c_str(), &info) != 0 && errno == ENOENT;
    if (missing) return std::nullopt;
    errno = 0;
    std::optional<std::string> text = ReadWholeFile(path);
    if (!text && errno == 0) errno = EIO;
    return text;
}

// The file's new text in place, in the way the settings are saved: an error
// text, or empty.
std::string ReplaceFile(const std::string& path, const std::string& text, std::optional<mode_t> mode) {
    if (ReplaceFileText(path, text, mode ? std::optional<unsigned>(*mode) : std::nullopt)) return {};
    return "cannot replace " + path + ": " + std::strerror(errno);
}

// A command the daemon can run as written: it hands the list's entries to
// the shell, which would split or expand anything else.
bool PlainPath(const std::string& path) {
    for (char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '/' || c == '.' || c == '_' || c == '-' || c == '+';
        if (!plain) return false;
    }
    return true;
}

}  // namespace

int AddToXscreensaver(const std::string& home, const std::filesystem::path& program,
                      const std::vector<std::filesystem::path>& app_defaults, std::ostream& out, std::ostream& err) {
    if (home.empty() || home[0] != '/') {
        err << "nyamo: HOME is not set to a folder, so there is no ~/.xscreensaver to add Nyamo to.\n";
        return 1;
    }
    // The daemon finds its own hacks by their bare name; anywhere else it
    // needs the whole path.
    const bool installed = program.parent_path() == kXscreensaverHackFolder;
    const std::string command = (installed ? std::string("nyamo") : program.string()) + " --root";
    if (!installed && !PlainPath(program.string())) {
        err << "nyamo: the program's path " << program << " holds blanks or shell characters, which xscreensaver's\n"
            << "list cannot hold as written; install it (or copy it) into a plain folder and run this again.\n";
        return 2;
    }

    // A ~/.xscreensaver that links elsewhere (a dotfiles folder) is edited
    // where it points, and stays a link.
    const std::string file = FollowLinks(home + "/.xscreensaver");

    bool missing = false;
    std::optional<std::string> text = ReadWhole(file, missing);
    const int read_error = errno;
    std::optional<mode_t> mode;
    std::string defaults;
    std::string made_from;
    for (const std::filesystem::path& path : app_defaults) {
        bool absent = false;
        if (auto read = ReadWhole(path.string(), absent)) {
            defaults = std::move(*read);
            made_from = path.string();
            break;
        }
    }
    if (text) {
        struct stat info {};
        if (stat(file.c_str(), &info) == 0) mode = info.st_mode;
    } else if (missing) {
        text = made_from.empty() ? std::string("# XScreenSaver Preferences File\n")
                                 : PreferencesFromAppDefaults(defaults, made_from);
    } else {
        err << "nyamo: cannot read " << file << ": " << std::strerror(read_error) << "; it is left as it was.\n";
        return 1;
    }

    const ListEdit edit = AddToPrograms(*text, "nyamo", command, defaults);
    if (edit.outcome == ListOutcome::AlreadyListed && !missing) {
        out << "Nyamo is already entry " << edit.position << " of the list in " << file
            << "; nothing changed.\n";
        return 0;
    }
    const std::string problem = ReplaceFile(file, edit.text, mode);
    if (!problem.empty()) {
        err << "nyamo: " << problem << "; " << (missing ? "nothing was written" : "the file is left as it was")
            << ".\n";
        return 1;
    }
    if (missing)
        out << "Made " << file << " from " << (made_from.empty() ? "nothing" : made_from) << ".\n";
    out << "Added Nyamo (" << command << ") as entry " << edit.position << " of the list in " << file
        << ".\nxscreensaver reads the changed file by itself; xscreensaver-command -select " << edit.position
        << " shows it now.\n";
    return 0;
}

}  // namespace nyamo::linux_program
