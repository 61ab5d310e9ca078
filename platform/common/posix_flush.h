// fsync of a file and of the folder that holds it, for the POSIX backends'
// FlushToDisk.
#pragma once

#include <string>

namespace nyamo {

bool FlushFileAndFolder(const std::string& path);

}  // namespace nyamo
