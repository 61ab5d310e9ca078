#include "settings/profile_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_folder.h"

namespace nyamo {
namespace {

using testing::TestFolder;

constexpr std::string_view kSection = "Nyamo Saver";

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
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=1\nCatNum=2\n", "CatNum"), 1);
    EXPECT_EQ(Read("[Nyamo Saver]\nSaverType=2\n[Nyamo Saver]\nCatNum=9\n", "CatNum"), -99);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=4\n[Nyamo Saver]\nCatNum=9\n", "CatNum"), 4);
}

TEST_F(ProfileFile, ValuesBeyondThirtyTwoBitsSaturate) {
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=99999999999999999999\n", "CatNum"), 2147483647);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=-99999999999999999999\n", "CatNum"), -2147483647 - 1);
    EXPECT_EQ(Read("[Nyamo Saver]\nCatNum=2147483648\n", "CatNum"), 2147483647);
}

TEST_F(ProfileFile, GarbageAndHugeLinesAreReadWithoutHarm) {
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) % 256);
    EXPECT_EQ(Read(garbage, "CatNum"), -99);
    EXPECT_EQ(Read(garbage + "\n[Nyamo Saver]\nCatNum=7\n", "CatNum"), 7);
    const std::string long_line(10 * 1024 * 1024, 'x');
    EXPECT_EQ(Read("[Nyamo Saver]\n" + long_line + "\nCatNum=8\n", "CatNum"), 8);
    EXPECT_EQ(Read(std::string("[Nyamo Saver]\nCatNum=1\0\n", 24), "CatNum"), 1);
}

TEST(ProfileText, AValueIsReplacedInPlaceKeepingEveryOtherByte) {
    const std::string before = "; my notes\r\n[Other]\r\nCatNum=1\r\n\r\n[Nyamo Saver]\r\ncatnum = 3\r\nSaverSpeed=2\r\n";
    EXPECT_EQ(SetProfileValue(before, "Nyamo Saver", "CatNum", "30"),
              "; my notes\r\n[Other]\r\nCatNum=1\r\n\r\n[Nyamo Saver]\r\ncatnum=30\r\nSaverSpeed=2\r\n");
}

TEST(ProfileText, MissingKeysAreAppendedAtTheEndOfTheirSectionInOrder) {
    std::string text = "[Nyamo Saver]\nSaverType=2\n\n[Later]\nx=1\n";
    for (auto [key, value] : {std::pair{"CatNum", "30"}, {"SaverType", "1"}, {"SaverSpeed", "7"}})
        text = SetProfileValue(text, "Nyamo Saver", key, value);
    EXPECT_EQ(text, "[Nyamo Saver]\nSaverType=1\nCatNum=30\nSaverSpeed=7\n\n[Later]\nx=1\n");
}

TEST(ProfileText, ALoneCarriageReturnAtTheEndStaysInItsLine) {
    const std::string text = SetProfileValue("[S]\r\nA=1\r", "S", "K", "5");
    EXPECT_EQ(text, "[S]\r\nA=1\r\r\nK=5\r\n");
    TestFolder folder;
    folder.Write("a.ini", text);
    EXPECT_EQ(ReadProfileInt("S", "K", -1, folder.file("a.ini")), 5);
    EXPECT_EQ(ReadProfileInt("S", "A", -1, folder.file("a.ini")), 1);
    EXPECT_EQ(SetProfileValue("[A]\r\nb=1\r", "S", "K", "5"), "[A]\r\nb=1\r\r\n[S]\r\nK=5\r\n");
}

TEST(ProfileText, AMissingSectionIsAddedAtTheEnd) {
    EXPECT_EQ(SetProfileValue("", "Nyamo Saver", "CatNum", "30"), "[Nyamo Saver]\r\nCatNum=30\r\n");
    EXPECT_EQ(SetProfileValue("[A]\nb=1", "Nyamo Saver", "CatNum", "30"), "[A]\nb=1\n[Nyamo Saver]\nCatNum=30\n");
    EXPECT_EQ(SetProfileValue("[Nyamo Saver]", "Nyamo Saver", "CatNum", "3", "\n"), "[Nyamo Saver]\nCatNum=3\n");
    EXPECT_EQ(SetProfileValue("\xEF\xBB\xBF[Nyamo Saver]\r\n", "Nyamo Saver", "CatNum", "3"),
              "\xEF\xBB\xBF[Nyamo Saver]\r\nCatNum=3\r\n");
}

TEST(ProfileWrite, ReplacesTheFileWholeAndReportsSuccess) {
    TestFolder folder;
    const std::string path = folder.file("Nyamo_07.ini");
    ASSERT_TRUE(WriteProfileString("Nyamo Saver", "CatNum", "30", path));
    ASSERT_TRUE(WriteProfileString("Nyamo Saver", "SaverType", "2", path));
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
    ASSERT_TRUE(WriteProfileString("Nyamo Saver", "CatNum", "30", folder.file("private.ini")));
    EXPECT_EQ(fs::status(folder.path() / "private.ini").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // A settings file that is a link to one kept elsewhere: the target is
    // updated and the link stays a link; a link to a file not made yet makes it.
    fs::create_directory(folder.path() / "elsewhere");
    folder.Write("elsewhere/real.ini", "[Other]\nx=1\n");
    fs::create_symlink("elsewhere/real.ini", folder.path() / "link.ini");
    ASSERT_TRUE(WriteProfileString("Nyamo Saver", "CatNum", "7", folder.file("link.ini")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder.path() / "link.ini")));
    EXPECT_EQ(folder.Read("elsewhere/real.ini"), "[Other]\nx=1\n[Nyamo Saver]\nCatNum=7\n");
    fs::create_symlink("elsewhere/new.ini", folder.path() / "dangling.ini");
    ASSERT_TRUE(WriteProfileString("Nyamo Saver", "CatNum", "8", folder.file("dangling.ini")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder.path() / "dangling.ini")));
    EXPECT_EQ(ReadProfileInt("Nyamo Saver", "CatNum", 1, folder.file("elsewhere/new.ini")), 8);
}

TEST(ProfileWrite, FailureLeavesTheOldFileAndSaysSo) {
    TestFolder folder;
    EXPECT_FALSE(WriteProfileString("Nyamo Saver", "CatNum", "30", folder.file("no-such-folder/a.ini")));
    // A folder where the file should be cannot be replaced.
    std::filesystem::create_directory(folder.path() / "dir.ini");
    EXPECT_FALSE(WriteProfileString("Nyamo Saver", "CatNum", "30", folder.file("dir.ini")));
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "dir.ini"));
}

}  // namespace
}  // namespace nyamo
