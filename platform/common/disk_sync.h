// fsync for the POSIX backends: what makes a save survive a crash of the
// system (as against a crash of the program, which the rename alone covers).
#pragma once

#include <string>

namespace nyamo {

// The open file's bytes reach the disk; false on failure (an I/O error).
bool SyncFileToDisk(int fd);

// The folder's entries (a rename into it) reach the disk. False when the
// folder cannot be opened (no read permission) or its file system refuses
// (EINVAL on some network and shared-folder file systems).
bool SyncFolderToDisk(const std::string& folder);

}  // namespace nyamo
