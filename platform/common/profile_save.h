// Saving a profile file on POSIX systems (the headless, X11 and Wayland
// backends through profile_store.h, and the xscreensaver list editing; on
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
// - The temporary is named file + ".saving-" + host + "-" + pid + "-" + 16
//   hex digits, host being this machine's name. Temporaries of that form
//   left beside the file by killed saves are removed: this machine's once
//   their process runs no more and they are more than ten seconds old, and
//   any more than a day old. A folder shared between machines (an NFS home)
//   holds others' temporaries too: their pids mean nothing here and their
//   times come from another clock, so only a day, far beyond any save and
//   any sane clock skew, makes them stale. The forms earlier versions left,
//   file + ".saving-" + pid + "-" + 16 hex digits and file + ".saving-" + 16
//   hex digits, name no machine and count as another's. The ten seconds
//   spare a live save from another pid namespace of this machine; a day
//   covers a pid taken over by another process.
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

// The file a path stands for: a symbolic link is followed to its target,
// link after link (40 at most), and the target need not exist yet; any
// other path is itself. Whatever replaces a file the user may have linked
// elsewhere (a dotfiles folder) replaces the target this names and keeps
// the link.
std::string FollowLinks(const std::string& path);

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
