#include "settings/profile_file.h"
#include "settings/profile_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <vector>

#include "tests/test_folder.h"

namespace nyamo {
namespace {

using testing::TestFolder;

constexpr std::string_view kSection = "Nyamo Saver";

bool NoFlush(const std::string&) { return true; }

bool Write(std::string_view section, std::string_view key, std::string_view value, const std::string& path) {
    return WriteProfileString(section, key, value, path, "\r\n", NoFlush);
}

class ProfileFile : public ::testing::Test {
protected:
    std::int32_t Read(const std::string& text, std::string_view key, std::int32_t fallback = -99) {
        folder.Write("a.ini", text);
        return ReadProfileInt(kSection, key, fallback, folder.file("a.ini"));
    }
    TestFolder folder;
};

TEST_F(ProfileFile, ReadsTheNumberAValueBeginsWith) {
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=30\n", "CatNum"), 30);
    EXPECT_EQ(Read("[Nyamo Saver]\r\nCatNum=30\r\n", "CatNum"), 30);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=12abc\n", "CatNum"), 12);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=-7\n", "CatNum"), -7);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=+8\n", "CatNum"), 8);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=abc\n", "CatNum"), 0);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=\n", "CatNum"), -99);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum\n", "CatNum"), -99);
}

TEST_F(ProfileFile, NamesMatchWithoutCaseAndBlanksAroundTheirPartsAreIgnored) {
    EXPECT_EQ(Read("[nyamo saver]\ncatnum=3\n", "CatNum"), 3);
    EXPECT_EQ(Read("  [ NYAMO SAVER ]  \n  CATNUM  =  4  \n", "CatNum"), 4);
    EXPECT_EQ(Read("\xEF\xBB\xBF[Nyamo Saver]\nCatNum=5\n", "CatNum"), 5);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=6", "CatNum"), 6);  // no final line break
}

TEST_F(ProfileFile, AbsentFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(ReadProfileInt(kSection, "CatNum", 20, folder.file("missing.ini")), 20);
    EXPECT_FALSE(folder.Exists("missing.ini"));
    EXPECT_EQ(Read("", "CatNum"), -99);
    EXPECT_EQ(Read("[Other]\nCatNum=3\n", "CatNum"), -99);
    EXPECT_EQ(Read("CatNum=3\n[Nyamo Saver]\n", "CatNum"), -99);  // a key before any section
    EXPECT_EQ(Read("[Nyamo Saver]\nSaverType=2\n", "CatNum"), -99);
    EXPECT_EQ(Read("[Nyamo Saver]\n;CatNum=3\n", "CatNum"), -99);
}

TEST_F(ProfileFile, FirstOfDuplicateSectionsAndKeysWins) {
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum\nCatNum=5\n", "CatNum"), -99);  // the first has no value
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=\nCatNum=5\n", "CatNum"), -99);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=1\nCatNum=2\n", "CatNum"), 1);
    EXPECT_EQ(Read("[Nyamo Saver]\nSaverType=2\n[Nyamo Saver]\nCatNum=9\n", "CatNum"), -99);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=4\n[Nyamo Saver]\nCatNum=9\n", "CatNum"), 4);
}

TEST_F(ProfileFile, NumbersAreReadAsTheSystemReadsThem) {
    // Bases chosen by a lower-case prefix; the digits wrap modulo 2^32.
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=0x10\n", "CatNum"), 16);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=0X10\n", "CatNum"), 0);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=0o17\n", "CatNum"), 15);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=0b101\n", "CatNum"), 5);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=010\n", "CatNum"), 10);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=-0x3\n", "CatNum"), -3);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=0x\n", "CatNum"), 0);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=4294967298\n", "CatNum"), 2);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=2147483648\n", "CatNum"), -2147483647 - 1);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=-2147483649\n", "CatNum"), 2147483647);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=0xFFFFFFFE\n", "CatNum"), -2);
    // Signs: one, directly before the digits.
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=- 3\n", "CatNum"), 0);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=--7\n", "CatNum"), 0);
    // Control characters before the number are skipped, other characters stop it.
    EXPECT_EQ(Read(std::string("[Nyamo Saver]\nCatNum=\x01\x02") + "12\n", "CatNum"), 12);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=\xA0" "12\n", "CatNum"), 0);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=7.9\n", "CatNum"), 7);
}

