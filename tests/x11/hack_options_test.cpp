// The xscreensaver hack's command line: when the program is a hack, which
// window it draws into, and which command lines it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/x11/frame_rate.h"
#include "platform/x11/x11_hack.h"
#include "platform/x11/xscreensaver_prefs.h"
#include "settings/options.h"

namespace nyamo::x11 {
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
