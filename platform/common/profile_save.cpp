#include "platform/common/profile_save.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <random>

#include "settings/profile_read.h"
#include "settings/profile_text.h"

namespace nyamo {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTemporaryMark = ".saving-";
constexpr std::time_t kStaleAfterProcessEnded = 10;
constexpr std::time_t kStaleWhatever = 24 * 60 * 60;

bool AllHex(std::string_view text) {
    return text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

bool HostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_';
}

// This machine's name as a temporary's name holds it: any character that
// could not stand in a file name, or be read back, becomes '_'.
std::string HostInName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "_";
    std::string host(name);
    for (char& c : host)
        if (!HostCharacter(c)) c = '_';
    return host;
}

// Whose a temporary is, by its name: the machine (empty in the forms that
// earlier versions left, which name none) and the pid (0 in the form
// without one).
struct TemporaryOwner {
    std::string_view host;
    pid_t pid = 0;
};

// The owner a temporary of file_name names; nothing when the entry is not
// one. The forms: file + ".saving-" + [host + "-" + [pid + "-"]] + 16 hex
// digits; a host may hold dashes, so the name is read from its end.
std::optional<TemporaryOwner> OwnerOfTemporary(std::string_view entry, std::string_view file_name) {
    if (!entry.starts_with(file_name) || !entry.substr(file_name.size()).starts_with(kTemporaryMark))
        return std::nullopt;
    std::string_view rest = entry.substr(file_name.size() + kTemporaryMark.size());
    if (rest.size() < 16 || !AllHex(rest.substr(rest.size() - 16))) return std::nullopt;
    if (rest.size() == 16) return TemporaryOwner{};
    if (rest[rest.size() - 17] != '-') return std::nullopt;
    rest.remove_suffix(17);
    const std::size_t dash = rest.rfind('-');
    const std::string_view digits = dash == std::string_view::npos ? rest : rest.substr(dash + 1);
    TemporaryOwner owner;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), owner.pid);
    if (error != std::errc() || end != digits.data() + digits.size() || owner.pid <= 0) return std::nullopt;
    if (dash != std::string_view::npos) {
        owner.host = rest.substr(0, dash);
        if (owner.host.empty() || !std::all_of(owner.host.begin(), owner.host.end(), HostCharacter))
            return std::nullopt;
    }
    return owner;
}

bool ProcessRuns(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

// Removes the temporaries that saves killed part of the way left beside the
// file. A folder that cannot be listed keeps them; the save goes on.
void RemoveStaleTemporaries(const fs::path& file, const std::string& host) {
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    const std::string file_name = file.filename().string();
    const std::time_t now = std::time(nullptr);
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string entry = it->path().filename().string();
        const std::optional<TemporaryOwner> owner = OwnerOfTemporary(entry, file_name);
        if (!owner) continue;
        struct stat info;
        if (::lstat(it->path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        const std::time_t age = now - info.st_mtime;
        // Only this machine can tell whether the pid still saves. The others'
        // temporaries wait a day, far beyond any save and any skew between
        // their clocks, ours and a file server's.
        const bool owner_gone = owner->host == host && !ProcessRuns(owner->pid);
        if ((owner_gone && age > kStaleAfterProcessEnded) || age > kStaleWhatever) ::unlink(it->path().c_str());
    }
}

// A new file beside path that nothing else had the name of, opened for
// writing with the given mode; -1 when none could be made.
int CreateTemporary(const std::string& path, const std::string& host, mode_t mode, std::string& name) {
    std::random_device random;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::uint64_t tag = (std::uint64_t{random()} << 32) ^ random();
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, "-%ld-%016llx", static_cast<long>(::getpid()),
                      static_cast<unsigned long long>(tag));
        name = path + std::string(kTemporaryMark) + host + suffix;
        int fd;
        do fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
}

}  // namespace

std::string FollowLinks(const std::string& given_path) {
    fs::path path(given_path);
    std::error_code error;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, error)); ++hops) {
        const fs::path target = fs::read_symlink(path, error);
        if (error) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path.string();
}

bool SaveProfileStrings(std::string_view section, std::span<const ProfileEntry> entries, const std::string& given_path,
                        std::string_view new_line, const DiskSync& sync) {
    const std::string path = FollowLinks(given_path);

    struct stat old_info;
    const bool exists = ::stat(path.c_str(), &old_info) == 0;
    if (!exists && errno != ENOENT) return false;
    std::string text;
    // A new file gets the mode any new file of this user gets.
    mode_t mode = 0666;
    if (exists) {
        std::optional<std::string> old_text = ReadWholeFile(path);
        if (!old_text) return false;  // unreadable: never replace what we cannot keep
        text = std::move(*old_text);
        // A file the user may not write to (made read-only) is left as it is,
        // even though the folder would let the rename replace it.
        if (::access(path.c_str(), W_OK) != 0) return false;
        mode = old_info.st_mode & 07777;
    }
    for (const ProfileEntry& entry : entries) {
        std::optional<std::string> next = SetProfileValue(text, section, entry.key, entry.value, new_line);
        if (!next) return false;
        text = std::move(*next);
    }

    return ReplaceFileText(path, text, exists ? std::optional<unsigned>(mode) : std::nullopt, sync);
}

bool ReplaceFileText(const std::string& path, std::string_view text, std::optional<unsigned> old_mode,
                     const DiskSync& sync) {
    const fs::path file(path);
    const mode_t mode = old_mode ? static_cast<mode_t>(*old_mode & 07777) : 0666;
    const std::string host = HostInName();
    RemoveStaleTemporaries(file, host);
    std::string temporary;
    // Created with the old file's mode, so that a private file's new text is
    // never readable by others, not even for a moment.
    const int fd = CreateTemporary(path, host, mode, temporary);
    if (fd < 0) return false;
    // The umask may have taken bits from the old mode; giving them back only
    // widens towards what the old file already allowed.
    struct stat new_info;
    bool written = ::fstat(fd, &new_info) == 0 &&
                   (!old_mode || (new_info.st_mode & 07777) == mode || ::fchmod(fd, mode) == 0) &&
                   WriteAll(fd, text);
    // The new bytes reach the disk before the rename can: otherwise a crash
    // of the system could leave the new name on an empty file.
    written = written && sync.file(fd);
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
        return false;
    }
    // The replacement is done; this only makes the rename itself durable, and
    // a folder that cannot be synced costs that, not the replacement.
    sync.folder(file.parent_path().string());
    return true;
}

}  // namespace nyamo
