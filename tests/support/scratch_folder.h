// A scratch folder per test for the index library tests, named after the test
// and the process (tests of one binary may run side by side as processes). A
// test's folder is removed when the next test asks for its own, and the last one
// when the process ends, so that runs leave nothing behind in the temporary
// folder.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace codfix::testing {

inline std::string& last_scratch_folder() {
  static std::string folder;
  return folder;
}

inline void remove_last_scratch_folder() {
  std::error_code ignored;
  if (!last_scratch_folder().empty()) std::filesystem::remove_all(last_scratch_folder(), ignored);
  last_scratch_folder().clear();
}

// The path of `name` in the current test's scratch folder, made if missing.
inline std::string scratch_path(const std::string& prefix, const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string leaf = prefix + "_" + std::to_string(::getpid()) + "_" + info->test_suite_name() +
                     "_" + info->name();
  for (char& c : leaf) {
    if (c == '/') c = '_';
  }
  const std::string folder = ::testing::TempDir() + leaf;
  if (folder != last_scratch_folder()) {
    static const bool registered = std::atexit(remove_last_scratch_folder) == 0;
    (void)registered;
    remove_last_scratch_folder();
    last_scratch_folder() = folder;
  }
  std::filesystem::create_directories(folder);
  return folder + "/" + name;
}

}  // namespace codfix::testing
