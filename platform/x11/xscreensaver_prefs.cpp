#include "platform/x11/xscreensaver_prefs.h"

#include <X11/Intrinsic.h>
#include <strings.h>

#include <cstring>
#include <optional>

namespace nyamo::x11 {

namespace {

std::optional<std::string> Value(XrmDatabase database, const char* name, const char* resource_class) {
    if (database == nullptr) return std::nullopt;
    char* type = nullptr;
    XrmValue value{};
    if (!XrmGetResource(database, name, resource_class, &type, &value) || value.addr == nullptr) return std::nullopt;
    return std::string(value.addr, strnlen(value.addr, value.size));
}

// xscreensaver's reading of a boolean: the words it writes and their
// synonyms, blanks around them (a CR of a file from Windows too) ignored;
// anything else is false.
bool Allows(std::string text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    const auto last = text.find_last_not_of(" \t\r\n");
    text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    return strcasecmp(text.c_str(), "true") == 0 || strcasecmp(text.c_str(), "yes") == 0 ||
           strcasecmp(text.c_str(), "on") == 0;
}

}  // namespace

bool GrabDesktopImages(XrmDatabase resources, XrmDatabase user_file) {
    // ~/.xscreensaver names its settings bare; xscreensaver files them under
    // its class, above everything the resource files say.
    if (const auto own = Value(user_file, "grabDesktopImages", "grabDesktopImages")) return Allows(*own);
    if (const auto shared = Value(resources, "xscreensaver.grabDesktopImages", "XScreenSaver.grabDesktopImages"))
        return Allows(*shared);
    return false;
}

bool DesktopGrabbingAllowed(Display* display, const std::string& home) {
    XrmInitialize();
    XrmDatabase user_file = nullptr;
    if (!home.empty()) user_file = XrmGetFileDatabase((home + "/.xscreensaver").c_str());
    // libXt merges the resource files exactly as for xscreensaver's own
    // programs (the search paths, the language, the user's files, the
    // server's resources). Its display is a connection of its own: closing
    // the application context closes it and leaves ours alone.
    XtToolkitInitialize();
    XtAppContext context = XtCreateApplicationContext();
    int argc = 0;
    char* argv[] = {nullptr};
    Display* resources_display =
        XtOpenDisplay(context, DisplayString(display), "xscreensaver", "XScreenSaver", nullptr, 0, &argc, argv);
    const bool allowed =
        GrabDesktopImages(resources_display != nullptr ? XtDatabase(resources_display) : nullptr, user_file);
    XtDestroyApplicationContext(context);
    if (user_file != nullptr) XrmDestroyDatabase(user_file);
    return allowed;
}

}  // namespace nyamo::x11
