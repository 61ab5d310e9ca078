#include "tests/test_folder.h"

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

}  // namespace nyamo::testing
