// A fresh folder on disk for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <string>

namespace nyamo::testing {

class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::string Read(const std::string& name) const;
    void Write(const std::string& name, const std::string& bytes) const;
    bool Exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

private:
    std::filesystem::path path_;
};

}  // namespace nyamo::testing
