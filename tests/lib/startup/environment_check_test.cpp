// CHKCFG, NUMFILES and CHKSTD.
#include "lib/startup/environment_check.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/console/keys.h"
#include "tests/lib/errors/box_reader.h"
#include "tests/lib/startup/startup_fixture.h"

namespace codfix {
namespace {

// Sets (or with nullptr unsets) an environment variable for its lifetime.
class EnvVar {
 public:
  EnvVar(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~EnvVar() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class EnvironmentCheck : public testing::StartupTest {
 protected:
  std::size_t entries() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder()),
                                                  std::filesystem::directory_iterator()));
  }
};

TEST_F(EnvironmentCheck, ChkcfgSucceedsWithoutTouchingAnything) {
  put("CONFIG.SYS", "FILES=20\r\n");
  std::size_t before = entries();
  EXPECT_TRUE(CHKCFG());
  EXPECT_TRUE(CHKCFG(true, false));
  Value args[] = {Value(), Value(false)};
  EXPECT_TRUE(routines().call("CHKCFG", args).logical());
  EXPECT_EQ(entries(), before);
  EXPECT_EQ(get("CONFIG.SYS"), "FILES=20\r\n");
  EXPECT_FALSE(testing::read_box(screen().screen()).found);
}

TEST_F(EnvironmentCheck, NumfilesWithoutComspecIsZero) {
  EnvVar comspec("COMSPEC", nullptr);
  put("CONFIG.SYS", "FILES=20\r\n");  // the current folder is not the system's root
  EXPECT_EQ(NUMFILES(), 0);
  EXPECT_EQ(numfiles_for(sys::OsFamily::kOther), 0);
  EXPECT_EQ(numfiles_for(sys::OsFamily::kWin9x), 0);
}

TEST_F(EnvironmentCheck, NumfilesReadsTheRootOfTheInterpretersDrive) {
  std::filesystem::create_directory(folder() + "/cc");
  put("cc/CONFIG.SYS", "BUFFERS=40\r\nFILES=99\r\n");
  // The first three characters of COMSPEC name the folder ("C:\" on Windows).
  EnvVar comspec("COMSPEC", "cc/COMMAND.COM");
  EXPECT_EQ(numfiles_for(sys::OsFamily::kOther), 99);
  EnvVar windows_path("COMSPEC", "C:\\WINDOWS\\COMMAND.COM");
  EXPECT_EQ(numfiles_for(sys::OsFamily::kOther), 0);  // no drive letters here
}

TEST_F(EnvironmentCheck, NumfilesOnTheNtFamilyReadsConfigNt) {
  std::filesystem::create_directories(folder() + "/win/system32");
  EnvVar windir("WINDIR", (folder() + "/win").c_str());
  EXPECT_EQ(numfiles_for(sys::OsFamily::kNt), 0);
  put("win/system32/config.nt", "dos=high\r\nFILES=150\r\n");
  EXPECT_EQ(numfiles_for(sys::OsFamily::kNt), 150);
  put("win/system32/config.nt", "FILES=muitos\r\n");
  EXPECT_EQ(numfiles_for(sys::OsFamily::kNt), 0);
}

TEST_F(EnvironmentCheck, NumfilesOnWindowsMeReadsSystemIni) {
  std::filesystem::create_directories(folder() + "/win");
  EnvVar windir("WINDIR", (folder() + "/win").c_str());
  put("win/SYSTEM.INI", "[boot]\r\nPERVMFILES=10\r\n[386ENH]\r\nPERVMFILES=120\r\n");
  EXPECT_EQ(numfiles_for(sys::OsFamily::kWinMe), 120);
}

TEST_F(EnvironmentCheck, ChkstdWarnsInAnAlertBox) {
  testing::ShownBox shown;
  headless().then([&] { shown = testing::read_box(screen().screen()); }).key(console::key::kEnter);
  CHKSTD();
  ASSERT_TRUE(shown.found);
  EXPECT_EQ(shown.buttons, "Ok");
  std::string all;
  for (const std::string& l : shown.lines) all += l + " ";
  EXPECT_NE(all.find("definições padrão de comandos"), std::string::npos) << all;
}

}  // namespace
}  // namespace codfix
