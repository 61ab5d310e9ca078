#include "settings/profile_read.h"
#include "settings/profile_text.h"
#include "platform/common/profile_save.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <tuple>
#include <vector>

#include "tests/test_folder.h"

namespace nyamo {
namespace {

using testing::TestFolder;

constexpr std::string_view kSection = "Nyamo Saver";

bool Write(std::string_view section, std::string_view key, std::string_view value, const std::string& path) {
    const ProfileEntry entry[] = {{key, value}};
    return SaveProfileStrings(section, entry, path, "\r\n");
}

// The names in the folder, so that a test sees what a save left behind.
std::set<std::string> Names(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
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

TEST(ProfileWrite, ReplacesTheFileWholeInOneSaveAndReportsSuccess) {
    TestFolder folder;
    const std::string path = folder.file("Nyamo_07.ini");
    const ProfileEntry entries[] = {{"CatNum", "30"}, {"SaverType", "2"}, {"SaverSpeed", "7"}};
    ASSERT_TRUE(SaveProfileStrings("Nyamo Saver", entries, path, "\r\n"));
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), "[Nyamo Saver]\r\nCatNum=30\r\nSaverType=2\r\nSaverSpeed=7\r\n");
    ASSERT_TRUE(Write("Nyamo Saver", "SaverType", "1", path));
    EXPECT_EQ(ReadProfileInt("Nyamo Saver", "SaverType", 2, path), 1);
    EXPECT_EQ(Names(folder.path()), std::set<std::string>{"Nyamo_07.ini"});  // no temporary left beside it

    // One value that cannot be written and none is: the file stays whole.
    const ProfileEntry one_bad[] = {{"CatNum", "9"}, {"SaverType", "1\n2"}, {"SaverSpeed", "9"}};
    EXPECT_FALSE(SaveProfileStrings("Nyamo Saver", one_bad, path, "\r\n"));
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), "[Nyamo Saver]\r\nCatNum=30\r\nSaverType=1\r\nSaverSpeed=7\r\n");
}

TEST(ProfileWrite, TheNewTextHasTheOldFilesModeAndTheLinkIsKept) {
    namespace fs = std::filesystem;
    TestFolder folder;
    const mode_t umask_before = ::umask(0);
    // The temporary has the old file's mode whenever it holds the new text:
    // a private file's text is never readable by others.
    folder.Write("private.ini", "[Nyamo Saver]\nCatNum=3\n");
    ::chmod(folder.file("private.ini").c_str(), 0600);
    std::vector<mode_t> modes_when_synced;
    DiskSync sync;
    sync.file = [&](int fd) {
        struct stat info;
        modes_when_synced.push_back(::fstat(fd, &info) == 0 ? info.st_mode & 07777 : 0);
        return SyncFileToDisk(fd);
    };
    const ProfileEntry entry[] = {{"CatNum", "30"}};
    EXPECT_TRUE(SaveProfileStrings("Nyamo Saver", entry, folder.file("private.ini"), "\n", sync));
    // A mode wider than the umask lets new files have is kept too.
    ::umask(077);
    folder.Write("shared.ini", "[Nyamo Saver]\nCatNum=3\n");
    ::chmod(folder.file("shared.ini").c_str(), 0664);
    EXPECT_TRUE(SaveProfileStrings("Nyamo Saver", entry, folder.file("shared.ini"), "\n", sync));
    ::umask(umask_before);
    EXPECT_EQ(modes_when_synced, (std::vector<mode_t>{0600, 0664}));
    EXPECT_EQ(fs::status(folder.path() / "private.ini").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(folder.path() / "shared.ini").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write |
                  fs::perms::others_read);

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

// What the disk holds at each sync, through the seam the backends give.
class SaveSyncs : public ::testing::Test {
protected:
    SaveSyncs() {
        folder.Write("a.ini", "[S]\nK=1\n");
        sync.file = [this](int fd) {
            // The file behind the descriptor, whatever its name.
            std::ifstream in("/proc/self/fd/" + std::to_string(fd), std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            events.push_back("file holding " + bytes + " while a.ini holds " + folder.Read("a.ini"));
            return file_sync_works;
        };
        sync.folder = [this](const std::string& synced) {
            events.push_back("folder " + synced + " while a.ini holds " + folder.Read("a.ini"));
            errno = EINVAL;  // as network and shared-folder file systems answer for a folder
            return folder_sync_works;
        };
    }
    bool Save(std::string_view value) {
        const ProfileEntry entries[] = {{"K", value}, {"L", "x"}, {"M", "y"}};
        return SaveProfileStrings("S", entries, folder.file("a.ini"), "\n", sync);
    }
    TestFolder folder;
    DiskSync sync;
    std::vector<std::string> events;
    bool file_sync_works = true, folder_sync_works = true;
};

TEST_F(SaveSyncs, TheNewTextIsSyncedOnceBeforeTheRenameAndTheFolderOnceAfter) {
    ASSERT_TRUE(Save("2"));
    EXPECT_EQ(events, (std::vector<std::string>{
                          "file holding [S]\nK=2\nL=x\nM=y\n while a.ini holds [S]\nK=1\n",
                          "folder " + folder.path().string() + " while a.ini holds [S]\nK=2\nL=x\nM=y\n",
                      }));
}

TEST_F(SaveSyncs, AFolderThatCannotBeSyncedCostsDurabilityNotTheSave) {
    folder_sync_works = false;
    EXPECT_TRUE(Save("2"));
    EXPECT_EQ(folder.Read("a.ini"), "[S]\nK=2\nL=x\nM=y\n");
    EXPECT_EQ(events.size(), 2u);
    EXPECT_EQ(Names(folder.path()), std::set<std::string>{"a.ini"});
}

TEST_F(SaveSyncs, ANewTextThatCannotBeSyncedLeavesTheOldFileAndNothingElse) {
    file_sync_works = false;
    EXPECT_FALSE(Save("3"));
    EXPECT_EQ(folder.Read("a.ini"), "[S]\nK=1\n");
    EXPECT_EQ(events.size(), 1u);  // nothing was renamed, so no folder to sync
    EXPECT_EQ(Names(folder.path()), std::set<std::string>{"a.ini"});
}

TEST(ProfileWrite, FailureLeavesTheOldFileAndSaysSo) {
    TestFolder folder;
    EXPECT_FALSE(Write("Nyamo Saver", "CatNum", "30", folder.file("no-such-folder/a.ini")));
    // A folder where the file should be cannot be replaced.
    std::filesystem::create_directory(folder.path() / "dir.ini");
    EXPECT_FALSE(Write("Nyamo Saver", "CatNum", "30", folder.file("dir.ini")));
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "dir.ini"));
}

