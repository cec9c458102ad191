// The base of the library's tests: a fresh run-time context, a headless console
// and a scratch folder that is the current folder for the test's lifetime (the
// library writes its logs and settings files in the current folder).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "lib/core/runtime.h"
#include "platform/console/console.h"
#include "platform/console/headless_backend.h"

namespace codfix::testing {

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::path(::testing::TempDir()) /
              (std::string("codfix_") + info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    runtime_ = std::make_unique<RuntimeScope>();
    auto backend = std::make_unique<console::HeadlessBackend>();
    headless_ = backend.get();
    console_ = std::make_unique<console::ConsoleScope>(std::move(backend));
  }
  void TearDown() override {
    console_.reset();
    runtime_.reset();
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  Runtime& rt() { return runtime_->runtime(); }
  console::Console& screen() { return console_->console(); }
  console::HeadlessBackend& headless() { return *headless_; }

  // Files in the scratch folder, read and written with plain streams.
  void put(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
  }
  std::string get(const std::string& name) const {
    std::ifstream in(folder_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool has(const std::string& name) const { return std::filesystem::exists(folder_ / name); }
  std::string folder() const { return folder_.string(); }

 private:
  std::filesystem::path folder_;
  std::filesystem::path previous_;
  std::unique_ptr<RuntimeScope> runtime_;
  std::unique_ptr<console::ConsoleScope> console_;
  console::HeadlessBackend* headless_ = nullptr;
};

}  // namespace codfix::testing
