// The xscreensaver hack's command line: when the program is a hack, which
// window it draws into, and which command lines it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include <sys/stat.h>

#include "platform/x11/frame_rate.h"
#include "platform/linux/backend_choice.h"
#include "platform/linux/hack_options.h"
#include "platform/linux/program_help.h"
#include "platform/x11/x11_hack.h"
#include "platform/linux/xscreensaver_add.h"
#include "platform/linux/xscreensaver_list.h"
#include "platform/x11/xscreensaver_prefs.h"
#include "settings/options.h"

namespace nyamo::x11 {

// The option table is the Linux program's, shared with --help.
using namespace nyamo::linux_program;
namespace {

using Args = std::vector<std::string>;

HackRequest Request(const Args& args, const char* env = nullptr) {
    const auto parsed = ParseHackRequest(args, env);
    EXPECT_TRUE(std::holds_alternative<HackRequest>(parsed));
    return std::holds_alternative<HackRequest>(parsed) ? std::get<HackRequest>(parsed) : HackRequest{};
}

bool IsNormalProgram(const Args& args, const char* env = nullptr) {
    return std::holds_alternative<std::monostate>(ParseHackRequest(args, env));
}

bool IsUsageError(const Args& args, const char* env = nullptr) {
    return std::holds_alternative<HackUsageError>(ParseHackRequest(args, env));
}

TEST(HackOptions, TheWindowsSwitchesStayTheNormalProgram) {
    // Switches that are no hack option keep their silent rule.
    for (const Args& args : {Args{}, Args{"/s"}, Args{"/p", "1234"}, Args{"/c"}, Args{"-s"}, Args{"/a"}, Args{"-bogus"}})
        EXPECT_TRUE(IsNormalProgram(args));
}

TEST(HackOptions, InsideXscreensaverTheSwitchesStillWin) {
    // An argument that is no hack option means the normal program, even
    // with xscreensaver's variable in the environment.
    EXPECT_TRUE(IsNormalProgram({"/c"}, "0x400002"));
    EXPECT_TRUE(IsNormalProgram({"/s"}, "0x400002"));
    EXPECT_TRUE(IsNormalProgram({"-s"}, "0x400002"));
    EXPECT_TRUE(IsNormalProgram({}, ""));  // an empty variable is no window
}

TEST(HackOptions, RootWindowId) {
    const HackRequest root = Request({"-root"});
    EXPECT_TRUE(root.root);
    EXPECT_EQ(root.window, 0u);

    EXPECT_EQ(Request({"-window-id", "0x400002"}).window, 0x400002u);
    EXPECT_EQ(Request({"--window-id", "4194306"}).window, 4194306u);
    EXPECT_FALSE(Request({"-window-id", "17"}).root);
}

TEST(HackOptions, XscreensaverWindowFromTheEnvironment) {
    EXPECT_EQ(Request({}, "0x1a00007").window, 0x1a00007u);
    EXPECT_EQ(Request({"-count", "5"}, "123").window, 123u);
    // xscreensaver runs hacks with -root and means its own window.
    const HackRequest under = Request({"-root"}, "0x1a00007");
    EXPECT_FALSE(under.root);
    EXPECT_EQ(under.window, 0x1a00007u);
    // An explicit window id wins over the variable.
    EXPECT_EQ(Request({"-window-id", "99"}, "0x1a00007").window, 99u);
}

TEST(HackOptions, Settings) {
    const HackRequest r = Request({"-root", "-count", "12", "-speed", "9", "-blank"});
    EXPECT_EQ(r.count, 12);
    EXPECT_EQ(r.speed, 9);
    EXPECT_EQ(r.saver_type, 2);
    EXPECT_EQ(Request({"--root", "--blank", "--desktop"}).saver_type, 1);  // the last one wins
    // Out of range is kept here and forced into range when the hack starts.
    EXPECT_EQ(Request({"-root", "-count", "70"}).count, 70);
    // Decimal, as xscreensaver's hacks read numbers: a leading zero is no octal.
    EXPECT_EQ(Request({"-root", "-count", "010", "-speed", "09"}).count, 10);
    EXPECT_EQ(Request({"-root", "-speed", "09"}).speed, 9);
    EXPECT_TRUE(IsUsageError({"-root", "-count", "0x10"}));
    EXPECT_EQ(Request({"-window-id", "010"}).window, 10u);
}

TEST(HackOptions, WhatTheCommandLineLeavesOutIsTheTablesDefault) {
    // xscreensaver passes no option for a setting at its config's default;
    // the settings file plays no part.
    for (const HackRequest& none : {Request({"--root"}), Request({}, "0x400002"), Request({"--window"})}) {
        EXPECT_EQ(none.count, kCatNumOption.fallback);
        EXPECT_EQ(none.speed, kSaverSpeedOption.fallback);
        EXPECT_EQ(none.saver_type, kSaverTypeOption.fallback);
        EXPECT_FALSE(none.fps);
    }
}

TEST(HackOptions, TheStandardHackOptionsInBothSpellings) {
    for (const char* dashes : {"-", "--"}) {
        const std::string d = dashes;
        const HackRequest r = Request({d + "display", ":7", d + "root", d + "install", d + "noinstall", d + "visual",
                                       "default", d + "mono", d + "pair", d + "fps"});
        EXPECT_TRUE(r.root);
        EXPECT_TRUE(r.fps);
        ASSERT_TRUE(r.display.has_value());
        EXPECT_EQ(*r.display, ":7");
        EXPECT_FALSE(Request({d + "root", d + "fps", d + "no-fps"}).fps);
        EXPECT_EQ(Request({d + "window-id", "0x400002"}).window, 0x400002u);
    }
}

TEST(HackOptions, WhichWindowTheHackDrawsInto) {
    // --window, or hack options with no target at all, opens a window of its
    // own, as xscreensaver's hacks do when started from a terminal.
    for (const Args& args : {Args{"--window"}, Args{"--fps"}, Args{"-count", "3"}, Args{"--window", "--root"}}) {
        const HackRequest own = Request(args);
        EXPECT_TRUE(own.own_window);
        EXPECT_FALSE(own.root);
        EXPECT_EQ(own.window, 0u);
    }
    EXPECT_TRUE(Request({"--window"}, "0x1a00007").own_window);
    const HackRequest id = Request({"--window", "--window-id", "42"});
    EXPECT_FALSE(id.own_window);
    EXPECT_EQ(id.window, 42u);
    EXPECT_FALSE(Request({"--root"}).own_window);
}

TEST(HackOptions, BadHackCommandLinesAreRefused) {
    EXPECT_TRUE(IsUsageError({"-root", "-count", "many"}));
    EXPECT_TRUE(IsUsageError({"-root", "-count"}));
    EXPECT_TRUE(IsUsageError({"-root", "-speed", "-3"}));
    EXPECT_TRUE(IsUsageError({"-window-id"}));
    EXPECT_TRUE(IsUsageError({"-window-id", "0"}));
    EXPECT_TRUE(IsUsageError({"-window-id", "99999999999"}));
    EXPECT_TRUE(IsUsageError({"-window-id", "12abc"}));
    EXPECT_TRUE(IsUsageError({"-root", "/s"}));
    EXPECT_TRUE(IsUsageError({"--fps", "--bogus"}));
    EXPECT_TRUE(IsUsageError({"--root", "--display"}));
    EXPECT_TRUE(IsUsageError({"--root", "--visual"}));
    EXPECT_TRUE(IsNormalProgram({"---root"}, "0x400002"));  // no hack option: the normal program
    EXPECT_TRUE(IsUsageError({}, "not-a-window"));
    // The message names the problem.
    const auto parsed = ParseHackRequest({"-root", "-bogus"}, nullptr);
    ASSERT_TRUE(std::holds_alternative<HackUsageError>(parsed));
    EXPECT_NE(std::get<HackUsageError>(parsed).message.find("-bogus"), std::string::npos);
    // The usage names every option, in the two-dash spelling.
    for (const char* option : {"--root", "--window", "--window-id ID", "--display", "--install", "--noinstall",
                               "--visual", "--mono", "--fps", "--no-fps", "--pair", "--count 1-50", "--speed 1-10",
                               "--desktop", "--blank"})
        EXPECT_NE(HackUsage().find(option), std::string::npos) << option;
}

// The saver follows the session; the dialog and the preview are X clients
// whatever the session; an explicit backend wins; what cannot run is refused.
TEST(BackendChoice, TheSessionTheSwitchAndTheModes) {
    struct Case {
        std::vector<std::string> args;
        const char* wayland_display;
        Backend backend;
        bool background;
        std::vector<std::string> left;
        bool refused;
        bool daemonize = false;
    };
    const std::vector<Case> cases{
        {{"/s"}, "wayland-1", Backend::Wayland, false, {"/s"}, false},
        {{"/S"}, "", Backend::X11, false, {"/S"}, false},
        {{"/s"}, nullptr, Backend::X11, false, {"/s"}, false},
        {{"/c"}, "wayland-1", Backend::X11, false, {"/c"}, false},
        {{}, "wayland-1", Backend::X11, false, {}, false},
        {{"/p", "123"}, "wayland-1", Backend::X11, false, {"/p", "123"}, false},
        {{"--backend=x11", "/s"}, "wayland-1", Backend::X11, false, {"/s"}, false},
        {{"/s", "--backend=wayland"}, nullptr, Backend::Wayland, false, {"/s"}, false},
        {{"--backend=wayland", "/c"}, nullptr, Backend::X11, false, {"/c"}, false},
        {{"--wayland-background"}, nullptr, Backend::Wayland, true, {}, false},
        {{"--backend=wayland", "/p", "123"}, nullptr, Backend::Wayland, false, {"/p", "123"}, true},
        {{"--backend=mir", "/s"}, "wayland-1", Backend::X11, false, {}, true},
        {{"--wayland-background", "--backend=x11"}, nullptr, Backend::Wayland, true, {}, true},
        {{"--wayland-background", "/s"}, nullptr, Backend::Wayland, true, {"/s"}, true},
        {{"--daemonize", "/s"}, "wayland-1", Backend::Wayland, false, {"/s"}, false, true},
        {{"/s", "--daemonize", "--backend=x11"}, "wayland-1", Backend::X11, false, {"/s"}, false, true},
        {{"--daemonize", "/c"}, nullptr, Backend::X11, false, {}, true},
        {{"--daemonize", "--wayland-background"}, nullptr, Backend::Wayland, true, {}, true},
    };
    for (const Case& c : cases) {
        const BackendChoice choice = ChooseBackend(c.args, c.wayland_display);
        const std::string line = JoinArguments(c.args);
        EXPECT_EQ(!choice.error.empty(), c.refused) << line << ": " << choice.error;
        if (c.refused) continue;
        EXPECT_EQ(choice.backend, c.backend) << line;
        EXPECT_EQ(choice.background, c.background) << line;
        EXPECT_EQ(choice.daemonize, c.daemonize) << line;
        EXPECT_EQ(choice.args, c.left) << line;
    }
}

TEST(ProgramHelp, HelpAndManualPageNameEveryOptionWithTheTablesRanges) {
    const std::string help = HelpText();
    const std::string manual = ManualPage("2026-12-07");
    const auto roff = [](std::string_view text) {
        std::string out;
        for (char c : text) out += c == '-' ? std::string("\\-") : std::string(1, c);
        return out;
    };
    for (const HackOption& option : kHackOptions) {
        EXPECT_NE(help.find(std::string(option.name) + (option.takes_value ? " " + std::string(option.value) : "")),
                  std::string::npos)
            << option.name;
        EXPECT_NE(manual.find(".TP\n\\fB" + roff(option.name) + "\\fR"), std::string::npos) << option.name;
    }
    for (const ProgramCommand& command : kProgramCommands) {
        EXPECT_NE(help.find(command.usage), std::string::npos) << command.usage;
        EXPECT_NE(manual.find(".B " + roff(command.usage) + "\n"), std::string::npos) << command.usage;
    }
    for (const SettingOption& o : {kCatNumOption, kSaverSpeedOption}) {
        const std::string range = std::to_string(o.min) + " to " + std::to_string(o.max) + ", default " +
                                  std::to_string(o.fallback);
        EXPECT_NE(help.find(range), std::string::npos) << range;
        EXPECT_NE(manual.find(range), std::string::npos) << range;
    }
    // The page's header carries the date and the version; no line of it may
    // open with a dot that is no request, or a quote.
    EXPECT_EQ(manual.find(".TH NYAMO 6 \"2026-12-07\" \"Nyamo " + VersionText().substr(6) + "\""), manual.find(".TH"));
    std::istringstream lines(manual);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_NE(line.rfind('\'', 0), 0u) << line;
        if (line.rfind('.', 0) == 0) {
            const std::string request = line.substr(0, line.find(' '));
            EXPECT_TRUE(request == ".\\\"" || request == ".TH" || request == ".SH" || request == ".TP" ||
                        request == ".PP" || request == ".B" || request == ".I" || request == ".BR" || request == ".br")
                << line;
        }
    }
}

// Resource files written to disk and read by Xlib's resource manager, as
// xscreensaver's programs read them.
class XscreensaverPrefs : public ::testing::Test {
protected:
    void SetUp() override {
        XrmInitialize();
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        for (XrmDatabase database : databases_) XrmDestroyDatabase(database);
        std::filesystem::remove_all(folder_);
    }
    // The file's database, or null when there is no such file.
    XrmDatabase Read(const std::string& name, const std::optional<std::string>& text) {
        const std::string path = folder_ + "/" + name;
        std::filesystem::remove(path);
        if (text) std::ofstream(path, std::ios::binary) << *text;
        XrmDatabase database = XrmGetFileDatabase(path.c_str());
        if (database != nullptr) databases_.push_back(database);
        return database;
    }
    bool Allowed(const std::optional<std::string>& app_defaults, const std::optional<std::string>& dot_file) {
        return GrabDesktopImages(Read("XScreenSaver", app_defaults), Read(".xscreensaver", dot_file));
    }

