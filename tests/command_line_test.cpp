#include "app/command_line.h"

#include <gtest/gtest.h>

#include "base/runtime_error.h"

namespace nyamo {
namespace {

struct Case {
    const char* line;
    const char* mode_switch;
    std::int32_t handle;
};

TEST(CommandLine, SwitchIsTwoCharactersAfterLeadingSpacesAndHandleStartsAtTheFourth) {
    const Case cases[] = {
        {"", "", 0},
        {"/s", "/s", 0},
        {"/S", "/S", 0},
        {"/c", "/c", 0},
        {"/c:1234", "/c", 1234},
        {"/Sxyz", "/S", 0},
        {" /s", "/s", 0},
        {"/p 1234", "/p", 1234},
        {"/p:1234", "/p", 1234},
        {"/p1234", "/p", 234},
        {" /p 1234", "/p", 1234},
        {"  /p 1234", "/p", 0},
        {"/p 12.5", "/p", 12},
        {"/p 13.5", "/p", 14},
        {"/p 1 2 3", "/p", 123},
        {"/p\t99", "/p", 99},
        {"/p -5", "/p", -5},
        {"/p 2147483647", "/p", 2147483647},
        {"/p 1e000000000009", "/p", 1000000000},
        {"/p 1e-99999999999999999999", "/p", 0},
        {"/p -2147483648", "/p", -2147483647 - 1},
        {"/a", "/a", 0},
        {"-s", "-s", 0},
        {"s", "s", 0},
        {"   ", "", 0},
        {"/", "/", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ParsedCommandLine parsed = ParseCommandLine(c.line);
        EXPECT_EQ(parsed.mode_switch, c.mode_switch);
        EXPECT_EQ(parsed.host_handle, c.handle);
    }
}

TEST(CommandLine, HandleBeyondThirtyTwoBitsIsAnOverflow) {
    for (const char* line : {"/p 2147483648", "/p -2147483649", "/s 99999999999", "/c:1e300", "/p 1e000000000010",
                             "/p 1e99999999999999999999999"}) {
        SCOPED_TRACE(line);
        try {
            ParseCommandLine(line);
            ADD_FAILURE() << "no error";
        } catch (const RunTimeError& e) {
            EXPECT_EQ(e.code(), ErrorCode::Overflow);
        }
    }
}

TEST(CommandLine, AnyBytesAndAnyLengthAreRead) {
    std::string binary = "/p ";
    for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
    const ParsedCommandLine parsed = ParseCommandLine(binary);
    EXPECT_EQ(parsed.mode_switch, "/p");
    EXPECT_EQ(parsed.host_handle, 0);  // byte 0 cannot begin a number

    const std::string long_line = "/s " + std::string(1 << 20, 'x');
    EXPECT_EQ(ParseCommandLine(long_line).mode_switch, "/s");
}

TEST(CommandLine, PositionsCountCharactersNotBytes) {
    // U+732B (cat, three bytes) and U+3000 (ideographic space, three bytes).
    EXPECT_EQ(ParseCommandLine("\xE7\x8C\xAB/s").mode_switch, "\xE7\x8C\xAB/");
    EXPECT_EQ(ParseCommandLine("/p\xE3\x80\x80" "1234").host_handle, 1234);
    EXPECT_EQ(ParseCommandLine("/p\xE3\x80\x80" "1234").mode_switch, "/p");
    EXPECT_EQ(ParseCommandLine("\xE3\x80\x80/p 1234").host_handle, 1234);  // read from the blank on
    EXPECT_EQ(ParseCommandLine("\xE3\x80\x80/p 1234").mode_switch, "\xE3\x80\x80/");
    EXPECT_EQ(ParseCommandLine("\xF0\x9F\x90\x88/p7").host_handle, 7);  // a four-byte character
    // A byte that is not UTF-8 is one character.
    EXPECT_EQ(ParseCommandLine("\xFF/p9").host_handle, 9);
    EXPECT_EQ(ParseCommandLine("/\xE7\x8C").mode_switch, "/\xE7");
}

}  // namespace
}  // namespace nyamo