TEST_F(ProfileFile, OnePairOfQuotesIsTakenOffAndOnlyTwentyNineCharactersCount) {
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=\"7\"\n", "CatNum"), 7);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum='7'\n", "CatNum"), 7);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=\" 7\"\n", "CatNum"), 7);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=\"7\n", "CatNum"), 0);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=\"7'\n", "CatNum"), 0);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=\"\"\n", "CatNum"), -99);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=\"\n", "CatNum"), 0);
    // 29 characters are read; a closing quote inside them takes the last with it.
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=" + std::string(28, '0') + "12\n", "CatNum"), 1);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=" + std::string(27, '0') + "12\n", "CatNum"), 12);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=\"" + std::string(27, '0') + "12\"\n", "CatNum"), 1);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=0b" + std::string(40, '1') + "\n", "CatNum"), 134217727);
}

TEST_F(ProfileFile, LinesEndAtAnyRunOfCarriageReturnsAndLineFeeds) {
    EXPECT_EQ(Read("[Nyamo Saver]\rCatNum=33\r", "CatNum"), 33);
    EXPECT_EQ(Read("[Nyamo Saver]\rSaverType=2\n\r\nCatNum=9", "CatNum"), 9);
    EXPECT_EQ(Read("[Nyamo Saver]\r\r\nCatNum=4\r\r\n", "CatNum"), 4);
}

TEST_F(ProfileFile, SectionHeadersRunToTheirLastBracket) {
    EXPECT_EQ(Read("[Nyamo Saver]x\nCatNum=3\n", "CatNum"), 3);
    EXPECT_EQ(Read("[Nyamo Saver]]\nCatNum=3\n", "CatNum"), -99);
    // Without a closing bracket the line is an ordinary one of the section before.
    EXPECT_EQ(Read("[Nyamo Saver]\n[Other\nCatNum=3\n", "CatNum"), 3);
    EXPECT_EQ(Read("[Nyamo  Saver]\nCatNum=3\n", "CatNum"), -99);
    EXPECT_EQ(Read("[]\nCatNum=3\n", "CatNum"), -99);
}

TEST_F(ProfileFile, ANulEndsANameOrAValue) {
    EXPECT_EQ(Read(std::string("[Nyamo Saver]\nCatNum\0x=4\n", 25), "CatNum"), 4);
    EXPECT_EQ(Read(std::string("[Nyamo Saver]\nCatNum=2\0" "5\n", 25), "CatNum"), 2);
    EXPECT_EQ(Read(std::string("[Nyamo Saver]\nCatNum=\0" "9\n", 24), "CatNum"), -99);
    EXPECT_EQ(Read(std::string("[Nyamo Saver \0]\nCatNum=3\n", 26), "CatNum"), -99);
}

std::string Utf16(std::u16string_view text, bool little) {
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t u : text) {
        const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        bytes += little ? lo : hi;
        bytes += little ? hi : lo;
    }
    return bytes;
}

TEST_F(ProfileFile, AByteOrderMarkChoosesTheEncoding) {
    EXPECT_EQ(Read(Utf16(u"[Nyamo Saver]\r\nCatNum=44\r\n", true), "CatNum"), 44);
    EXPECT_EQ(Read(Utf16(u"[Nyamo Saver]\r\nCatNum=44\r\n", false), "CatNum"), 44);
    EXPECT_EQ(Read(Utf16(u"[Nyamo Saver]\r\nCatNum=44\r\n", true) + "x", "CatNum"), 44);  // odd length
    EXPECT_EQ(Read(Utf16(u"[Nyamo Saver]\r\nCatNum=\u00A012\r\n", true), "CatNum"), 0);
    // UTF-16 without a mark is single-byte text with NULs in it: nothing matches.
    EXPECT_EQ(Read(Utf16(u"[Nyamo Saver]\r\nCatNum=44\r\n", true).substr(2), "CatNum"), -99);
    EXPECT_EQ(Read("\xEF\xBB\xBF\xEF\xBB\xBF[Nyamo Saver]\nCatNum=5\n", "CatNum"), -99);  // a second mark is text
    // Blanks are ASCII only: an ideographic space before a name is part of it.
    EXPECT_EQ(Read("[Nyamo Saver]\n\xE3\x80\x80" "CatNum=5\n", "CatNum"), -99);
}