    std::string folder_ = ::testing::TempDir() + "nyamo-prefs";
    std::vector<XrmDatabase> databases_;
};

TEST_F(XscreensaverPrefs, TheAppDefaultsAsResourcesOfXscreensaver) {
    // Debian's file writes it as a wildcard; a binding to the name or the
    // class counts too, and the last of two equal bindings wins.
    EXPECT_TRUE(Allowed("*grabDesktopImages:\tTrue\n", std::nullopt));
    EXPECT_FALSE(Allowed("*grabDesktopImages:\tFalse\n", std::nullopt));
    EXPECT_TRUE(Allowed("xscreensaver.grabDesktopImages: on\n", std::nullopt));
    EXPECT_TRUE(Allowed("XScreenSaver.grabDesktopImages: Yes\n", std::nullopt));
    EXPECT_FALSE(Allowed("*grabDesktopImages: True\n*grabDesktopImages: False\n", std::nullopt));
    // The more specific binding wins whatever the order.
    EXPECT_TRUE(Allowed("xscreensaver.grabDesktopImages: True\n*grabDesktopImages: False\n", std::nullopt));
    // Another program's setting, a comment, a line continued over two and
    // a different resource of the same last name are not it.
    EXPECT_FALSE(Allowed("xscreensaver-settings.grabDesktopImages: True\n", std::nullopt));
    EXPECT_FALSE(Allowed("! *grabDesktopImages: True\n", std::nullopt));
    EXPECT_FALSE(Allowed("*programs: nyamo --root \\\n*grabDesktopImages: True\n", std::nullopt));
    EXPECT_FALSE(Allowed("*grabDesktopImagesNow: True\n", std::nullopt));
}

TEST_F(XscreensaverPrefs, TheUsersFileOverridesAndOnlyTheKnownWordsAllow) {
    EXPECT_FALSE(Allowed(std::nullopt, std::nullopt));  // nobody allowed it
    EXPECT_FALSE(Allowed("mode: one\n", "timeout: 0:10:00\n"));
    EXPECT_TRUE(Allowed("*grabDesktopImages: True\n", "mode:\t\tone\n"));
    EXPECT_FALSE(Allowed("*grabDesktopImages: True\n", "grabDesktopImages:\tFalse\n"));
    EXPECT_TRUE(Allowed("*grabDesktopImages: False\n", "grabDesktopImages:\tTrue\r\n"));
    // xscreensaver's words in any case; a number or a stray word is no,
    // and still overrides the app-defaults.
    for (const char* yes : {"True", "true", "YES", "on", "  On  "})
        EXPECT_TRUE(Allowed(std::nullopt, std::string("grabDesktopImages: ") + yes + "\n")) << yes;
    for (const char* no : {"1", "junk", "", "False", "off"})
        EXPECT_FALSE(Allowed("*grabDesktopImages: True\n", std::string("grabDesktopImages: ") + no + "\n")) << no;
    // A damaged file (no colon, binary) is read as far as it goes.
    EXPECT_TRUE(Allowed(std::nullopt, std::string("garbage\n\x01\xff\ngrabDesktopImages: True\n")));
}

// --- xscreensaver's list ------------------------------------------------------

// A list as xscreensaver-settings writes it: entries with a visual, a name,
// disabled ones, and the settings after it.
constexpr std::string_view kWrittenBySettings =
    "# XScreenSaver Preferences File\n"
    "mode:\t\tone\n"
    "selected:\t2\n"
    "programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
    "  \"Cat \\\"walk\\\"\"\tattraction --root\t\t\t    \\n\\\n"
    "\t\t\t\tgreynetic --root\t\t\t    \\n\n"
    "\n"
    "pointerHysteresis:\t10\n";

// Whether BEFORE is AFTER with INSERTED taken out at one place or two: every
// byte kept, in its order.
bool OnlyInserted(std::string_view before, std::string_view after) {
    std::size_t i = 0;
    for (char c : after)
        if (i < before.size() && before[i] == c) ++i;
    return i == before.size();
}

std::vector<std::string> LinesOf(std::string_view text) {
    std::vector<std::string> lines;
    std::istringstream in{std::string(text)};
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(XscreensaverList, TheEntryGoesLastAndEveryOtherLineStays) {
    const ListEdit edit = AddToPrograms(kWrittenBySettings, "nyamo", "nyamo --root", {});
    ASSERT_EQ(edit.outcome, ListOutcome::Added);
    EXPECT_EQ(edit.position, 5u);
    EXPECT_TRUE(OnlyInserted(kWrittenBySettings, edit.text));
    const auto before = LinesOf(kWrittenBySettings);
    const auto after = LinesOf(edit.text);
    ASSERT_EQ(after.size(), before.size() + 1);
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (i == 7) continue;  // the list's last line, which gains the backslash that joins the entry
        EXPECT_EQ(after[i < 7 ? i : i + 1], before[i]) << i;
    }
    EXPECT_EQ(after[6], before[6]);
    EXPECT_EQ(after[7], before[7] + "\\");
    EXPECT_EQ(after[8], "\t\t\t\tnyamo --root\t\t\t\t    \\n");

    // The second time nothing changes, and the entry is found where it is.
    const ListEdit again = AddToPrograms(edit.text, "nyamo", "nyamo --root", {});
    EXPECT_EQ(again.outcome, ListOutcome::AlreadyListed);
    EXPECT_EQ(again.text, edit.text);
    EXPECT_EQ(again.position, 5u);
}

TEST(XscreensaverList, AnEntryOfTheSameProgramInAnyFormCounts) {
    for (const char* entry : {"nyamo --root", "-  nyamo -root --count 3", "- GL: nyamo --root",
                              "\"Kittens\" /opt/ny/../nyamo --root", "default: \"a b\"  /usr/local/bin/nyamo"}) {
        const std::string file = std::string("programs: maze --root \\n\\\n  ") + entry + " \\n\\\n  swirl --root\n";
        const ListEdit edit = AddToPrograms(file, "nyamo", "nyamo --root", {});
        EXPECT_EQ(edit.outcome, ListOutcome::AlreadyListed) << entry;
        EXPECT_EQ(edit.position, 2u) << entry;
        EXPECT_EQ(edit.text, file);
    }
    // Programs whose names only start or end like it are others.
    for (const char* entry : {"nyamo2 --root", "xnyamo --root", "\"nyamo\" maze --root"}) {
        const std::string file = std::string("programs: ") + entry + " \\n\n";
        EXPECT_EQ(AddToPrograms(file, "nyamo", "nyamo --root", {}).outcome, ListOutcome::Added) << entry;
    }
}

TEST(XscreensaverList, ListsWrittenByHand) {
    const auto add = [](std::string_view file) { return AddToPrograms(file, "nyamo", "/opt/nyamo --root", {}); };
    // One line, its last entry without "\n", no newline at the end of the file.
    ListEdit edit = add("programs: maze --root");
    EXPECT_EQ(edit.text, "programs: maze --root \\n\\\n\t\t\t\t/opt/nyamo --root\t\t\t\t    \\n\n");
    EXPECT_EQ(edit.position, 2u);
    // An empty list; a list in a file with Windows line ends keeps them.
    EXPECT_EQ(add("lock: False\nprograms:\t\nfade: True\n").text,
              "lock: False\nprograms:\t\\\n\t\t\t\t/opt/nyamo --root\t\t\t\t    \\n\nfade: True\n");
    EXPECT_EQ(add("programs: maze --root \\n\r\nlock: False\r\n").text,
              "programs: maze --root \\n\\\r\n\t\t\t\t/opt/nyamo --root\t\t\t\t    \\n\r\nlock: False\r\n");
    // Comments and continued values that only mention the resource are no
    // list; of two lists the last counts, as for the daemon.
    const std::string tricky =
        "! programs: old \\n\n# programs: older\ntext: a \\\nprograms: not a list\nprograms: maze\n"
        "*programs: swirl \\n\n";
    edit = add(tricky);
    EXPECT_TRUE(OnlyInserted(tricky, edit.text));
    EXPECT_EQ(edit.text.substr(0, tricky.size() - 1), tricky.substr(0, tricky.size() - 1));
    EXPECT_EQ(edit.text.substr(tricky.size() - 1), "\\\n\t\t\t\t/opt/nyamo --root\t\t\t\t    \\n\n");
}

TEST(XscreensaverList, AFileWithoutAListTakesTheDefaultsList) {
    const std::string defaults =
        "#error Do not run app-defaults files through xrdb!\n"
        "*timeout:\t\t0:10:00\n"
        "*programs:\t\t\t\t\\\n\t\t\t\tmaze --root\t\\n\\\n- GL: \t\tsproingies --root\t\\n\n"
        "*Dialog.headingFont:\tsans-serif bold 16\n"
        "XScreenSaver.bourneShell:\t/bin/sh\n"
        "*manualCommand: xdg-open man:%s || \\\n\t\t    man \"%s\"\n";
    const std::string file = "timeout: 0:20:00\nlock: True";
    const ListEdit edit = AddToPrograms(file, "nyamo", "nyamo --root", defaults);
    EXPECT_EQ(edit.outcome, ListOutcome::Added);
    EXPECT_EQ(edit.position, 3u);
    EXPECT_EQ(edit.text, file +
                             "\n\nprograms:\t\t\t\t\\\n\t\t\t\tmaze --root\t\\n\\\n- GL: \t\tsproingies --root\t\\n\\\n"
                             "\t\t\t\tnyamo --root\t\t\t\t    \\n\n");
    // Defaults that list it already: the daemon runs it as things are.
    const ListEdit listed = AddToPrograms(file, "nyamo", "nyamo --root", "*programs: nyamo --root \\n\n");
    EXPECT_EQ(listed.outcome, ListOutcome::AlreadyListed);
    EXPECT_EQ(listed.text, file);

    // The file made when there is none: the daemon's settings without the
    // star, continuation lines and all; no dialog resources, no directives.
    const std::string made = PreferencesFromAppDefaults(defaults, "/etc/X11/app-defaults/XScreenSaver");
    EXPECT_EQ(made.substr(0, made.find("\n\n") + 2),
              "# XScreenSaver Preferences File\n# Made by nyamo --add-to-xscreensaver from "
              "/etc/X11/app-defaults/XScreenSaver,\n# as xscreensaver-settings makes it.\n\n");
    EXPECT_EQ(made.substr(made.find("\n\n") + 2),
              "timeout:\t\t0:10:00\n"
              "programs:\t\t\t\t\\\n\t\t\t\tmaze --root\t\\n\\\n- GL: \t\tsproingies --root\t\\n\n"
              "manualCommand: xdg-open man:%s || \\\n\t\t    man \"%s\"\n");
}

class AddToXscreensaverFiles : public ::testing::Test {
protected:
    void SetUp() override {
        // ctest runs the cases side by side: a folder for each.
        home_ = ::testing::TempDir() + "nyamo-add-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(home_);
        std::filesystem::create_directories(home_);
        defaults_ = home_ + "/XScreenSaver";
        Write(defaults_, "*timeout:\t0:10:00\n*programs: maze --root \\n\n");
    }
    void TearDown() override { std::filesystem::remove_all(home_); }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    int Add(const std::string& home, const std::string& program = "/usr/libexec/xscreensaver/nyamo") {
        out_.str("");
        err_.str("");
        return AddToXscreensaver(home, program, {home_ + "/absent", defaults_}, out_, err_);
    }
    std::string home_;
    std::string defaults_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(AddToXscreensaverFiles, MadeFromTheDefaultsThenLeftAlone) {
    ASSERT_EQ(Add(home_), 0) << err_.str();
    const std::string made = Read(home_ + "/.xscreensaver");
    EXPECT_NE(made.find("from " + defaults_), std::string::npos);
    EXPECT_NE(made.find("\ntimeout:\t0:10:00\nprograms: maze --root \\n\\\n\t\t\t\tnyamo --root\t"), std::string::npos)
        << made;
    EXPECT_NE(out_.str().find("entry 2"), std::string::npos) << out_.str();
    ASSERT_EQ(Add(home_), 0);
    EXPECT_EQ(Read(home_ + "/.xscreensaver"), made);
    EXPECT_NE(out_.str().find("already entry 2"), std::string::npos) << out_.str();
}

TEST_F(AddToXscreensaverFiles, TheFilesPermissionsAndLinkStay) {
    // A program outside xscreensaver's folder is listed by its whole path.
    const std::string dotfiles = home_ + "/dotfiles";
    std::filesystem::create_directories(dotfiles);
    Write(dotfiles + "/xscreensaver", "programs: maze --root \\n\n");
    chmod((dotfiles + "/xscreensaver").c_str(), 0600);
    std::filesystem::create_symlink("dotfiles/xscreensaver", home_ + "/.xscreensaver");
    ASSERT_EQ(Add(home_, "/opt/nyamo-0.7/nyamo"), 0) << err_.str();
    EXPECT_TRUE(std::filesystem::is_symlink(home_ + "/.xscreensaver"));
    EXPECT_EQ(Read(dotfiles + "/xscreensaver"),
              "programs: maze --root \\n\\\n\t\t\t\t/opt/nyamo-0.7/nyamo --root\t\t\t\t    \\n\n");
    struct stat info {};
    ASSERT_EQ(stat((dotfiles + "/xscreensaver").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dotfiles), {}), 1);
    // A link to a file not made yet: the file is made where it points.
    const std::string other = home_ + "/other";
    std::filesystem::create_directories(other);
    std::filesystem::create_symlink("../dotfiles/new", other + "/.xscreensaver");
    ASSERT_EQ(Add(other), 0) << err_.str();
    EXPECT_TRUE(std::filesystem::is_symlink(other + "/.xscreensaver"));
    EXPECT_NE(Read(dotfiles + "/new").find("nyamo --root"), std::string::npos);
}

TEST_F(AddToXscreensaverFiles, WhatCannotBeDoneChangesNothing) {
    const std::string file = home_ + "/.xscreensaver";
    Write(file, "programs: maze --root \\n\n");
    // A path the daemon's shell would split.
    EXPECT_EQ(Add(home_, "/opt/my programs/nyamo"), 2);
    EXPECT_NE(err_.str().find("blanks or shell characters"), std::string::npos) << err_.str();
    EXPECT_EQ(Read(file), "programs: maze --root \\n\n");
    // No home, or a home that is no folder.
    EXPECT_EQ(Add(""), 1);
    EXPECT_EQ(Add(file), 1);
    EXPECT_NE(err_.str().find("cannot"), std::string::npos) << err_.str();
    EXPECT_EQ(Read(file), "programs: maze --root \\n\n");
    // A ~/.xscreensaver that is a folder cannot be read.
    const std::string other = home_ + "/other";
    std::filesystem::create_directories(other + "/.xscreensaver");
    EXPECT_EQ(Add(other), 1);
    EXPECT_TRUE(std::filesystem::is_directory(other + "/.xscreensaver"));
}

TEST(FrameRateText, FramesOverAboutASecond) {
    FrameRate rate;
    const FrameRate::Clock::time_point start{};
    EXPECT_FALSE(rate.Tick(start).has_value());
    std::optional<std::string> text;
    // 25 frames 40 ms apart: the text comes with the frame a second on.
    for (int frame = 1; frame <= 25; ++frame) {
        text = rate.Tick(start + std::chrono::milliseconds(40 * frame));
        if (frame < 25) {
            EXPECT_FALSE(text.has_value()) << frame;
        }
    }
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "FPS: 25.0");
    // The next reading counts from there: 4 frames in the next second.
    for (int frame = 1; frame <= 4; ++frame) {
        text = rate.Tick(start + std::chrono::milliseconds(1000 + 250 * frame));
        if (frame < 4) {
            EXPECT_FALSE(text.has_value()) << frame;
        }
    }
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "FPS: 4.0");
}

}  // namespace
}  // namespace nyamo::x11
