// The xscreensaver hack's command line: when the program is a hack, which
// window it draws into, and which command lines it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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

TEST(XscreensaverPrefs, GrabDesktopImagesAsTheResourceFileSaysIt) {
    const auto read = [](const std::string& text) {
        std::istringstream in(text);
        return ReadGrabDesktopImages(in);
    };
    EXPECT_EQ(read("timeout:\t0:10:00\ngrabDesktopImages:\tTrue\n"), true);
    EXPECT_EQ(read("grabDesktopImages:  False\n"), false);
    EXPECT_EQ(read("*grabDesktopImages:\tFalse\n"), false);  // as the app-defaults file writes it
    EXPECT_EQ(read("XScreenSaver.grabDesktopImages: on\r\n"), true);
    EXPECT_EQ(read("grabDesktopImages: True\ngrabDesktopImages: False\n"), false);  // the last one wins
    EXPECT_EQ(read("! grabDesktopImages: True\ngrabVideoFrames: True\n"), std::nullopt);
    EXPECT_EQ(read("programs: \\\n  nyamo --root \\n\\\n"), std::nullopt);
}

TEST(XscreensaverPrefs, TheUsersFileFirstThenTheAppDefaultsThenNo) {
    const std::string folder = ::testing::TempDir() + "nyamo-prefs";
    std::filesystem::create_directories(folder + "/home");
    const std::string defaults = folder + "/XScreenSaver";
    const auto write = [](const std::string& path, const std::string& text) { std::ofstream(path) << text; };
    std::filesystem::remove(folder + "/home/.xscreensaver");
    std::filesystem::remove(defaults);
    EXPECT_FALSE(DesktopGrabbingAllowed(folder + "/home", defaults));
    write(defaults, "*grabDesktopImages:\tTrue\n");
    EXPECT_TRUE(DesktopGrabbingAllowed(folder + "/home", defaults));
    write(folder + "/home/.xscreensaver", "mode:\t\tone\n");
    EXPECT_TRUE(DesktopGrabbingAllowed(folder + "/home", defaults));
    write(folder + "/home/.xscreensaver", "grabDesktopImages:\tFalse\n");
    EXPECT_FALSE(DesktopGrabbingAllowed(folder + "/home", defaults));
    write(defaults, "*grabDesktopImages:\tFalse\n");
    write(folder + "/home/.xscreensaver", "grabDesktopImages:\tTrue\n");
    EXPECT_TRUE(DesktopGrabbingAllowed(folder + "/home", defaults));
    std::filesystem::remove_all(folder);
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
