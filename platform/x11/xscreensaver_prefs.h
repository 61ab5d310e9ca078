// What the user told xscreensaver about desktop pictures. xscreensaver keeps
// its settings as X resources in ~/.xscreensaver ("grabDesktopImages:
// True"), over the app-defaults file that the package installs; its image
// helper, xscreensaver-getimage, reads the same two places, and a hack that
// shows the desktop must honour the same answer.
#pragma once

#include <istream>
#include <optional>
#include <string>

namespace nyamo::x11 {

// The value of grabDesktopImages in one resource file, if it names it: the
// last line that sets it wins, as with X resources; "True", "On" and "Yes"
// (any case) allow, anything else forbids.
std::optional<bool> ReadGrabDesktopImages(std::istream& resources);

// Whether desktop pictures may be shown: ~/.xscreensaver under home, else
// the app-defaults file, else not (a picture of the desktop is shown only
// when someone allowed it).
bool DesktopGrabbingAllowed(const std::string& home, const std::string& app_defaults);

inline constexpr const char* kXscreensaverAppDefaults = "/etc/X11/app-defaults/XScreenSaver";

}  // namespace nyamo::x11
