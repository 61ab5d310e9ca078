#include "tests/test_folder.h"

#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

namespace nyamo::testing {

TestFolder::TestFolder() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() / ("nyamo-test-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
}

TestFolder::~TestFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string TestFolder::Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void TestFolder::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
}

TestFolder::ChildRun TestFolder::RunUnlisted(const std::function<bool()>& body) const {
    ChildRun run;
    const bool root = ::geteuid() == 0;
    const passwd* nobody = root ? ::getpwnam("nobody") : nullptr;
    if (root && nobody == nullptr) {
        run.why_not = "run as root, and there is no user nobody to play";
        return run;
    }
    auto give_to = [&](uid_t uid, gid_t gid) {
        bool given = ::chown(path_.c_str(), uid, gid) == 0;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            given = ::lchown(entry.path().c_str(), uid, gid) == 0 && given;
        return given;
    };
    if (root && !give_to(nobody->pw_uid, nobody->pw_gid)) {
        run.why_not = "the folder cannot be given to nobody";
        return run;
    }
    const uid_t nobody_uid = root ? nobody->pw_uid : 0;
    const gid_t nobody_gid = root ? nobody->pw_gid : 0;
    ::chmod(path_.c_str(), 0300);
    const pid_t child = ::fork();
    if (child == 0) {
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(nobody_gid) != 0 || ::setuid(nobody_uid) != 0)) _exit(3);
        // Only a folder that really cannot be listed makes the run count.
        if (DIR* listing = ::opendir(path_.c_str())) {
            ::closedir(listing);
            _exit(3);
        }
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    const bool waited = child > 0 && ::waitpid(child, &status, 0) == child;
    ::chmod(path_.c_str(), 0700);
    if (root) give_to(0, 0);
    if (!waited || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
        run.why_not = "no child could run as a user who cannot list the folder";
        return run;
    }
    run.ran = true;
    run.body_result = WEXITSTATUS(status) == 0;
    return run;
}

}  // namespace nyamo::testing
