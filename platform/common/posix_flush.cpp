#include "platform/common/posix_flush.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace nyamo {

namespace {

bool Sync(const std::string& path, int flags) {
    int fd;
    do fd = ::open(path.c_str(), flags | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace

bool FlushFileAndFolder(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    const std::filesystem::path folder = parent.empty() ? std::filesystem::path(".") : parent;
    // Both are flushed even when the first fails, so that a failure costs no
    // more durability than it must.
    const bool file = Sync(path, O_RDONLY);
    const bool dir = Sync(folder.string(), O_RDONLY | O_DIRECTORY);
    return file && dir;
}

}  // namespace nyamo
