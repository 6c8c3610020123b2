#pragma once

#include <gtest/gtest.h>

#include "support/FileBytes.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace quillon::test {

/// A fresh, empty folder for one test, named after the test and the process, removed at the end.
class TempFolder {
public:
    TempFolder()
        : path(std::filesystem::temp_directory_path() /
               ("quillon-test-" + std::to_string(::getpid()) + "-" + TestName())) {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::string String() const { return path.string(); }

    /// The names of the entries, sorted; with `recursive`, relative paths of the whole tree.
    std::vector<std::string> Names(bool recursive = false) const {
        std::vector<std::string> names;
        if (recursive) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(path))
                names.push_back(std::filesystem::relative(e.path(), path).generic_string());
        } else {
            for (const auto& e : std::filesystem::directory_iterator(path))
                names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    const std::filesystem::path path;

private:
    static std::string TestName() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name =
            info ? std::string(info->test_suite_name()) + "." + info->name() : "none";
        std::replace(name.begin(), name.end(), '/', '_');  // parameterised tests
        return name;
    }
};

}  // namespace quillon::test
