// A fresh folder on disk for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <functional>
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

    // Runs body in a child process as a user who may enter the folder and
    // write to it but not list it (mode 0300). Root, whom permissions do not
    // stop, plays the user nobody and gives the folder and its files to it
    // for the while. False with why_not set when that cannot be arranged.
    struct ChildRun {
        bool ran = false;
        bool body_result = false;
        std::string why_not;
    };
    ChildRun RunUnlisted(const std::function<bool()>& body) const;

private:
    std::filesystem::path path_;
};

}  // namespace nyamo::testing
