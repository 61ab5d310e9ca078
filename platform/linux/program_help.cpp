// The help text and the manual page from the option tables.
#include "platform/linux/program_help.h"

#include <algorithm>

#include "nyamo_version.h"
#include "platform/linux/hack_options.h"
#include "settings/options.h"

namespace nyamo::linux_program {
namespace {

// The range and default of the hack options that carry a setting.
std::string SettingNote(HackOptionKind kind) {
    const auto note = [](const SettingOption& o) {
        return " (" + std::to_string(o.min) + " to " + std::to_string(o.max) + ", default " +
               std::to_string(o.fallback) + ")";
    };
    if (kind == HackOptionKind::Count) return note(kCatNumOption);
    if (kind == HackOptionKind::Speed) return note(kSaverSpeedOption);
    const bool desktop_default = kSaverTypeOption.fallback == 1;
    if (kind == HackOptionKind::Desktop && desktop_default) return " (the default)";
    if (kind == HackOptionKind::Blank && !desktop_default) return " (the default)";
    return "";
}

std::string Spelled(const HackOption& option) {
    std::string text(option.name);
    if (option.takes_value) text += " " + std::string(option.value);
    return text;
}

// man(7) text: a hyphen that is part of an option is written \- so that it
// is printed as the hyphen-minus one types; a line may not open with a dot.
std::string Roff(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '-') out += "\\-";
        else if (c == '\\') out += "\\e";
        else out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

}  // namespace

std::string VersionText() { return std::string("nyamo ") + kVersion; }

std::string HelpText() {
    std::string text = VersionText() + ": grey tabby kittens walk across the screen.\n\nUsage: nyamo [COMMAND]\n\n";
    std::size_t width = 0;
    for (const ProgramCommand& command : kProgramCommands) width = std::max(width, command.usage.size());
    for (const HackOption& option : kHackOptions) width = std::max(width, Spelled(option).size());
    const auto line = [&](std::string_view left, const std::string& right) {
        std::string padded(left);
        padded.resize(width, ' ');
        text += "  " + padded + "  " + right + "\n";
    };
    for (const ProgramCommand& command : kProgramCommands) line(command.usage, std::string(command.help));
    text += "\nAs an xscreensaver hack (one dash or two):\n";
    for (const HackOption& option : kHackOptions)
        line(Spelled(option), std::string(option.help) + SettingNote(option.kind));
    text +=
        "\nThe settings of /s, /p, /c and --wayland-background live in Nyamo_07.ini beside the\n"
        "program when its folder is writable, else in $XDG_CONFIG_HOME/nyamo (by default\n"
        "~/.config/nyamo), on X11 and Wayland alike. The hack takes its settings from its\n"
        "command line alone.\n"
        "\nOn X11 the saver covers the primary monitor, or every monitor with SaverScreens=2\n"
        "in that file (the dialog's check box).\n"
        "On Wayland the saver covers every output, each with a flock of its own, and one saver\n"
        "runs at a time (a lock in $XDG_RUNTIME_DIR); a compositor without layer-shell (GNOME)\n"
        "cannot run it. Started while the session is locked, it says so and ends. From an idle\n"
        "daemon, give --daemonize, so that a later timeout (the lock) comes on time:\n"
        "  swayidle -w timeout 300 'nyamo --daemonize /s' timeout 600 'swaylock -f'\n";
    return text;
}

std::string ManualPage(std::string_view date) {
    std::string page;
    page += ".\\\" Written at build time from the program's option tables.\n";
    page += ".TH NYAMO 6 \"" + std::string(date) + "\" \"Nyamo " + kVersion + "\" \"Screen savers\"\n";
    page += ".SH NAME\nnyamo \\- grey tabby kittens walk across the screen\n";
    page += ".SH SYNOPSIS\n.B nyamo\n[\\fB/s\\fR | \\fB/c\\fR | \\fB/p\\fR \\fIID\\fR]\n.br\n.B nyamo\n";
    for (const HackOption& option : kHackOptions) {
        page += "[\\fB" + Roff(option.name) + "\\fR";
        if (option.takes_value) page += " \\fI" + Roff(option.value) + "\\fR";
        page += "]\n";
    }
    page += ".br\n.B nyamo\n\\fB" + Roff(kAddToXscreensaver) + "\\fR | \\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR\n";
    page +=
        ".SH DESCRIPTION\n"
        "A flock of grey tabby kittens walks across the screen, each in a lane of its own;\n"
        "now and then one sits down and washes its face. They walk over a picture of the\n"
        "desktop or over black.\n"
        ".PP\n"
        "The program is both a screen saver with the switches of a Windows screen saver\n"
        "and an xscreensaver hack. In a Wayland session whose compositor offers the\n"
        "layer-shell protocol (sway, Hyprland, KDE Plasma 6, river, niri, labwc) the saver\n"
        "covers every output, each with its own flock over that output's picture; an idle\n"
        "daemon starts it, for instance\n.B swayidle \\-w timeout 300 \\(aqnyamo \\-\\-daemonize /s\\(aq timeout 600 \\(aqswaylock \\-f\\(aq\n"
        ".PP\n"
        "With \\-\\-daemonize the command returns once the saver shows on every screen, and the\n"
        "saver runs on by itself, so that an idle daemon that waits for each command (swayidle\n"
        "\\-w) still runs its later timeouts, the lock screen among them, on time. A saver\n"
        "started while the session is locked says so and ends.\n"
        "It ends with status 1 and one line when the compositor goes or ends the connection.\n"
        ".PP\n"
        "The preview (/p) runs on X11 only; the settings dialog (/c) is an X client, which\n"
        "a Wayland session shows through XWayland.\n"
        ".SH COMMANDS\n";
    for (const ProgramCommand& command : kProgramCommands) {
        page += ".TP\n.B " + Roff(command.usage) + "\n" + Roff(command.help) + ".\n";
    }
    page += ".SH HACK OPTIONS\nEach is accepted with one dash or with two.\n";
    for (const HackOption& option : kHackOptions) {
        page += ".TP\n\\fB" + Roff(option.name) + "\\fR";
        if (option.takes_value) page += " \\fI" + Roff(option.value) + "\\fR";
        page += "\n" + Roff(std::string(option.help) + SettingNote(option.kind)) + ".\n";
    }
    page +=
        ".SH FILES\n"
        ".TP\n.I ~/.config/nyamo/Nyamo_07.ini\n"
        "The settings of the saver, the preview and the dialog, when the program's folder\n"
        "cannot be written (as for an installed program); otherwise\n.I Nyamo_07.ini\n"
        "beside the program.\n"
        ".TP\n.I ~/.xscreensaver\n"
        "The list of hacks that\n.B " + Roff(kAddToXscreensaver) + "\nadds Nyamo to.\n"
        ".SH ENVIRONMENT\n"
        ".TP\n.B DISPLAY\nThe X display to draw on.\n"
        ".TP\n.B WAYLAND_DISPLAY\nWhen set, /s runs on this Wayland display unless \\-\\-backend=x11 is given.\n"
        ".TP\n.B XDG_RUNTIME_DIR\nWhere the Wayland saver's lock nyamo.lock is, which keeps a second saver from starting.\n"
        ".TP\n.B XSCREENSAVER_WINDOW\nThe window to draw into when run as a hack.\n"
        ".TP\n.B XDG_CONFIG_HOME\nWhere the settings folder is, when it is an absolute path.\n"
        ".SH SEE ALSO\n"
        ".BR xscreensaver (1),\n.BR xscreensaver\\-settings (1),\n.BR mate\\-screensaver (1)\n";
    return page;
}

}  // namespace nyamo::linux_program
