// Helpers for the table engine's tests: a scratch folder per test (fixtures are
// copied into it, since opening a table for writing needs a writable file), file
// reading with plain streams, and a run-time context whose error handler records
// every error and answers "default".
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lib/core/error.h"
#include "lib/core/runtime.h"

namespace codfix::dbf::testing {

inline std::string fixture(const std::string& relative) {
  return std::string(CODFIX_TESTDATA) + "/dbf/" + relative;
}

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("codfix_dbf_") + info->test_suite_name() + "_" + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    root_ = std::filesystem::path(::testing::TempDir()) / name;
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    scope_ = std::make_unique<RuntimeScope>();
    runtime().error_handler = [this](ErrorRecord& e) {
      errors_.push_back(e);
      return ErrorAnswer::fail();
    };
  }
  void TearDown() override {
    scope_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  Runtime& runtime() { return scope_->runtime(); }
  std::string at(const std::string& relative) const { return (root_ / relative).string(); }
  // Copies fixture files (relative to tests/data/dbf) into the scratch folder.
  void copy_fixture(const std::string& relative, const std::string& as = "") {
    std::filesystem::path from(fixture(relative));
    std::filesystem::path to = root_ / (as.empty() ? from.filename().string() : as);
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(
        to, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  }
  std::string get(const std::string& relative) const { return read_file(at(relative)); }

  std::filesystem::path root_;
  std::unique_ptr<RuntimeScope> scope_;
  std::vector<ErrorRecord> errors_;
};

}  // namespace codfix::dbf::testing