TEST(ProfileText, TheValueTextIsWhatLiesBetweenTheBlanks) {
    EXPECT_EQ(ProfileValueText("[S]\nK = \"a b\" \n", "S", "K"), "\"a b\"");
    EXPECT_EQ(ProfileValueText("[S]\nK\n", "S", "K"), std::nullopt);
    EXPECT_EQ(ProfileValueText(Utf16(u"[S]\r\nK=\u732B\r\n", true), "S", "K"), "\xE7\x8C\xAB");
}

TEST(ProfileText, AValueIsReplacedInPlaceKeepingEveryOtherByte) {
    const std::string before = "; my notes\r\n[Other]\r\nCatNum=1\r\n\r\n[Nyamo Saver]\r\ncatnum = 3 \r\nSaverSpeed=2\r\n";
    EXPECT_EQ(SetProfileValue(before, "Nyamo Saver", "CatNum", "30"),
              "; my notes\r\n[Other]\r\nCatNum=1\r\n\r\n[Nyamo Saver]\r\ncatnum = 30 \r\nSaverSpeed=2\r\n");
    EXPECT_EQ(SetProfileValue("[S]\nK\nL=1\n", "S", "K", "5"), "[S]\nK=5\nL=1\n");
    EXPECT_EQ(SetProfileValue("[S]\nK=\nL=1\n", "S", "K", "5"), "[S]\nK=5\nL=1\n");
}

TEST(ProfileText, MissingKeysAreAppendedAtTheEndOfTheirSectionInOrder) {
    std::string text = "[Nyamo Saver]\nSaverType=2\n\n[Later]\nx=1\n";
    for (auto [key, value] : {std::pair{"CatNum", "30"}, {"SaverType", "1"}, {"SaverSpeed", "7"}})
        text = *SetProfileValue(text, "Nyamo Saver", key, value);
    EXPECT_EQ(text, "[Nyamo Saver]\nSaverType=1\nCatNum=30\nSaverSpeed=7\n\n[Later]\nx=1\n");
    // Only the first of two sections of the name is read, so it is the one written.
    EXPECT_EQ(SetProfileValue("[S]\na=1\n[S]\nb=2\n", "S", "b", "3"), "[S]\na=1\nb=3\n[S]\nb=2\n");
}

TEST(ProfileText, TheFilesEncodingAndLineEndingsAreKept) {
    EXPECT_EQ(SetProfileValue("[S]\rA=1\r", "S", "K", "5"), "[S]\rA=1\rK=5\r");
    EXPECT_EQ(SetProfileValue("[S]\r\nA=1", "S", "K", "5"), "[S]\r\nA=1\r\nK=5");
    EXPECT_EQ(SetProfileValue("[A]\nb=1", "S", "K", "5"), "[A]\nb=1\n[S]\nK=5\n");
    EXPECT_EQ(SetProfileValue(Utf16(u"[S]\r\nA=1\r\n", true), "S", "K", "5"), Utf16(u"[S]\r\nA=1\r\nK=5\r\n", true));
    EXPECT_EQ(SetProfileValue(Utf16(u"[S]\nA=1", false), "S", "A", "22"), Utf16(u"[S]\nA=22", false));
    EXPECT_EQ(SetProfileValue(Utf16(u"[S]\r", true) + "x", "S", "K", "5"), Utf16(u"[S]\rK=5\r", true) + "x");
}

TEST(ProfileText, AMissingSectionIsAddedAtTheEnd) {
    EXPECT_EQ(SetProfileValue("", "Nyamo Saver", "CatNum", "30"), "[Nyamo Saver]\r\nCatNum=30\r\n");
    EXPECT_EQ(SetProfileValue("[Nyamo Saver]", "Nyamo Saver", "CatNum", "3", "\n"), "[Nyamo Saver]\nCatNum=3");
    EXPECT_EQ(SetProfileValue("\xEF\xBB\xBF[Nyamo Saver]\r\n", "Nyamo Saver", "CatNum", "3"),
              "\xEF\xBB\xBF[Nyamo Saver]\r\nCatNum=3\r\n");
    EXPECT_EQ(SetProfileValue("k=1\n", "S", "K", "5", "\r\n"), "k=1\n[S]\nK=5\n");
}

