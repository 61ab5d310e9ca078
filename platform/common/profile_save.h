// Saving a profile file on POSIX systems (the X11 and headless backends; on
// Windows the system's own profile functions save).
// - The given keys of one section are set in one replacement of the file;
//   every other byte, the file's encoding and its line endings stay.
// - The new text goes to a temporary file beside the old one, created anew
//   (never over an existing name, never through a link) with the old file's
//   mode, synced to disk and renamed over the old file: a crash at any moment
//   leaves the whole old file or the whole new one.
// - The save has succeeded once the rename is done. Syncing the folder then
//   makes the rename survive a crash of the system too; a folder that cannot
//   be synced (not readable, or on a file system that refuses) costs that
//   durability, not the save.
// - The temporary is named file + ".saving-" + pid + "-" + 16 hex digits.
//   Temporaries of that form left beside the file by killed saves are
//   removed: those whose process runs no more here and that are more than
//   ten seconds old, and any more than a day old (also those of the form
//   file + ".saving-" + 16 hex digits that earlier versions left). The ten
//   seconds spare a live save from another pid namespace or machine sharing
//   the folder, whose pid means nothing here; a day covers a pid taken over
//   by another process.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/common/disk_sync.h"
#include "platform/platform.h"

namespace nyamo {

// How a save reaches the disk: the backends use the real fsync calls.
struct DiskSync {
    std::function<bool(int fd)> file = SyncFileToDisk;
    std::function<bool(const std::string& folder)> folder = SyncFolderToDisk;
};

// Set the entries in the section of the file at path (a symbolic link is
// followed and kept); new_line ends the lines of a file made new. False, with
// the old file left as it was, if the file could not be read, may not be
// written by this user, the text cannot be written (CanWriteProfileValue),
// or the new text could not be written, synced or renamed into place.
bool SaveProfileStrings(std::string_view section, std::span<const ProfileEntry> entries, const std::string& path,
                        std::string_view new_line, const DiskSync& sync = {});

// Replace the file at path (no link) with text in the same way: through a
// new temporary beside it made with old_mode (a new file's mode, as the umask
// allows, when there was no old file), synced, then renamed over it. False,
// with errno set and the old file left as it was, when the text could not be
// written, synced or renamed into place.
bool ReplaceFileText(const std::string& path, std::string_view text, std::optional<unsigned> old_mode,
                     const DiskSync& sync = {});

}  // namespace nyamo
