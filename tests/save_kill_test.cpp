// Saves killed with SIGKILL at random moments: afterwards the settings file
// is always the whole old text or the whole new one, never a mix or a cut,
// and a later save removes the temporaries the killed ones left.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "platform/common/profile_save.h"
#include "tests/test_folder.h"

namespace nyamo {
namespace {

using testing::TestFolder;

// A file large enough that a save takes a while, so kills land inside it.
// The three values of save n all differ from those of save n + 1.
std::string SettingsText(int n) {
    return "; " + std::string(512 * 1024, 'x') + "\r\n[Nyamo Saver]\r\nCatNum=" + std::to_string(n) +
           "\r\nSaverType=" + std::to_string(1 + n % 2) + "\r\nSaverSpeed=" + std::to_string(1 + n % 10) + "\r\n";
}

// The three values of one OK click, as the dialog saves them.
bool Save(const std::string& path, int n) {
    const std::string cat_num = std::to_string(n), type = std::to_string(1 + n % 2), speed = std::to_string(1 + n % 10);
    const ProfileEntry entries[] = {{"CatNum", cat_num}, {"SaverType", type}, {"SaverSpeed", speed}};
    return SaveProfileStrings("Nyamo Saver", entries, path, "\r\n");
}

std::size_t EntriesIn(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator{}));
}

TEST(SaveKill, AThousandKilledSavesLeaveTheWholeOldOrTheWholeNewFile) {
    TestFolder folder;
    const std::string path = folder.file("Nyamo_07.ini");
    folder.Write("Nyamo_07.ini", SettingsText(1));

    // How long one save takes here, so that the kills spread over all of it.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(Save(path, 1));
    const auto save_us = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count() / 5;
    ASSERT_EQ(folder.Read("Nyamo_07.ini"), SettingsText(1));

    // Kill delays up to one and a half saves: half of them spread evenly on a
    // log scale from 20 us, so that the short moments (the child starting,
    // the file being opened) get as many kills as the long ones; half evenly
    // over the whole save, so that its end (the temporary written, synced and
    // renamed) gets its share too where reading and editing the text take
    // most of the time, as under the sanitizers.
    std::mt19937 random(20261207);
    const double longest = save_us * 1.5 + 200.0;
    std::uniform_real_distribution<double> log_delay(std::log(20.0), std::log(longest));
    std::uniform_real_distribution<double> even_delay(20.0, longest);
    auto delay_us = [&](std::mt19937& r, int round) {
        return static_cast<long>(round % 2 == 0 ? std::exp(log_delay(r)) : even_delay(r));
    };
    int old_files = 0, new_files = 0;
    int current = 1;
    // Temporaries seen after a kill: a slow run lasts long enough for the
    // later saves to remove the early ones, so counting them only at the end
    // would miss them.
    std::size_t most_left = 0;
    for (int round = 0; round < 1000; ++round) {
        const int next = current + 1;
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(Save(path, next) ? 0 : 1);
        std::this_thread::sleep_for(std::chrono::microseconds(delay_us(random, round)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);

        const std::string text = folder.Read("Nyamo_07.ini");
        if (text == SettingsText(current)) {
            ++old_files;
        } else if (text == SettingsText(next)) {
            ++new_files;
            current = next;
        } else {
            FAIL() << "round " << round << ": the file is neither the old nor the new text (" << text.size()
                   << " bytes)";
        }
        most_left = std::max(most_left, EntriesIn(folder.path()) - 1);
    }
    // A killed save may leave its temporary file; it never takes the settings'
    // name, and once it is older than a live save could be, the next save
    // removes it.
    const std::size_t left = EntriesIn(folder.path()) - 1;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        std::filesystem::last_write_time(entry.path(), std::filesystem::last_write_time(entry.path()) - std::chrono::minutes(1));
    ASSERT_TRUE(Save(path, current + 1));
    std::printf("1000 killed saves (one save ~%ld us): %d left the old file, %d the new one; up to %zu temporaries "
                "at once, %zu at the end, then removed by one save\n",
                static_cast<long>(save_us), old_files, new_files, most_left, left);
    EXPECT_EQ(old_files + new_files, 1000);
    // Kills landed both before and after the rename, else they missed the
    // saves. Whether one lands between the temporary's creation and the
    // rename depends on the file system (on tmpfs the sync is instant); the
    // removal of such leftovers is proven on planted ones in the unit tests.
    EXPECT_GT(old_files, 0);
    EXPECT_GT(new_files, 0);
    EXPECT_EQ(EntriesIn(folder.path()), 1u);
}

}  // namespace
}  // namespace nyamo
