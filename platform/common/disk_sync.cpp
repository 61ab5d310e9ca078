#include "platform/common/disk_sync.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace nyamo {

bool SyncFileToDisk(int fd) {
    int result;
    do result = ::fsync(fd);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

bool SyncFolderToDisk(const std::string& folder) {
    int fd;
    do fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    const bool synced = SyncFileToDisk(fd);
    ::close(fd);
    return synced;
}

}  // namespace nyamo
