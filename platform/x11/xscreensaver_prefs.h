// What the user told xscreensaver about desktop pictures, decided as
// xscreensaver 6 decides it. Its programs read X resources of the name
// "xscreensaver" and the class "XScreenSaver" through libXt: the
// app-defaults file XScreenSaver wherever this system's libXt looks for it
// (XFILESEARCHPATH, else the compiled-in path: /etc/X11/app-defaults on
// Debian, /usr/share/X11/app-defaults on Fedora and Arch), the user's own
// (XUSERFILESEARCHPATH, XAPPLRESDIR, ~/XScreenSaver) and the server's
// RESOURCE_MANAGER; the lines of ~/.xscreensaver ("grabDesktopImages:
// True") override them all. A hack that shows the desktop must honour the
// same answer as xscreensaver's own image helper.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <string>

namespace nyamo::x11 {

// grabDesktopImages as user_file (~/.xscreensaver) sets it, else as
// resources set xscreensaver.grabDesktopImages (class
// XScreenSaver.grabDesktopImages). "True", "Yes" and "On" in any case allow;
// anything else, or no value at all, forbids: a picture of the desktop is
// shown only when someone allowed it. Either database may be null.
bool GrabDesktopImages(XrmDatabase resources, XrmDatabase user_file);

// The same for the user of this process on display's server: the resource
// database that libXt builds for xscreensaver's programs (over a short
// connection of its own), and ~/.xscreensaver under home.
bool DesktopGrabbingAllowed(Display* display, const std::string& home);

}  // namespace nyamo::x11
