// nyamo --add-to-xscreensaver: Nyamo at the end of the user's list of hacks
// in ~/.xscreensaver, made from the system's app-defaults when the user has
// no such file yet. The file is replaced in one rename, so that it is either
// the old one or the new one, never half written; a file that cannot be read
// or written is left as it was, with a message.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace nyamo::linux_program {

// Where xscreensaver's app-defaults file may be: Debian's folder first.
inline const std::vector<std::filesystem::path> kAppDefaultsFiles{"/etc/X11/app-defaults/XScreenSaver",
                                                                  "/usr/share/X11/app-defaults/XScreenSaver"};

// The folder xscreensaver runs its hacks from by their bare name.
inline constexpr const char* kXscreensaverHackFolder = "/usr/libexec/xscreensaver";

// Adds PROGRAM (this program's path) to HOME/.xscreensaver; says what it did
// on OUT and why it could not on ERR. The exit status: 0 when Nyamo is in
// the list afterwards, 1 when the file could not be read or written, 2 when
// the program's path cannot be written into the list.
int AddToXscreensaver(const std::string& home, const std::filesystem::path& program,
                      const std::vector<std::filesystem::path>& app_defaults, std::ostream& out, std::ostream& err);

}  // namespace nyamo::linux_program
