#include "settings/profile_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

#include "settings/profile_text.h"

namespace nyamo {

namespace {

// The file's bytes, or nothing when it cannot be opened or a read fails part
// of the way (a folder in its place, an I/O error): a save must never
// replace a file with the part of it that could be read.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) text.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return text;
}

// The file a path stands for: a symbolic link is followed to its target
// (which need not exist yet), so that saving updates the target and keeps
// the link.
std::filesystem::path FollowLinks(std::filesystem::path path) {
    namespace fs = std::filesystem;
    std::error_code error;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, error)); ++hops) {
        const fs::path target = fs::read_symlink(path, error);
        if (error) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

// A name beside the file that no other save uses at the same moment.
std::string TemporaryNameFor(const std::string& path) {
    static const std::uint64_t process_salt = std::random_device{}();
    static std::uint64_t counter = 0;
    const std::uint64_t tag = process_salt * 0x9E3779B97F4A7C15ull + ++counter;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".saving-%016llx", static_cast<unsigned long long>(tag));
    return path + suffix;
}

}  // namespace

std::int32_t ReadProfileInt(std::string_view section, std::string_view key, std::int32_t fallback,
                            const std::string& path) {
    const std::optional<std::string> file = ReadWholeFile(path);
    return file ? ProfileInt(*file, section, key, fallback) : fallback;
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& given_path, std::string_view new_line, const FileFlush& flush) {
    namespace fs = std::filesystem;
    const std::string path = FollowLinks(given_path).string();
    std::error_code error;
    const bool exists = fs::exists(path, error);
    if (error) return false;
    std::string old_text;
    if (exists) {
        std::optional<std::string> file = ReadWholeFile(path);
        if (!file) return false;  // unreadable: never replace what we cannot keep
        old_text = std::move(*file);
        // A file the user may not write to (made read-only) is left as it is,
        // even though the folder would let the rename replace it.
        if (!std::ofstream(path, std::ios::binary | std::ios::app)) return false;
    }
    const std::optional<std::string> new_text = SetProfileValue(old_text, section, key, value, new_line);
    if (!new_text) return false;

    const std::string temporary = TemporaryNameFor(path);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        // The old file's permissions before any byte is written, so that a
        // private file is never readable by others, not even for a moment.
        if (exists) {
            const fs::file_status old_status = fs::status(path, error);
            if (!error) fs::permissions(temporary, old_status.permissions(), error);
        }
        out.write(new_text->data(), static_cast<std::streamsize>(new_text->size()));
        out.close();
        // The new bytes reach the disk before the rename can: otherwise a
        // crash of the system could leave the new name on an empty file.
        if (!out || !flush(temporary)) {
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, path, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    // The rename itself is made durable by flushing the folder.
    return flush(path);
}

}  // namespace nyamo
