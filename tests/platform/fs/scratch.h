// A scratch folder for one test, under the test run's temporary folder, removed
// (with everything in it) when the test ends. Helpers write and inspect files in it
// with plain system calls, so the code under test is not used to check itself.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace codfix::fs::testing {

class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::filesystem::path(::testing::TempDir()) /
            (std::string("codfix_fs_") + info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(root_, ignored);
  }

  // The scratch path of `relative` ("/" separators).
  std::string at(const std::string& relative) const { return (root_ / relative).string(); }
  // The same path written with backslashes, as the library's programs write paths.
  std::string dos(const std::string& relative) const {
    std::string path = at(relative);
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    return path;
  }

  void put(const std::string& relative, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(at(relative)).parent_path());
    std::ofstream(at(relative), std::ios::binary) << bytes;
  }
  std::string get(const std::string& relative) const {
    std::ifstream in(at(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The names in a scratch folder, exactly as on disk.
  std::set<std::string> names(const std::string& relative = "") const {
    std::set<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(root_ / relative)) {
      out.insert(entry.path().filename().string());
    }
    return out;
  }

  std::filesystem::path root_;
};

}  // namespace codfix::fs::testing