TEST(ProfileText, TextThatWouldNotReadBackIsRefused) {
    for (auto [section, key, value] : {std::tuple{"", "K", "1"}, {"S", "", "1"}, {"S", "K=", "1"}, {"S", "[K", "1"},
                                       {"S", "K", "1\n2"}, {"S", " K", "1"}, {"S", "K", "1 "}, {"S\r", "K", "1"},
                                       {"S", "K", "\xFF"}}) {
        SCOPED_TRACE(std::string(section) + "|" + key + "|" + value);
        EXPECT_EQ(SetProfileValue("[S]\nK=0\n", section, key, value), std::nullopt);
    }
    EXPECT_EQ(SetProfileValue("", "S", "K", std::string_view("1\0", 2)), std::nullopt);
}

TEST(ProfileWrite, ReplacesTheFileWholeAndReportsSuccess) {
    TestFolder folder;
    const std::string path = folder.file("Nyamo_07.ini");
    ASSERT_TRUE(Write("Nyamo Saver", "CatNum", "30", path));
    ASSERT_TRUE(Write("Nyamo Saver", "SaverType", "2", path));
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), "[Nyamo Saver]\r\nCatNum=30\r\nSaverType=2\r\n");
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator{}),
              1);
    EXPECT_EQ(ReadProfileInt("Nyamo Saver", "SaverType", 1, path), 2);
}

TEST(ProfileWrite, KeepsTheFilesPermissionsAndItsSymbolicLink) {
    namespace fs = std::filesystem;
    TestFolder folder;
    folder.Write("private.ini", "[Nyamo Saver]\nCatNum=3\n");
    fs::permissions(folder.path() / "private.ini", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(Write("Nyamo Saver", "CatNum", "30", folder.file("private.ini")));
    EXPECT_EQ(fs::status(folder.path() / "private.ini").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // A settings file that is a link to one kept elsewhere: the target is
    // updated and the link stays a link; a link to a file not made yet makes it.
    fs::create_directory(folder.path() / "elsewhere");
    folder.Write("elsewhere/real.ini", "[Other]\nx=1\n");
    fs::create_symlink("elsewhere/real.ini", folder.path() / "link.ini");
    ASSERT_TRUE(Write("Nyamo Saver", "CatNum", "7", folder.file("link.ini")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder.path() / "link.ini")));
    EXPECT_EQ(folder.Read("elsewhere/real.ini"), "[Other]\nx=1\n[Nyamo Saver]\nCatNum=7\n");
    fs::create_symlink("elsewhere/new.ini", folder.path() / "dangling.ini");
    ASSERT_TRUE(Write("Nyamo Saver", "CatNum", "8", folder.file("dangling.ini")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder.path() / "dangling.ini")));
    EXPECT_EQ(ReadProfileInt("Nyamo Saver", "CatNum", 1, folder.file("elsewhere/new.ini")), 8);
}

TEST(ProfileWrite, TheNewTextIsFlushedBeforeTheRenameAndTheFolderAfter) {
    TestFolder folder;
    const std::string path = folder.file("a.ini");
    folder.Write("a.ini", "[S]\nK=1\n");
    std::vector<std::pair<std::string, std::string>> flushed;  // path, its text at that moment
    auto record = [&](const std::string& p) {
        flushed.emplace_back(p, folder.Read(std::filesystem::path(p).filename().string()));
        return true;
    };
    ASSERT_TRUE(WriteProfileString("S", "K", "2", path, "\n", record));
    ASSERT_EQ(flushed.size(), 2u);
    EXPECT_NE(flushed[0].first, path);  // the temporary, already holding the new text
    EXPECT_EQ(flushed[0].second, "[S]\nK=2\n");
    EXPECT_EQ(flushed[1].first, path);
    EXPECT_EQ(flushed[1].second, "[S]\nK=2\n");

    // A failed flush of the temporary leaves the old file and nothing else.
    EXPECT_FALSE(WriteProfileString("S", "K", "3", path, "\n", [](const std::string&) { return false; }));
    EXPECT_EQ(folder.Read("a.ini"), "[S]\nK=2\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator{}),
              1);
}

TEST(ProfileWrite, FailureLeavesTheOldFileAndSaysSo) {
    TestFolder folder;
    EXPECT_FALSE(Write("Nyamo Saver", "CatNum", "30", folder.file("no-such-folder/a.ini")));
    // A folder where the file should be cannot be replaced.
    std::filesystem::create_directory(folder.path() / "dir.ini");
    EXPECT_FALSE(Write("Nyamo Saver", "CatNum", "30", folder.file("dir.ini")));
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "dir.ini"));
}

}  // namespace
}  // namespace nyamo