// A pid that ran a process a moment ago and runs none now.
pid_t EndedPid() {
    const pid_t child = ::fork();
    if (child == 0) _exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(ProfileWrite, TemporariesOfKilledSavesAreRemovedAndNothingElse) {
    namespace fs = std::filesystem;
    TestFolder folder;
    folder.Write("a.ini", "[S]\nK=1\n");
    const std::string ended = std::to_string(EndedPid()), live = std::to_string(::getpid());
    char name[256] = {};
    ASSERT_EQ(::gethostname(name, sizeof name - 1), 0);
    const std::string here = std::string(name) + "-", there = "other-box.example-";
    const auto now = fs::file_time_type::clock::now();
    using std::chrono::hours, std::chrono::seconds;
    struct Entry {
        std::string name;
        fs::file_time_type::duration age;
        bool stale;
    };
    const Entry entries[] = {
        {"a.ini.saving-" + here + ended + "-0123456789abcdef", seconds(30), true},
        {"a.ini.saving-" + here + live + "-0123456789abcdef", hours(25), true},  // no save takes a day
        {"a.ini.saving-" + there + ended + "-0123456789abcdef", hours(25), true},
        {"a.ini.saving-" + ended + "-0123456789abcdef", hours(25), true},  // the forms earlier versions left
        {"a.ini.saving-fedcba9876543210", hours(25), true},
        // Perhaps a live save in another pid namespace, or on another machine
        // sharing the folder, whose pid means nothing here and whose clock may
        // run ahead or behind.
        {"a.ini.saving-" + here + ended + "-00000000000000aa", seconds(0), false},
        {"a.ini.saving-" + here + live + "-00000000000000bb", hours(2), false},  // its process runs
        {"a.ini.saving-" + there + ended + "-00000000000000cc", hours(2), false},
        {"a.ini.saving-" + ended + "-00000000000000dd", hours(2), false},
        {"a.ini.saving-fedcba98765432ee", hours(2), false},
        // Not a temporary of this file.
        {"b.ini.saving-" + ended + "-0123456789abcdef", hours(25), false},
        {"a.ini.saving-" + ended + "-0123456789ABCDEF", hours(25), false},
        {"a.ini.saving-" + ended + "-0123456789abcde", hours(25), false},
        {"a.ini.saving-x" + ended + "-0123456789abcdef", hours(25), false},
        {"a.ini.saving-" + ended + "-0123456789abcdef.bak", hours(25), false},
        {"xa.ini.saving-" + ended + "-0123456789abcdef", hours(25), false},
    };
    std::set<std::string> kept = {"a.ini", "dir.ini.saving-fedcba9876543210", "a.ini.saving-0000000000000001"};
    for (const Entry& entry : entries) {
        folder.Write(entry.name, "x");
        fs::last_write_time(folder.path() / entry.name, now - entry.age);
        if (!entry.stale) kept.insert(entry.name);
    }
    // Only regular files: a folder or a link of the name is not ours.
    fs::create_directory(folder.path() / "dir.ini.saving-fedcba9876543210");
    fs::create_symlink("a.ini", folder.path() / "a.ini.saving-0000000000000001");

    ASSERT_TRUE(Write("S", "K", "2", folder.file("a.ini")));
    EXPECT_EQ(Names(folder.path()), kept);
    EXPECT_EQ(folder.Read("a.ini"), "[S]\nK=2\n");
    EXPECT_EQ(folder.Read("a.ini.saving-0000000000000001"), "[S]\nK=2\n");  // the link still leads to it
}

}  // namespace
}  // namespace nyamo
