// The xscreensaver hack's command line: when the program is a hack, which
// window it draws into, and which command lines it refuses.
#include <gtest/gtest.h>

#include "platform/x11/x11_hack.h"

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
    for (const Args& args : {Args{}, Args{"/s"}, Args{"/p", "1234"}, Args{"/c"}, Args{"-s"}, Args{"/a"}})
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
    EXPECT_EQ(Request({"-root", "-desktop"}).saver_type, 1);
    // Out of range is kept here and forced into range with the file's values.
    EXPECT_EQ(Request({"-root", "-count", "70"}).count, 70);
    const HackRequest none = Request({"-root"});
    EXPECT_FALSE(none.count.has_value());
    EXPECT_FALSE(none.speed.has_value());
    EXPECT_FALSE(none.saver_type.has_value());
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
    EXPECT_TRUE(IsUsageError({}, "not-a-window"));
    // The message names the problem.
    const auto parsed = ParseHackRequest({"-root", "-bogus"}, nullptr);
    ASSERT_TRUE(std::holds_alternative<HackUsageError>(parsed));
    EXPECT_NE(std::get<HackUsageError>(parsed).message.find("-bogus"), std::string::npos);
}

}  // namespace
}  // namespace nyamo::x11
